#include "platform/headless/headless_session.h"

namespace zelvo {

HeadlessSession::HeadlessSession(std::function<void()> program) {
  InstallWindowRuntime(&runtime_);
  runtime_.Start(std::move(program));
}

HeadlessSession::~HeadlessSession() {
  if (!finished_) {
    runtime_.Quit(1);
    (void)Finish();
  }
  if (InstalledWindowRuntime() == &runtime_) InstallWindowRuntime(nullptr);
}

int HeadlessSession::Finish() {
  if (!finished_) {
    status_ = runtime_.Wait();
    finished_ = true;
  }
  return status_;
}

}  // namespace zelvo

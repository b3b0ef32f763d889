#include "platform/model/procedure_thread.h"

#include <unistd.h>

#include <algorithm>

namespace zelvo {
namespace {

thread_local ProcedureThread* current = nullptr;

void* Enter(void* argument) {
  auto* thread = static_cast<ProcedureThread*>(argument);
  current = thread;
  thread->Body();
  return nullptr;
}

}  // namespace

std::size_t ProcedureThread::StackSizeFor(std::size_t requested, std::size_t minimum) {
  std::size_t size = std::max({requested, minimum, kStackFloor});
  const long page = sysconf(_SC_PAGESIZE);
  const std::size_t pageSize = page > 0 ? static_cast<std::size_t>(page) : 4096;
  return (size + pageSize - 1) / pageSize * pageSize;
}

bool ProcedureThread::Launch(std::size_t stackBytes, std::function<void(ProcedureThread&)> body) {
  body_ = std::move(body);
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  bool started = pthread_attr_setstacksize(&attributes, stackBytes) == 0 &&
                 pthread_create(&thread_, &attributes, &Enter, this) == 0;
  pthread_attr_destroy(&attributes);
  launched_ = started;
  return started;
}

void ProcedureThread::Body() { body_(*this); }

void ProcedureThread::Join() {
  if (launched_) pthread_join(thread_, nullptr);
  launched_ = false;
}

ProcedureThread* ProcedureThread::Current() { return current; }

}  // namespace zelvo

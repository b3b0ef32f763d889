#include "platform/model/run_token.h"

#include <algorithm>
#include <cassert>

namespace zelvo {

bool RunToken::IsReady(const Seat& seat) const {
  return std::find(ready_.begin(), ready_.end(), &seat) != ready_.end();
}

void RunToken::MakeReady(Seat& seat) {
  if (holder_ == &seat || IsReady(seat)) return;
  ready_.push_back(&seat);
  if (holder_ == nullptr) HandOver();
}

void RunToken::Release(Seat& seat) {
  assert(holder_ == &seat && "only the holder gives the run token up");
  (void)seat;
  holder_ = nullptr;
  HandOver();
}

void RunToken::Await(Seat& seat, std::unique_lock<std::mutex>& lock) {
  seat.wake.wait(lock, [&] { return holder_ == &seat; });
}

void RunToken::HandOver() {
  if (!ready_.empty()) {
    holder_ = ready_.front();
    ready_.pop_front();
    holder_->wake.notify_all();
  }
  changed.notify_all();
}

}  // namespace zelvo

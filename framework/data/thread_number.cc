#include "framework/data/thread_number.h"

#include <atomic>

namespace zelvo {

std::int32_t CurrentThreadNumber() {
  static std::atomic<std::int32_t> next{1};
  thread_local const std::int32_t number = next.fetch_add(1);
  return number;
}

}  // namespace zelvo

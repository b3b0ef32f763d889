#include "framework/data/error_log.h"

#include <optional>

#include "runtime/date_time.h"
#include "runtime/picture.h"

namespace zelvo {
namespace {

std::string Stamp(const char* picture, std::int64_t value) {
  const std::optional<Picture> parsed = Picture::Parse(picture);
  return parsed ? parsed->Format(Decimal(value)) : std::string();
}

}  // namespace

ErrorLog::~ErrorLog() {
  if (file_ != nullptr) std::fclose(file_);
}

void ErrorLog::Open() {
  if (uses_++ > 0) return;
  file_ = std::fopen(path_.c_str(), "ab");
}

void ErrorLog::Write(std::string_view text) {
  if (file_ == nullptr) return;
  std::string line = Stamp("@d17", TODAY()) + "@" + Stamp("@t8", CLOCK()) + " --> ";
  line.append(text);
  if (line.size() > kMaxLine) line.resize(kMaxLine);
  line += "\n";
  (void)std::fwrite(line.data(), 1, line.size(), file_);
}

void ErrorLog::Close() {
  if (uses_ == 0) return;
  if (--uses_ > 0) return;
  if (file_ != nullptr) (void)std::fclose(file_);
  file_ = nullptr;
}

}  // namespace zelvo

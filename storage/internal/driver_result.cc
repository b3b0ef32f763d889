#include "storage/driver_result.h"

#include <cstdio>
#include <utility>

#include "storage/internal/xbase_error.h"

namespace zelvo {
namespace {

StopBox& CurrentStopBox() {
  static StopBox box;
  return box;
}

std::string_view WithoutDirectory(std::string_view name) {
  const std::size_t cut = name.find_last_of("\\/");
  return cut == std::string_view::npos ? name : name.substr(cut + 1);
}

bool IsInformation(int status) { return status >= 201 && status <= 214; }

}  // namespace

void SetStopBox(StopBox box) { CurrentStopBox() = std::move(box); }

std::string XBaseStopMessage(std::string_view fileName, int xbaseCode) {
  const XBaseError* entry = FindXBaseError(xbaseCode);
  std::string text;
  if (entry) {
    text = entry->runtime == ErrorCode::FileSystemError ? std::string(entry->text)
                                                        : ErrorText(entry->runtime);
  }
  return "File " + std::string(WithoutDirectory(fileName)) + ", xBase Error (" +
         std::to_string(xbaseCode) + "): " + text;
}

ErrorCode TakeDriverResult(ErrorCode answer, std::string_view fileName, bool extendedErrors,
                           ErrorState& state) {
  const int status = Number(answer);
  if (status == 0 || IsInformation(status)) {
    state.Clear();
    return ErrorCode::Ok;
  }
  const XBaseError* entry = status < -200 ? FindXBaseError(status) : nullptr;
  if (!entry) {
    state.Set(answer);
    return answer;
  }
  if (entry->runtime == ErrorCode::FileSystemError)
    state.SetFileError(std::to_string(status), entry->text);
  else
    state.Set(entry->runtime);
  if (extendedErrors) {
    const std::string message = XBaseStopMessage(fileName, status);
    if (const StopBox& box = CurrentStopBox())
      box(message, "Stop");
    else
      std::fprintf(stderr, "Stop: %s\n", message.c_str());
  }
  return entry->runtime;
}

}  // namespace zelvo

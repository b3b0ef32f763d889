// ErrorLog: the reporter's log, a text file of one line per message — the
// date in picture @d17, "@", the time in picture @t8, " --> " and the text,
// at most 1024 characters, CP1251 as the text stands. The built-in log is
// "RuvError.Log" in the working directory.
//
// Open and Close nest through a use count; the last Close closes the file.
// The file is created when missing and appended to, shared with others.
// Every failure (cannot open, cannot write) is swallowed: the log never stops
// a message from being shown. Used only by the run token's holder.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace zelvo {

class ErrorLog {
 public:
  static constexpr std::size_t kMaxLine = 1024;

  explicit ErrorLog(std::string path = "RuvError.Log") : path_(std::move(path)) {}
  ErrorLog(const ErrorLog&) = delete;
  ErrorLog& operator=(const ErrorLog&) = delete;
  virtual ~ErrorLog();

  virtual void Open();
  // Appends one line for `text`, stamped with the clock's date and time.
  virtual void Write(std::string_view text);
  virtual void Close();

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  int uses_ = 0;
};

}  // namespace zelvo

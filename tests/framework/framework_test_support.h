// Doubles for the framework tests: a message box that records what it shows
// and answers from a script, a reporter whose fatal path records instead of
// ending the process, and an indexed record file driver that forwards to the
// real one but can be told to answer an operation with a code, and that
// accepts the transaction operations.
#pragma once

#include <unistd.h>

#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "framework/error_reporter.h"
#include "storage/file_driver.h"
#include "storage/vxr_driver.h"

namespace zelvo::testing_support {

struct RecordingBox final : MessageBox {
  unsigned Show(const MessageBoxRequest& request) override {
    shown.push_back(request);
    if (answers.empty()) return EffectiveDefault(request);
    const unsigned answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::vector<MessageBoxRequest> shown;
  std::deque<unsigned> answers;
};

struct RecordingReporter final : ErrorReporter {
  using ErrorReporter::ErrorReporter;
  void Halt() override { ++halts; }
  int halts = 0;
};

class ScriptedVxrDriver final : public FileDriver {
 public:
  std::string_view Name() const override { return "QUILLSET"; }
  std::span<const FileOperation> Operations() const override { return operations_; }
  ErrorCode Perform(FileOperation op, File& file, const OperationArguments& arguments,
                    OperationAnswer& answer) override {
    calls.push_back(op);
    if (sends.size() < 100 && op == FileOperation::SEND) sends.push_back(arguments.text);
    if (auto scripted = script.find(op); scripted != script.end() && !scripted->second.empty()) {
      const ErrorCode code = scripted->second.front();
      scripted->second.pop_front();
      if (code != ErrorCode::Ok || !VxrDriver().Implements(op)) return code;
    }
    if (!VxrDriver().Implements(op)) return ErrorCode::Ok;  // LOGOUT, COMMIT, ROLLBACK, WATCH
    return VxrDriver().Perform(op, file, arguments, answer);
  }
  std::size_t Count(FileOperation op) const {
    std::size_t n = 0;
    for (FileOperation c : calls) n += c == op ? 1 : 0;
    return n;
  }

  std::map<FileOperation, std::deque<ErrorCode>> script;
  std::vector<FileOperation> calls;
  std::vector<std::string> sends;

 private:
  std::vector<FileOperation> operations_ = [] {
    std::vector<FileOperation> ops(VxrDriver().Operations().begin(), VxrDriver().Operations().end());
    for (FileOperation op : {FileOperation::LOGOUT, FileOperation::COMMIT, FileOperation::ROLLBACK,
                             FileOperation::WATCH})
      ops.push_back(op);
    return ops;
  }();
};

// A fresh folder for a test's files, removed afterwards.
struct TemporaryFolder {
  TemporaryFolder() {
    path = std::filesystem::temp_directory_path() /
           ("zelvo-framework-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path);
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string File(std::string_view name) const { return (path / std::string(name)).string(); }
  std::filesystem::path path;
  static inline int counter = 0;
};

}  // namespace zelvo::testing_support

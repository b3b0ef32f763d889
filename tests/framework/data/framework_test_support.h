// Doubles for the framework tests: a message box that records what it shows
// and answers from a script, a reporter whose fatal path records instead of
// ending the process, and an indexed record file driver that forwards to the
// real one but can be told to answer an operation with a code, and that
// offers the transaction operations: a ROLLBACK puts back every record the
// FILE deleted since its LOGOUT (added anew, so its record number may
// differ), a COMMIT makes the deletes final.
#pragma once


#include <algorithm>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "framework/data/error_reporter.h"
#include "framework/data/table_manager.h"
#include "storage/file_operations.h"
#include "storage/file_driver.h"
#include "storage/vxr/vxr_driver.h"
#include "tests/testing/temporary_folder.h"

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
      if (code != ErrorCode::Ok || !real_.Implements(op)) return code;
    }
    switch (op) {
      case FileOperation::LOGOUT: deleted[&file].clear(); return ErrorCode::Ok;
      case FileOperation::COMMIT: deleted.erase(&file); return ErrorCode::Ok;
      case FileOperation::ROLLBACK: return PutBackDeleted(file);
      case FileOperation::DELETE:
        if ((file.State() & kInTransaction) != 0) {
          const auto bytes = file.Record().Bytes();
          deleted[&file].emplace_back(bytes.begin(), bytes.end());
        }
        break;
      default: break;
    }
    if (!real_.Implements(op)) return ErrorCode::Ok;  // WATCH
    return real_.Perform(op, file, arguments, answer);
  }
  std::size_t Count(FileOperation op) const {
    std::size_t n = 0;
    for (FileOperation c : calls) n += c == op ? 1 : 0;
    return n;
  }

  std::map<FileOperation, std::deque<ErrorCode>> script;
  std::vector<FileOperation> calls;
  std::vector<std::string> sends;
  // The records each FILE deleted inside its transaction, as they were read.
  std::map<const File*, std::vector<std::vector<std::uint8_t>>> deleted;

 private:
  ErrorCode PutBackDeleted(File& file) {
    const auto found = deleted.find(&file);
    if (found == deleted.end()) return ErrorCode::Ok;
    const RecordBuffer caller = file.Record();
    ErrorCode result = ErrorCode::Ok;
    for (auto image = found->second.rbegin(); image != found->second.rend(); ++image) {
      std::copy(image->begin(), image->end(), file.Record().Bytes().begin());
      OperationAnswer ignored;
      if (const ErrorCode code = real_.Perform(FileOperation::ADD, file, {}, ignored); code != ErrorCode::Ok)
        result = code;
    }
    file.Record() = caller;
    deleted.erase(found);
    return result;
  }

  VxrDriver real_;  // what the script leaves to the indexed record file
  std::vector<FileOperation> operations_ = [this] {
    std::vector<FileOperation> ops(real_.Operations().begin(), real_.Operations().end());
    for (FileOperation op : {FileOperation::LOGOUT, FileOperation::COMMIT, FileOperation::ROLLBACK,
                             FileOperation::WATCH})
      ops.push_back(op);
    return ops;
  }();
};

// A table of a test: its file in a test folder and its manager, bound to the
// reporter, lazy, with every declared key registered in order (the first one
// primary when it is declared so).
struct TestTable {
  TestTable(const TemporaryFolder& folder, std::string_view label, std::span<const FieldDeclaration> fields,
            std::span<const KeyDeclaration> keys, ErrorReporter& reporter)
      : path(folder.File(label)),
        declaration{.label = label, .name = path, .fields = fields, .keys = keys},
        file(declaration) {
    manager.InitTable(file, reporter);
    manager.fileNameValue_ = std::string(label);
    for (std::size_t i = 0; i < keys.size(); ++i)
      manager.AddKey(i + 1, keys[i].description, 0, (keys[i].attributes & kKeyPrimary) != 0);
  }
  ~TestTable() {
    if (file.IsOpen()) (void)PerformFileOperation(file, FileOperation::CLOSE);
    manager.KillTable();
  }
  TestTable(const TestTable&) = delete;
  TestTable& operator=(const TestTable&) = delete;

  std::string path;
  FileDeclaration declaration;
  File file;
  TableManager manager;
};

}  // namespace zelvo::testing_support

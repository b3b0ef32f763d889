// The file operations as the driver tests write them: one call each, the
// arguments a test gives most often filled in, an answer that should not
// fail checked where it is read.
//
//     ASSERT_EQ(Open(file, kShared), ErrorCode::Ok);
//     EXPECT_EQ(Send(file, "BUFFERS=4"), "4");
//     EXPECT_EQ(Answer(file, Op::RECORDSfile).number, 3u);
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "storage/access_mode.h"
#include "storage/file.h"
#include "storage/file_driver.h"
#include "storage/file_operation.h"
#include "storage/file_operations.h"

namespace zelvo::testing_support {

inline ErrorCode Do(File& file, FileOperation op, const OperationArguments& arguments = {}) {
  return PerformFileOperation(file, op, arguments);
}

inline ErrorCode Open(File& file, AccessMode mode) {
  OperationArguments arguments;
  arguments.mode = mode;
  return PerformFileOperation(file, FileOperation::OPEN, arguments);
}

// HOLDfilesec, LOCKfilesec, LOGOUT: the operation with its seconds.
inline ErrorCode Seconds(File& file, FileOperation op, int seconds) {
  OperationArguments arguments;
  arguments.seconds = seconds;
  return PerformFileOperation(file, op, arguments);
}

// The answer of an operation expected to succeed.
inline OperationAnswer Answer(File& file, FileOperation op, const OperationArguments& arguments = {}) {
  OperationAnswer answer;
  EXPECT_EQ(PerformFileOperation(file, op, arguments, answer), ErrorCode::Ok) << OperationName(op);
  return answer;
}

// SEND's answer to an option word, expected to succeed.
inline std::string Send(File& file, std::string word) {
  OperationArguments arguments;
  arguments.text = std::move(word);
  OperationAnswer answer;
  EXPECT_EQ(PerformFileOperation(file, FileOperation::SEND, arguments, answer), ErrorCode::Ok) << arguments.text;
  return answer.text;
}

}  // namespace zelvo::testing_support

// Level: what a framework operation answers and how serious a message is —
// the message fatality of the error reporter and the result of every table
// manager and relation set operation share these six values.
//
//     0 LevelOk       success; a message shown as nothing
//     1 LevelAsk      a question (Yes/No); as a result: failed, the caller may retry
//     2 LevelProgram  a programming error; shown as fatal
//     3 LevelFatal    the program ends after the message; as a result: unusable
//     4 LevelCancel   the user declined (a question answered No)
//     5 LevelNotify   a notice; as a result: the operation failed
#pragma once

#include <cstdint>

namespace zelvo {

enum [[nodiscard]] Level : std::uint8_t {
  LevelOk = 0,
  LevelAsk = 1,
  LevelProgram = 2,
  LevelFatal = 3,
  LevelCancel = 4,
  LevelNotify = 5,
};

}  // namespace zelvo

// The message table of the error reporter: every user-visible failure is a
// message number with a fatality (framework/data/result_level.h), a title (the
// box caption) and a text with placeholders (framework/data/message_text.h).
//
// A table travels packed: a 16-bit count, then per message a 16-bit id, a
// fatality byte, a title and a text, each with one length byte in front
// (integers little-endian, texts CP1251). DefaultMessages() is the packed
// table the program starts with (ids 1..44 but 29).
//
//     PackMessages({{13, LevelNotify, "Duplicate Key Error", "Adding ... key: %Message"}})
//         == "\x01\x00" "\x0D\x00" "\x05" "\x13Duplicate Key Error" "\x2BAdding ... key: %Message"
//     UnpackMessages(that) gives the one message back; a cut-short table gives nullopt.
//
// Values; the default table is built once and immutable, safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo {

using MessageId = std::uint16_t;

// The default table's messages by name, for the code that raises them; the
// value is the message's id. (29 has no message.)
enum DefaultMessage : MessageId {
  kMsgRecordRetrievalError = 1,
  kMsgAccessDenied = 2,
  kMsgRecordAdded = 3,
  kMsgRecordInsertError = 4,
  kMsgAddNewName = 5,
  kMsgRecordChangedElsewhere = 6,
  kMsgRecordChangedElsewhereShown = 7,
  kMsgChangesWillBeLost = 8,
  kMsgConfirmDelete = 9,
  kMsgFileCreationError = 10,
  kMsgRecordNotDeleted = 11,
  kMsgFormCannotDelete = 12,
  kMsgDuplicateKey = 13,
  kMsgFieldNotInFile = 14,
  kMsgValueNotInList = 15,
  kMsgValueOutOfRange = 16,
  kMsgValueNotLower = 17,
  kMsgValueNotHigher = 18,
  kMsgFileLoadError = 19,
  kMsgFormCannotInsert = 20,
  kMsgTransactionCancelled = 21,
  kMsgNoRecords = 22,
  kMsgFileAccessError = 23,
  kMsgProcedureNotDefined = 24,
  kMsgRecordNotUpdated = 25,
  kMsgKeyNotBuilt = 26,
  kMsgInvalidKey = 27,
  kMsgRecordNotRead = 28,
  kMsgDeleteRestricted = 30,
  kMsgUpdateRestricted = 31,
  kMsgAutoIncrementError = 32,
  kMsgRetryDelete = 33,
  kMsgRetryUpdate = 34,
  kMsgSaveRecord = 35,
  kMsgBeginningOfFile = 36,
  kMsgEndOfFile = 37,
  kMsgFormCannotUpdate = 38,
  kMsgFileUsageError = 39,
  kMsgViewOpenError = 40,
  kMsgUnsupportedQbeColumn = 41,
  kMsgSmtpError = 42,
  kMsgNntpError = 43,
  kMsgWinsockError = 44,
};

struct Message {
  MessageId id = 0;
  std::uint8_t fatality = 0;
  std::string title;     // CP1251
  std::string text;      // CP1251
  std::string category;  // empty: the reporter's default category
};

// A title or text longer than 255 bytes is cut to 255: one length byte holds no more.
std::string PackMessages(std::span<const Message> messages);
// The messages of a packed table in order; nullopt when the bytes are not one
// whole table (cut short, or bytes left over).
std::optional<std::vector<Message>> UnpackMessages(std::string_view packed);

// The framework's default table, packed.
std::string_view DefaultMessages();

}  // namespace zelvo

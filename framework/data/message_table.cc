#include "framework/data/message_table.h"

#include <array>

#include "framework/data/result_level.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {

struct DefaultEntry {
  MessageId id;
  Level fatality;
  std::string_view title;  // UTF-8 here, CP1251 in the table
  std::string_view text;
};

constexpr DefaultEntry kDefaultEntries[] = {
    {kMsgRecordRetrievalError, LevelNotify, "Record Retrieval Error",
     "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to previous window."},
    {kMsgAccessDenied, LevelNotify, "Access Denied", "Could not get write access to %File so trying read-only."},
    {kMsgRecordAdded, LevelAsk, "Record Added", "This record has been added to the file. Do you want to add another record?"},
    {kMsgRecordInsertError, LevelNotify, "Record Insert Error",
     "An error was experienced during the creation of a record.|File: %File|Error: %ErrorText."},
    {kMsgAddNewName, LevelNotify, "Добавить новое название?", "Такого названия в справочнике нет, Вы хотите добавить?"},
    {kMsgRecordChangedElsewhere, LevelNotify, "Record Was Not Updated", "This record was changed by another station."},
    {kMsgRecordChangedElsewhereShown, LevelNotify, "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use the Ditto "
     "Button or Ctrl+' to recall your changes."},
    {kMsgChangesWillBeLost, LevelAsk, "Changes will be lost!", "Are you sure you want to cancel?"},
    {kMsgConfirmDelete, LevelAsk, "Удаление записи", "Вы уверены, что хотите удалить эту запись?"},
    {kMsgFileCreationError, LevelFatal, "File Creation Error", "Error: (%ErrorText) creating %File."},
    {kMsgRecordNotDeleted, LevelNotify, "Record was not deleted",
     "An error (%ErrorText) was experienced when deleting a record from the %File file."},
    {kMsgFormCannotDelete, LevelNotify, "Invalid Request", "This form cannot be used to delete a record"},
    {kMsgDuplicateKey, LevelNotify, "Duplicate Key Error", "Adding this record creates a duplicate entry for the key: %Message"},
    {kMsgFieldNotInFile, LevelNotify, "Field contents error", "The value of %Field must be found in the %Message file."},
    {kMsgValueNotInList, LevelNotify, "Value Error", "The value of %Field must be in the list : %Message."},
    {kMsgValueOutOfRange, LevelNotify, "Range Error", "The value of %Field must be in range %Message."},
    {kMsgValueNotLower, LevelNotify, "Range Error", "The value of %Field must be lower than %Message."},
    {kMsgValueNotHigher, LevelNotify, "Range Error", "The value of %Field must be higher than %Message."},
    {kMsgFileLoadError, LevelNotify, "File Load Error", "%File File Load Error.  Error: %ErrorText."},
    {kMsgFormCannotInsert, LevelNotify, "Invalid Request", "This form cannot be used to insert a record"},
    {kMsgTransactionCancelled, LevelNotify, "Transaction cancelled", "Error: (%ErrorText) attempting to frame the transaction on %File."},
    {kMsgNoRecords, LevelNotify, "No Records", "There are no records available to process."},
    {kMsgFileAccessError, LevelFatal, "File Access Error", "File %File could not be opened.  Error: %ErrorText."},
    {kMsgProcedureNotDefined, LevelNotify, "Procedure not defined", "The Procedure %Message has not been defined."},
    {kMsgRecordNotUpdated, LevelNotify, "Record was not updated",
     "An error (%ErrorText) was experienced when making changes to the %File file."},
    {kMsgKeyNotBuilt, LevelFatal, "Key was not built", "Error: (%ErrorText) repairing key for %File."},
    {kMsgInvalidKey, LevelNotify, "Invalid Key", "%File key file is invalid. Key must be rebuilt."},
    {kMsgRecordNotRead, LevelNotify, "Record not read", "A record held by another station was encountered reading from the %File file."},
    {kMsgDeleteRestricted, LevelNotify, "Referential Integrity Delete Error",
     "This record is referenced from the file %File. This record cannot be deleted while these references exist."},
    {kMsgUpdateRestricted, LevelNotify, "Referential Integrity Update Error",
     "This record is referenced from the file %File. Linking field(s) have been restricted from change and have "
     "been reset to original values."},
    {kMsgAutoIncrementError, LevelAsk, "Auto Increment Error",
     "Attempts to automatically number this record have failed.|File: %File|Error: %ErrorText.|Try Again?"},
    {kMsgRetryDelete, LevelAsk, "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it again?"},
    {kMsgRetryUpdate, LevelAsk, "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?"},
    {kMsgSaveRecord, LevelAsk, "Save Record", "Do you want to save the changes to this record?"},
    {kMsgBeginningOfFile, LevelAsk, "Beginning of File Error",
     "The beginning of the file %File was encountered. Do you want to start again from the end of the file?"},
    {kMsgEndOfFile, LevelAsk, "End of File Error",
     "The end of the file %File was encountered. Do you want to start again from the beginning?"},
    {kMsgFormCannotUpdate, LevelNotify, "Invalid Request", "This form cannot be used to update a record"},
    {kMsgFileUsageError, LevelProgram, "File Usage Error", "Attempt to use file (%File) before it was opened"},
    {kMsgViewOpenError, LevelNotify, "View Open Error",
     "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."},
    {kMsgUnsupportedQbeColumn, LevelNotify, "Unsupported QBE Column",
     "The saved QBE column, %Field is not supported. It will be dropped from the query."},
    {kMsgSmtpError, LevelNotify, "SMTP Error", "The following SMTP Error occurred: %Message "},
    {kMsgNntpError, LevelNotify, "NNTP Error", "%Message "},
    {kMsgWinsockError, LevelNotify, "Winsock Error", "%Message "},
};

void PutShort(std::string& out, std::uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void PutText(std::string& out, std::string_view text) {
  if (text.size() > 255) text = text.substr(0, 255);
  out += static_cast<char>(text.size());
  out += text;
}

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool Short(std::uint16_t& value) {
    if (bytes_.size() < 2) return false;
    value = static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes_[0]) |
                                       static_cast<std::uint8_t>(bytes_[1]) << 8);
    bytes_.remove_prefix(2);
    return true;
  }
  bool Byte(std::uint8_t& value) {
    if (bytes_.empty()) return false;
    value = static_cast<std::uint8_t>(bytes_[0]);
    bytes_.remove_prefix(1);
    return true;
  }
  bool Text(std::string& text) {
    std::uint8_t length = 0;
    if (!Byte(length) || bytes_.size() < length) return false;
    text.assign(bytes_.substr(0, length));
    bytes_.remove_prefix(length);
    return true;
  }
  bool AtEnd() const { return bytes_.empty(); }

 private:
  std::string_view bytes_;
};

}  // namespace

std::string PackMessages(std::span<const Message> messages) {
  std::string out;
  PutShort(out, static_cast<std::uint16_t>(messages.size()));
  for (const Message& m : messages) {
    PutShort(out, m.id);
    out += static_cast<char>(m.fatality);
    PutText(out, m.title);
    PutText(out, m.text);
  }
  return out;
}

std::optional<std::vector<Message>> UnpackMessages(std::string_view packed) {
  Reader reader(packed);
  std::uint16_t count = 0;
  if (!reader.Short(count)) return std::nullopt;
  std::vector<Message> messages(count);
  for (Message& m : messages)
    if (!reader.Short(m.id) || !reader.Byte(m.fatality) || !reader.Text(m.title) || !reader.Text(m.text))
      return std::nullopt;
  if (!reader.AtEnd()) return std::nullopt;
  return messages;
}

std::string_view DefaultMessages() {
  static const std::string packed = [] {
    std::vector<Message> messages;
    for (const DefaultEntry& e : kDefaultEntries)
      messages.push_back({e.id, e.fatality, Cp1251Literal(e.title), Cp1251Literal(e.text), {}});
    return PackMessages(messages);
  }();
  return packed;
}

}  // namespace zelvo

// FileOperation: the catalogue of file operations, numbered by their place in
// one name table (number = position, from 0), the numbers every driver and the
// view engine are called with. The names are also the words of the trace log;
// the three unused numbers are traced as "(0)", "(35)" and "(39)".
//
// The enumerators are the operations' own names, except EOF and NULL, which
// are macros of the C library and are written Eof and Null.
//
// Examples:
//     Number(FileOperation::NEXT) == 24      OperationName(FileOperation::Eof) == "EOF"
//     OperationFromNumber(35) == FileOperation::Unused35   OperationFromNumber(105) == nullopt
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zelvo {

enum class FileOperation : std::uint8_t {
  Unused0 = 0,
  ADD = 1,
  BOF,
  BUILDfile,
  APPEND,
  BUILDdyn,
  BUILDkey,
  CLOSE,
  COMMIT,
  COPY,
  CREATE,
  DELETE,
  DUPLICATE,
  EMPTY,
  Eof,
  GETfilekey,
  GETfileptr,
  GETkeyptr,
  HOLDfile,
  HOLDfilesec,
  LOCKfile,
  LOCKfilesec,
  LOGOUT,
  NAME,
  NEXT,
  OPEN,
  PACK,
  POINTERfile,
  POINTERkey,
  FLUSH,
  PUT,
  PREVIOUS,
  RECORDSfile,
  RECORDSkey,
  BUILDdynfilter,
  Unused35 = 35,
  RELEASE,
  REMOVE,
  RENAME,
  Unused39 = 39,
  ROLLBACK,
  SETfile,
  SETfilekey,
  SETfileptr,
  SETkey,
  SETkeykey,
  SETkeyptr,
  SETkeykeyptr,
  SHARE,
  SKIP,
  UNLOCK,
  ADDfilelen,
  BYTES,
  GETfileptrlen,
  PUTfileptr,
  PUTfileptrlen,
  STREAM,
  DUPLICATEkey,
  WATCH,
  APPENDlen,
  SEND,
  POSITIONfile,
  POSITIONkey,
  RESETfile,
  RESETkey,
  NOMEMO,
  REGETfile,
  REGETkey,
  Null,
  SETNULL,
  SETNONULL,
  SET_PROPERTY,
  GET_PROPERTY,
  QUERY_KEY,
  QUERY_VIEW,
  BLOB_YIELD,
  BLOB_TAKE,
  BLOB_SIZE,
  BLOB_GET_PROP,
  BLOB_SET_PROP,
  BUFFER,
  SETview,
  CLEAR,
  RESETviewfile,
  BUILDevent,
  SETPROPERTYkey,
  GETPROPERTYkey,
  Internal87,
  DO_PROPERTY,
  DOPROPERTYkey,
  DOPROPERTYblob,
  Internal91,
  INVIEW,
  ENDVIEW,
  Internal94,
  COUNTRECORDS,
  GETNULLS,
  SETNULLS,
  GETSTATE,
  RESTORESTATE,
  Internal100,
  Internal101,
  FREESTATE,
  SQLCALLBACK,
  DESTROY,
};

inline constexpr int kFileOperationCount = 105;

constexpr int Number(FileOperation op) { return static_cast<int>(op); }
// The operation with that number; nullopt outside 0..104.
std::optional<FileOperation> OperationFromNumber(int number);
// The operation's trace word: "ADD", "SETkeykey", "(35)".
std::string_view OperationName(FileOperation op);

}  // namespace zelvo

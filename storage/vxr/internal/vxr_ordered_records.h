// VxrOrderedRecords: the one ordered set of records of an indexed record file
// (VXR). Every record of the file — table names, definitions, counters, data
// records, key entries, the transaction marker — is a key part and a data part,
// both byte strings, and the file holds them in one set ordered by key part.
//
// Order: key parts compare byte by byte as unsigned values over the shorter
// length; when those bytes are equal the shorter key part comes first. Key
// parts are unique within the set.
//
// A position is a key part: stepping forward (Next) or backward (Previous)
// from a key part finds its neighbour whether or not a record with that key
// part still exists, so a caller's position survives inserts, erases and page
// splits in between.
//
// Failures are values: RecordNotFound when there is no such record (or no
// neighbour: the end of the set), CreatesDuplicateKey when an insert meets an
// existing key part, FileSystemError for a consistency failure of the file
// (with `corruption`, the internal number of the check that failed), an
// operating-system error (3xx) when reading or writing the file failed.
//
// Example:
//     records.Insert("\x00\x00\x00\x01\xF3\x00\x00\x00\x02", buffer);
//     records.Find(key).record.data == buffer
//     records.Next(key)   the record after `key`, or RecordNotFound at the end
//
// Not thread-safe: used by the run token's holder only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "storage/error_code.h"

namespace zelvo {

// <0, 0, >0 as `a` orders before, with, or after `b`.
int CompareVxrKeys(std::string_view a, std::string_view b);

struct VxrRecord {
  std::string key;   // the key part
  std::string data;  // the data part
};

struct [[nodiscard]] VxrStatus {
  ErrorCode code = ErrorCode::Ok;
  int corruption = 0;  // with FileSystemError: which consistency check failed

  bool Ok() const { return code == ErrorCode::Ok; }
  static VxrStatus Corrupt(int check) { return {ErrorCode::FileSystemError, check}; }
};

struct [[nodiscard]] VxrLookup {
  VxrStatus status;
  VxrRecord record;  // valid when status.Ok()

  bool Found() const { return status.Ok(); }
};

class VxrOrderedRecords {
 public:
  virtual ~VxrOrderedRecords() = default;

  // Adds a record; CreatesDuplicateKey (nothing changed) when the key part
  // exists. A record (key and data together) is at most kVxrMaxRecord bytes.
  virtual VxrStatus Insert(std::string_view key, std::string_view data) = 0;
  // Gives an existing record a new data part; RecordNotFound when absent.
  virtual VxrStatus Update(std::string_view key, std::string_view data) = 0;
  // Removes the record with exactly this key part; RecordNotFound when absent.
  virtual VxrStatus Erase(std::string_view key) = 0;

  // The record with exactly this key part.
  virtual VxrLookup Find(std::string_view key) = 0;
  // The first record whose key part is not below `key`.
  virtual VxrLookup LowerBound(std::string_view key) = 0;
  // The first record whose key part is above `key`.
  virtual VxrLookup Next(std::string_view key) = 0;
  // The last record whose key part is below `key`.
  virtual VxrLookup Previous(std::string_view key) = 0;
  // The first and the last record of the set; RecordNotFound when it is empty.
  virtual VxrLookup First() = 0;
  virtual VxrLookup Last() = 0;
};

// The largest record, key part and data part together: two such records and
// their child references still fit an inner page below its split limit, so
// splitting a page always ends. (A limit of 15093 would let a page of two
// records be split into halves whose parent needs splitting again, forever.)
inline constexpr std::size_t kVxrMaxRecord = (15094 - 13 - 2 * 4) / 2 - 5;

}  // namespace zelvo

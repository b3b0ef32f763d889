// The key parts of the record kinds that an indexed record file's keys work
// with, and the counters record that holds the number of data records of a
// table and the number of entries of each of its keys.
//
// Numbers inside key parts are big-endian so that key parts compare byte by
// byte; counts inside data parts are little-endian.
//
//     data record   T (4, big-endian), 0xF3, record number (4, big-endian)
//     counters      T, 0xF6, 0xF3 for the data records or the key number
//                   data part: count (4, little-endian), second number (4,
//                   little-endian): the table's FLAGS value for the data
//                   records, the build limit for a key
//
// RECORDSkey answers ReadVxrCounters(records, T, key number).counters.count,
// RECORDSfile the same for kVxrDataRecordMark.
//
// Example: VxrDataRecordKey(1, 2) == "\0\0\0\x01\xF3\0\0\0\x02".
//
// Pure functions, except the counters access, which works on the set it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "storage/vxr/internal/vxr_ordered_records.h"

namespace zelvo {

inline constexpr std::uint8_t kVxrDataRecordMark = 0xF3;
inline constexpr std::uint8_t kVxrCountersMark = 0xF6;

void AppendBigEndian32(std::string& out, std::uint32_t value);
// The big-endian number at `at`; nullopt when fewer than 4 bytes are there.
std::optional<std::uint32_t> ReadBigEndian32(std::string_view bytes, std::size_t at);

std::string VxrDataRecordKey(std::uint32_t table, std::uint32_t recordNumber);

struct VxrCounters {
  std::uint32_t count = 0;
  std::uint32_t second = 0;  // FLAGS for the data records, build limit for a key
};

struct [[nodiscard]] VxrCountersLookup {
  VxrStatus status;
  VxrCounters counters;
};

// `which` is kVxrDataRecordMark or a key number. A counters record that does
// not exist yet reads as zeros; one whose data part is not 8 bytes is a
// corruption.
std::string VxrCountersKey(std::uint32_t table, std::uint8_t which);
VxrCountersLookup ReadVxrCounters(VxrOrderedRecords& records, std::uint32_t table,
                                  std::uint8_t which);
// Writes the counters record, making it when it does not exist.
VxrStatus WriteVxrCounters(VxrOrderedRecords& records, std::uint32_t table, std::uint8_t which,
                           VxrCounters counters);

}  // namespace zelvo

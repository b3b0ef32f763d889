// A small employee table for the key tests — a surname key (DUP, OPT,
// NOCASE), a number key (OPT, NOCASE, PRIMARY) and a section key (DUP) — kept
// in an in-memory ordered set the way the file's driver keeps it: data
// records under T, 0xF3, record number, beside their key entries. A
// FlakySet wrapped around the set can fail any one change to it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "storage/declare_fields.h"
#include "storage/vxr/internal/vxr_key_upkeep.h"
#include "storage/vxr/internal/vxr_memory_records.h"
#include "storage/vxr/internal/vxr_record_key.h"

namespace zelvo::testing_vxr {

#define TEST_STAFF_FIELDS(FIELD) \
  FIELD(NUM, Long())             \
  FIELD(FAM, String(8))          \
  FIELD(UCH, Short())
ZELVO_DECLARE_FIELDS(Staff, STF, TEST_STAFF_FIELDS);

inline constexpr KeyDeclaration kStaffKeys[] = {
    {"FAM_KEY", "STF:fam_key", kKeyDup | kKeyOpt | kKeyNoCase, {{"FAM"}}},
    {"NUM_KEY", "STF:num_key", kKeyOpt | kKeyNoCase | kKeyPrimary, {{"NUM"}}},
    {"UCH_KEY", "STF:uch_key", kKeyDup, {{"UCH"}, {"FAM"}}},
};
inline constexpr std::uint8_t kFamKey = 0, kNumKey = 1, kUchKey = 2;

// Passes every call on; fails the `failChange`-th change (Insert, Update,
// Erase, counted from 1) with a write fault.
class FlakySet final : public VxrOrderedRecords {
 public:
  explicit FlakySet(VxrOrderedRecords& inner) : inner_(inner) {}
  std::uint64_t failChange = 0;
  std::uint64_t changes = 0;

  VxrStatus Insert(std::string_view k, std::string_view d) override {
    return Fails() ? Fault() : inner_.Insert(k, d);
  }
  VxrStatus Update(std::string_view k, std::string_view d) override {
    return Fails() ? Fault() : inner_.Update(k, d);
  }
  VxrStatus Erase(std::string_view k) override { return Fails() ? Fault() : inner_.Erase(k); }
  VxrLookup Find(std::string_view k) override { return inner_.Find(k); }
  VxrLookup LowerBound(std::string_view k) override { return inner_.LowerBound(k); }
  VxrLookup Next(std::string_view k) override { return inner_.Next(k); }
  VxrLookup Previous(std::string_view k) override { return inner_.Previous(k); }
  VxrLookup First() override { return inner_.First(); }
  VxrLookup Last() override { return inner_.Last(); }

 private:
  bool Fails() { return ++changes == failChange; }
  static VxrStatus Fault() { return {ErrorCode{329}, 0}; }  // Write Fault
  VxrOrderedRecords& inner_;
};

class StaffModel {
 public:
  static constexpr std::uint32_t kTable = 7;

  StaffModel() : resolved_(ResolveVxrKeys(kStaffFields, kStaffKeys)) {
    keys = resolved_.keys;
    table = {kTable, keys, {}};
  }

  static RecordBuffer Staff(std::int64_t num, std::string_view fam, std::int64_t uch = 1) {
    RecordBuffer r(kStaffFields);
    (void)STF.NUM.Set(r, num);
    (void)STF.FAM.Set(r, fam);
    (void)STF.UCH.Set(r, uch);
    return r;
  }

  // ADD as the driver does it: a number, the keys, then the data record.
  ErrorCode Add(const RecordBuffer& r, VxrOrderedRecords* through = nullptr) {
    VxrOrderedRecords& set = through ? *through : records;
    const std::uint32_t number = ++lastNumber;
    if (VxrStatus s = MaintainVxrKeys(set, table, number, std::nullopt, r.Bytes()); !s.Ok())
      return s.code;
    return Append(number, r, set);
  }
  // The data record alone, as APPEND writes it, with the data records' count.
  ErrorCode Append(std::uint32_t number, const RecordBuffer& r, VxrOrderedRecords& set) {
    if (VxrStatus s = set.Insert(VxrDataRecordKey(kTable, number), AsText(r)); !s.Ok()) return s.code;
    stored.emplace(number, r);
    return CountData(set, +1);
  }
  ErrorCode CountData(VxrOrderedRecords& set, int change) {
    VxrCountersLookup c = ReadVxrCounters(set, kTable, kVxrDataRecordMark);
    c.counters.count = static_cast<std::uint32_t>(static_cast<int>(c.counters.count) + change);
    return WriteVxrCounters(set, kTable, kVxrDataRecordMark, c.counters).code;
  }
  ErrorCode Put(std::uint32_t number, const RecordBuffer& r, VxrOrderedRecords* through = nullptr) {
    VxrOrderedRecords& set = through ? *through : records;
    if (VxrStatus s = MaintainVxrKeys(set, table, number, stored.at(number).Bytes(), r.Bytes());
        !s.Ok())
      return s.code;
    if (VxrStatus s = set.Update(VxrDataRecordKey(kTable, number), AsText(r)); !s.Ok()) return s.code;
    stored.insert_or_assign(number, r);
    return ErrorCode::Ok;
  }
  ErrorCode Delete(std::uint32_t number) {
    if (VxrStatus s = MaintainVxrKeys(records, table, number, stored.at(number).Bytes(), std::nullopt);
        !s.Ok())
      return s.code;
    if (VxrStatus s = records.Erase(VxrDataRecordKey(kTable, number)); !s.Ok()) return s.code;
    stored.erase(number);
    return CountData(records, -1);
  }

  std::uint32_t Count(std::uint8_t key) {
    const VxrCountersLookup c = ReadVxrCounters(records, kTable, key);
    EXPECT_TRUE(c.status.Ok());
    return c.counters.count;
  }

  // Every record of the set, key part and data part.
  std::vector<std::pair<std::string, std::string>> Everything() {
    std::vector<std::pair<std::string, std::string>> all;
    for (VxrLookup at = records.First(); at.Found(); at = records.Next(at.record.key))
      all.emplace_back(at.record.key, at.record.data);
    return all;
  }

  // The record numbers of the key's entries, in key order.
  std::vector<std::uint32_t> InKeyOrder(std::uint8_t key) {
    std::vector<std::uint32_t> numbers;
    const std::string prefix = VxrKeyPrefix(kTable, key);
    for (VxrLookup at = records.Next(prefix); at.Found() && at.record.key.starts_with(prefix);
         at = records.Next(at.record.key)) {
      numbers.push_back(ReadVxrKeyEntry(keys[key], kTable, at.record)->recordNumber);
    }
    return numbers;
  }

  static std::string AsText(const RecordBuffer& r) {
    return {reinterpret_cast<const char*>(r.Bytes().data()), r.Size()};
  }

  VxrKeysResult resolved_;
  std::vector<VxrKey> keys;
  VxrTableKeys table;
  VxrMemoryRecords records;
  std::uint32_t lastNumber = 0;
  std::map<std::uint32_t, RecordBuffer> stored;
};

class StaffTable : public ::testing::Test, public StaffModel {};

}  // namespace zelvo::testing_vxr

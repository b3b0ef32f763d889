#include "storage/vxr/vxr_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "storage/declare_fields.h"
#include "storage/file_operations.h"
#include "storage/vxr/vxr_driver.h"
#include "storage/vxr/internal/vxr_page.h"
#include "storage/vxr/internal/vxr_record_key.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;
using Op = FileOperation;

#define TEST_CHECKED_FIELDS(FIELD) FIELD(NUM, Long()) FIELD(FAM, String(12))
ZELVO_DECLARE_FIELDS(Checked, CHK, TEST_CHECKED_FIELDS);
constexpr KeyDeclaration kCheckedKeys[] = {{"NUM_KEY", "", kKeyPrimary | kKeyOpt, {{"NUM"}}},
                                           {"FAM_KEY", "", kKeyDup | kKeyNoCase, {{"FAM"}}}};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}
void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::span<const std::uint8_t> Span(const std::string& s, std::size_t at = 0) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()) + at, s.size() - at};
}

struct PagePlace {
  std::uint32_t reference;
  std::size_t units;
};

// Every page of the file's zones, as they are placed.
std::vector<PagePlace> Pages(const std::string& bytes) {
  const VxrHeader h = *DecodeVxrHeader(Span(bytes));
  std::vector<PagePlace> out;
  for (std::size_t i = 1; i < kVxrZones; ++i) {
    for (std::uint32_t r = h.zones[i].start; r < h.zones[i].end; r += static_cast<std::uint32_t>(i))
      out.push_back({r, i});
  }
  return out;
}

// Every record of every leaf, in file order of the pages.
std::vector<VxrRecord> LeafRecords(const std::string& bytes) {
  std::vector<VxrRecord> all;
  for (const PagePlace& p : Pages(bytes)) {
    const auto home = static_cast<std::uint32_t>(VxrPageOffset(p.reference));
    VxrPageDecode d = DecodeVxrPage(Span(bytes, home).first(p.units * kVxrUnit), home);
    if (d.page.IsLeaf()) all.insert(all.end(), d.page.records.begin(), d.page.records.end());
  }
  std::sort(all.begin(), all.end(),
            [](const VxrRecord& a, const VxrRecord& b) { return CompareVxrKeys(a.key, b.key) < 0; });
  return all;
}

// Changes the leaf that holds the record `key`, not as its first record (so
// the parent's copy stays right), and stores it again in its place; false when
// no leaf holds it so or the change would move the page to another zone.
bool EditLeaf(std::string& bytes, std::string_view key,
              const std::function<void(VxrPage&, std::size_t)>& edit) {
  for (const PagePlace& p : Pages(bytes)) {
    const auto home = static_cast<std::uint32_t>(VxrPageOffset(p.reference));
    VxrPageDecode d = DecodeVxrPage(Span(bytes, home).first(p.units * kVxrUnit), home);
    if (!d.status.Ok() || !d.page.IsLeaf()) continue;
    for (std::size_t i = 1; i < d.page.records.size(); ++i) {
      if (d.page.records[i].key != key) continue;
      edit(d.page, i);
      std::string stored = EncodeVxrPage(d.page, home);
      if (VxrUnits(stored.size()) != p.units) return false;
      stored.resize(p.units * kVxrUnit, '\0');
      bytes.replace(home, stored.size(), stored);
      return true;
    }
  }
  return false;
}

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[static_cast<unsigned char>(c) >> 4];
    out += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return out;
}

class VxrCheckTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // One folder for the suite, made for the sound file.
    folder_ = std::make_unique<testing_support::TemporaryFolder>();
    dir_ = folder_->Path();
    const std::string name = (dir_ / "SOUND").string();
    const FileDeclaration decl{.label = "CHK",
                               .driver = Driver::Vxr,
                               .name = name,
                               .attributes = kFileCreate,
                               .fields = kCheckedFields,
                               .keys = kCheckedKeys};
    File file(decl);
    ASSERT_EQ(PerformFileOperation(file, Op::CREATE, {}), ErrorCode::Ok);
    OperationArguments open;
    open.mode = AccessMode{0x42};
    ASSERT_EQ(PerformFileOperation(file, Op::OPEN, open), ErrorCode::Ok);
    // Enough records for a tree of several levels of pages.
    for (std::int32_t n = 1; n <= 400; ++n) {
      auto& r = file.Record();
      std::fill(r.Bytes().begin(), r.Bytes().end(), std::uint8_t{0});
      (void)CHK.NUM.Set(r, n);
      (void)CHK.FAM.Set(r, "Family" + std::to_string(n % 37));
      ASSERT_EQ(PerformFileOperation(file, Op::ADD, {}), ErrorCode::Ok);
    }
    ASSERT_EQ(PerformFileOperation(file, Op::CLOSE, {}), ErrorCode::Ok);
    sound_ = ReadFile(name + ".VXR");
  }
  static void TearDownTestSuite() { folder_.reset(); }

  // Checks `bytes` as a file; the file's bytes must be the same after.
  static VxrCheckReport Check(const std::string& bytes) {
    const fs::path path = dir_ / "COPY.VXR";
    WriteFile(path, bytes);
    VxrCheckReport report = CheckVxrPath(path.string());
    EXPECT_EQ(ReadFile(path), bytes) << "the check changed the file";
    return report;
  }

  static inline std::unique_ptr<testing_support::TemporaryFolder> folder_;
  static inline fs::path dir_;
  static inline std::string sound_;
};

TEST_F(VxrCheckTest, ASoundFileWrittenByTheDriverPasses) {
  ASSERT_GT(Pages(sound_).size(), 3u);
  const VxrCheckReport report = Check(sound_);
  for (const VxrFinding& f : report.findings) ADD_FAILURE() << f.location << ": " << f.text;
  EXPECT_TRUE(report.Sound());
  EXPECT_EQ(report.tables, 1u);
  EXPECT_EQ(report.pages, Pages(sound_).size());
  EXPECT_GT(report.records, 1200u);  // 400 data records, two entries each, and more
}

// A shadow area that cannot be walked is an interrupted write the next
// writer undoes: a reader ignores it, and so does the check, saying so.
TEST_F(VxrCheckTest, AnInterruptedWriteIsReadAsAReadingStationReadsIt) {
  std::string bytes = sound_;
  bytes[10] = static_cast<char>(bytes[10] + 1);  // the shadow end past the committed end
  const VxrCheckReport report = Check(bytes);
  for (const VxrFinding& f : report.findings) ADD_FAILURE() << f.location << ": " << f.text;
  EXPECT_TRUE(report.Sound());
  ASSERT_EQ(report.notes.size(), 1u);
  EXPECT_NE(report.notes[0].find("an interrupted write"), std::string::npos) << report.notes[0];
  EXPECT_NE(report.notes[0].find("will undo it"), std::string::npos) << report.notes[0];
  EXPECT_EQ(report.pages, Pages(sound_).size());
}

// The file's one table number and the key of its data record `n`.
std::uint32_t TableOf(const std::string& bytes) {
  for (const VxrRecord& r : LeafRecords(bytes)) {
    if (static_cast<std::uint8_t>(r.key[0]) == 0xFE) return *ReadBigEndian32(r.data, 0);
  }
  return 0;
}

struct Damage {
  const char* what;
  // Plants the damage in `bytes`; answers the location and a piece of the
  // text expected among the findings.
  std::function<std::pair<std::string, std::string>(std::string& bytes)> plant;
  bool readable = true;
};

std::pair<std::string, std::string> Found(std::string location, std::string text) { return {location, text}; }

const Damage kDamages[] = {
    {"header signature",
     [](std::string& b) {
       b[14] = 'x';
       return Found("header", "no signature");
     },
     false},
    {"a zone reaching past the file",
     [](std::string& b) {
       const PagePlace last = Pages(b).back();
       const auto span = std::span(reinterpret_cast<std::uint8_t*>(b.data()), b.size());
       const std::uint32_t start = VxrLoad32(span, 32 + 4 * last.units);
       VxrStore32(span, 272 + 4 * last.units, start + static_cast<std::uint32_t>(last.units) * 0x1000);
       return Found("zone " + std::to_string(last.units), "past the end of the file");
     }},
    {"a zone end of no whole pages",
     [](std::string& b) {
       const PagePlace last = Pages(b).back();
       if (last.units < 2) return Found("zone ?", "the test needs a zone of pages of 2 units or more");
       const auto span = std::span(reinterpret_cast<std::uint8_t*>(b.data()), b.size());
       VxrStore32(span, 272 + 4 * last.units, VxrLoad32(span, 272 + 4 * last.units) - 1);
       return Found("zone " + std::to_string(last.units), "not whole pages");
     }},
    {"a page's stored size",
     [](std::string& b) {
       const PagePlace p = Pages(b).front();
       const auto span = std::span(reinterpret_cast<std::uint8_t*>(b.data()), b.size());
       const std::uint64_t at = VxrPageOffset(p.reference);
       VxrStore16(span, at + 4, static_cast<std::uint16_t>(VxrLoad16(span, at + 4) + kVxrUnit));
       return Found(
           "page 0x" +
               [&] {
                 char t[16];
                 std::snprintf(t, sizeof t, "%X", p.reference);
                 return std::string(t);
               }() +
               " (offset 0x" +
               [&] {
                 char t[16];
                 std::snprintf(t, sizeof t, "%llX", static_cast<unsigned long long>(at));
                 return std::string(t);
               }() +
               ")",
           "units; its zone's pages take");
     }},
    {"a flipped record order",
     [](std::string& b) {
       const std::string key = VxrDataRecordKey(TableOf(b), 200);
       const bool edited = EditLeaf(b, key, [](VxrPage& p, std::size_t i) {
         std::swap(p.records[i], p.records[i == p.records.size() - 1 ? i - 1 : i + 1]);
       });
       return Found(edited ? "page " : "not edited", "records out of order inside the page");
     }},
    {"a missing key entry",
     [](std::string& b) {
       const std::uint32_t table = TableOf(b);
       const std::string prefix = VxrDataRecordKey(table, 0).substr(0, 4) + '\x01';
       std::string entry;
       for (const VxrRecord& r : LeafRecords(b)) {
         if (r.key.compare(0, 5, prefix) == 0 &&
             r.key.substr(r.key.size() - 4) == VxrDataRecordKey(0, 150).substr(5))
           entry = r.key;
       }
       const bool edited = EditLeaf(b, entry, [](VxrPage& p, std::size_t i) {
         p.records.erase(p.records.begin() + static_cast<std::ptrdiff_t>(i));
       });
       return Found(edited ? "table " + std::to_string(table) + " record " + Hex(VxrDataRecordKey(table, 150))
                           : "not edited",
                    "no entry in key 1");
     }},
    {"an extra key entry",
     [](std::string& b) {
       const std::uint32_t table = TableOf(b);
       const std::string prefix = VxrDataRecordKey(table, 0).substr(0, 4) + '\x01';
       std::string last;
       for (const VxrRecord& r : LeafRecords(b)) {
         if (r.key.compare(0, 5, prefix) == 0) last = r.key;
       }
       std::string extra = last.substr(0, last.size() - 4) + VxrDataRecordKey(0, 900).substr(5);
       const bool edited = EditLeaf(b, last, [&](VxrPage& p, std::size_t i) {
         p.records.insert(p.records.begin() + static_cast<std::ptrdiff_t>(i) + 1, VxrRecord{extra, ""});
       });
       return Found(edited ? "table " + std::to_string(table) + " key 1 entry " + Hex(extra) : "not edited",
                    "names record 900, which is not present");
     }},
    {"a wrong counter",
     [](std::string& b) {
       const std::uint32_t table = TableOf(b);
       const std::string counters = VxrCountersKey(table, 0);
       const bool edited = EditLeaf(b, counters, [](VxrPage& p, std::size_t i) {
         p.records[i].data.replace(0, 4, std::string("\x07\0\0\0", 4));
       });
       return Found(edited ? "table " + std::to_string(table) + " key 0 counters" : "not edited",
                    "count 7, but 400 entries present");
     }},
    {"a last issued number below a record number",
     [](std::string& b) {
       b[20] = b[21] = b[22] = 0;
       b[23] = 1;
       return Found("header", "last issued number 1 is below the highest number present, 401");
     }},
    {"a last issued number with no number left after it",
     [](std::string& b) {
       b[20] = '\xFE';
       return Found("header", "last issued number 0xFE000191 has reached 0xFE in its highest byte");
     }},
    {"a header size other than 512",
     [](std::string& b) {
       b[4] = 1;
       return Found("header", "header size 0x201, not 0x200");
     }},
    {"a record numbered 0",
     [](std::string& b) {
       const std::uint32_t table = TableOf(b);
       const bool edited = EditLeaf(b, VxrDataRecordKey(table, 2), [&](VxrPage& p, std::size_t i) {
         p.records[i].key = VxrDataRecordKey(table, 0);
       });
       return Found(edited ? "table " + std::to_string(table) + " record 0" : "not edited", "numbered 0");
     }},
    {"a data part longer than the record",
     [](std::string& b) {
       const std::uint32_t table = TableOf(b);
       const bool edited = EditLeaf(b, VxrDataRecordKey(table, 200),
                                    [](VxrPage& p, std::size_t i) { p.records[i].data += 'x'; });
       return Found(edited ? "table " + std::to_string(table) + " record " + Hex(VxrDataRecordKey(table, 200))
                           : "not edited",
                    "a data part of 17 bytes, not the record size 16");
     }},
    {"two records with one value in a key without duplicates",
     [](std::string& b) {
       const std::uint32_t table = TableOf(b);
       const bool edited = EditLeaf(b, VxrDataRecordKey(table, 200), [](VxrPage& p, std::size_t i) {
         RecordBuffer r(kCheckedFields);
         std::copy(p.records[i].data.begin(), p.records[i].data.end(), r.Bytes().begin());
         (void)CHK.NUM.Set(r, 198);  // record 199's (the table took number 1)
         p.records[i].data.assign(r.Bytes().begin(), r.Bytes().end());
       });
       return Found(edited ? "table " + std::to_string(table) + " record " + Hex(VxrDataRecordKey(table, 200))
                           : "not edited",
                    "the same value in key 0 as record 199, and the key allows no duplicates");
     }},
    {"a record of no kind",
     [](std::string& b) {
       const std::uint32_t table = TableOf(b);
       const std::string counters = VxrCountersKey(table, 0xF3);
       const std::string odd = counters.substr(0, 4) + "\xF8\xF3";  // of a counters key's length
       const bool edited = EditLeaf(b, counters, [&](VxrPage& p, std::size_t i) { p.records[i].key = odd; });
       return Found(edited ? "table " + std::to_string(table) + " record " + Hex(odd) : "not edited",
                    "a record of no kind a table has");
     }},
};

TEST_F(VxrCheckTest, EveryPlantedDamageIsFoundWhereItLies) {
  for (const Damage& damage : kDamages) {
    SCOPED_TRACE(damage.what);
    std::string bytes = sound_;
    const auto [location, text] = damage.plant(bytes);
    ASSERT_NE(bytes, sound_);
    const VxrCheckReport report = Check(bytes);
    EXPECT_FALSE(report.Sound());
    EXPECT_EQ(report.readable, damage.readable);
    const bool found = std::any_of(report.findings.begin(), report.findings.end(), [&](const VxrFinding& f) {
      return f.location.starts_with(location) && f.text.find(text) != std::string::npos;
    });
    std::string said;
    for (const VxrFinding& f : report.findings) said += "\n  " + f.location + ": " + f.text;
    EXPECT_TRUE(found) << "expected " << location << ": ..." << text << "... among" << said;
  }
}

// A zone that names a million pages past the end of the file is said once,
// not page by page (which took minutes), and the pages inside the file are
// still checked.
TEST_F(VxrCheckTest, AZoneFarPastTheEndIsSaidOnce) {
  std::string bytes = sound_;
  const auto span = std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
  const std::size_t last = Pages(bytes).back().units;
  const std::uint32_t end = VxrLoad32(span, 272 + 4 * last) + static_cast<std::uint32_t>(last) * 0x100000;
  for (std::size_t i = last; i < kVxrZones; ++i) {  // the empty zones above lie where it ends
    if (i > last) VxrStore32(span, 32 + 4 * i, end);
    VxrStore32(span, 272 + 4 * i, end);
  }
  const VxrCheckReport report = Check(bytes);
  std::string said;
  for (const VxrFinding& f : report.findings) said += "\n  " + f.location + ": " + f.text;
  EXPECT_LT(report.findings.size(), 10u) << said;  // the zone, the ends, what lies in the file past them
  EXPECT_NE(said.find("zone " + std::to_string(last) + ": reaches offset"), std::string::npos) << said;
  EXPECT_EQ(report.pages, Pages(sound_).size());
}

TEST_F(VxrCheckTest, WhatCannotBeReadIsNotReadable) {
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {{"truncated", sound_.substr(0, 300)}, {"empty", ""}, {"foreign", std::string(2048, 'A')}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const VxrCheckReport report = Check(c.bytes);
    EXPECT_FALSE(report.readable);
    ASSERT_EQ(report.findings.size(), 1u);
    EXPECT_EQ(report.findings[0].location, "header");
  }
  EXPECT_FALSE(CheckVxrPath((dir_ / "MISSING.VXR").string()).readable);
}

}  // namespace
}  // namespace zelvo

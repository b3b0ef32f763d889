// A fixture for tests of indexed record files shared between stations: a
// folder of its own, the pay-record-like table PER (NUM, FAM, NOTE; a primary
// key on NUM and a DUP key on FAM) in two files, NBASA and NZELVO, and a
// second station in this process. The driver opens one file once per
// process; the same file reached through another folder name (a link to the
// test's folder, as another workstation maps the shared data directory) is
// opened apart, with locks of its own, exactly like another workstation.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "storage/declare_fields.h"
#include "storage/error_state.h"
#include "storage/file_operations.h"
#include "storage/vxr/vxr_check.h"
#include "tests/testing/file_operation_helpers.h"
#include "tests/testing/scoped_file_system.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo::testing_vxr {

namespace fs = std::filesystem;
using Op = FileOperation;
using testing_support::Do;
using testing_support::ScopedFileSystem;
using testing_support::Seconds;

#define TEST_STATION_FIELDS(FIELD) FIELD(NUM, Long()) FIELD(FAM, String(8)) FIELD(NOTE, CString(6))
ZELVO_DECLARE_FIELDS(Station, STA, TEST_STATION_FIELDS);

inline constexpr KeyDeclaration kStationKeys[] = {{"NUM_KEY", "", kKeyPrimary | kKeyOpt, {{"NUM"}}},
                                                  {"FAM_KEY", "", kKeyDup | kKeyNoCase, {{"FAM"}}}};
inline constexpr AccessMode kShared{0x42};

// Record number -> surname: what a table holds.
using Content = std::map<std::int32_t, std::string>;

class StationTest : public testing::Test {
 public:
  void SetUp() override { fs::create_directory_symlink(dir_, dir_ / "station2"); }
  // Where the test's folder goes: memory-backed when the machine has it, so
  // that the many syncs of a harness cost nothing.
  static fs::path Root() {
    std::error_code failed;
    if (fs::is_directory("/dev/shm", failed)) return "/dev/shm";
    return fs::path(testing::TempDir());
  }

  // The table in file `file` as another station (other = true) sees it.
  // A FILE keeps its declaration: the fixture keeps them all.
  const FileDeclaration& Table(const std::string& file = "NBASA", bool other = false) {
    names_.push_back((other ? (dir_ / "station2" / file) : (dir_ / file)).string());
    declarations_.push_back({.label = "STA", .driver = Driver::Vxr, .name = names_.back(),
                             .attributes = kFileCreate, .fields = kStationFields, .keys = kStationKeys});
    return declarations_.back();
  }
  std::string PathOf(const std::string& file = "NBASA") const { return (dir_ / (file + ".VXR")).string(); }

  static ErrorCode Open(File& file) { return testing_support::Open(file, kShared); }
  static void Set(File& file, std::int32_t num, std::string_view fam) {
    auto& r = file.Record();
    std::fill(r.Bytes().begin(), r.Bytes().end(), std::uint8_t{0});
    (void)STA.NUM.Set(r, num);
    (void)STA.FAM.Set(r, fam);
  }
  static std::string Fam(const File& file) {
    std::string fam = STA.FAM.Get(file.Record());
    return fam.erase(fam.find_last_not_of(' ') + 1);
  }
  static std::int32_t Num(const File& file) { return static_cast<std::int32_t>(STA.NUM.Get(file.Record())); }
  // Reads the record with NUM `num` by the primary key.
  static ErrorCode Get(File& file, std::int32_t num) {
    Set(file, num, "");
    OperationArguments args;
    args.key = 1;
    return PerformFileOperation(file, Op::GETfilekey, args);
  }
  static Content ReadAll(File& file) {
    Content out;
    EXPECT_EQ(Do(file, Op::SETfile), ErrorCode::Ok);
    while (Do(file, Op::NEXT) == ErrorCode::Ok) out[Num(file)] = Fam(file);
    return out;
  }
  // What a fresh station reads from the table, and that the file is sound.
  Content Reopened(const std::string& file = "NBASA") {
    File f(Table(file));
    EXPECT_EQ(Open(f), ErrorCode::Ok) << file;
    Content content = ReadAll(f);
    OperationAnswer answer;
    EXPECT_EQ(PerformFileOperation(f, Op::RECORDSfile, {}, answer), ErrorCode::Ok);
    EXPECT_EQ(answer.number, content.size()) << file;
    EXPECT_EQ(Do(f, Op::CLOSE), ErrorCode::Ok);
    const VxrCheckReport report = CheckVxrPath(PathOf(file));
    EXPECT_TRUE(report.Sound()) << file << ": " << (report.findings.empty() ? "" : report.findings[0].text);
    return content;
  }
  void Create(const std::string& file, const Content& content) {
    File f(Table(file));
    ASSERT_EQ(Do(f, Op::CREATE), ErrorCode::Ok);
    ASSERT_EQ(Open(f), ErrorCode::Ok);
    for (const auto& [num, fam] : content) {
      Set(f, num, fam);
      ASSERT_EQ(Do(f, Op::ADD), ErrorCode::Ok);
    }
    ASSERT_EQ(Do(f, Op::CLOSE), ErrorCode::Ok);
  }

  testing_support::TemporaryFolder folder_{Root()};
  const fs::path& dir_ = folder_.Path();
  std::deque<std::string> names_;  // the declarations point into it
  std::deque<FileDeclaration> declarations_;
};

}  // namespace zelvo::testing_vxr

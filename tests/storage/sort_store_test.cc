#include "storage/sort_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "storage/testing/faulty_file_system.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

namespace fs = std::filesystem;

class SortStoreTest : public ::testing::Test {
 protected:
  bool DirectoryEmpty() const { return fs::is_empty(dir_); }

  // Items of 1 to 40 bytes, any byte value, some repeated.
  static std::vector<std::string> Items(std::size_t count) {
    std::mt19937 random(7);
    std::vector<std::string> items;
    for (std::size_t i = 0; i < count; ++i) {
      if (i % 10 == 9) {
        items.push_back(items[random() % items.size()]);
        continue;
      }
      std::string item(1 + random() % 40, '\0');
      for (char& c : item) c = static_cast<char>(random() % 256);
      items.push_back(item);
    }
    return items;
  }

  // Everything the store gives back, or the first failure.
  static std::pair<ErrorCode, std::vector<std::string>> Drain(SortStore& store) {
    std::vector<std::string> out;
    for (;;) {
      SortedItem next = store.Next();
      if (Failed(next.code) || next.end) return {next.code, out};
      out.push_back(std::move(next.item));
    }
  }

  testing_support::TemporaryFolder folder_;
  const fs::path& dir_ = folder_.Path();
};

TEST_F(SortStoreTest, SortsByUnsignedBytesShorterFirst) {
  SortStore store(dir_.string());
  for (const char* item : {"b", "\xFF", "ab", "a", "\x01", "a", ""}) ASSERT_EQ(store.Add(item), ErrorCode::Ok);
  const auto [code, out] = Drain(store);
  EXPECT_EQ(code, ErrorCode::Ok);
  EXPECT_EQ(out, (std::vector<std::string>{"", "\x01", "a", "a", "ab", "b", "\xFF"}));
  EXPECT_TRUE(store.SpillPath().empty());
  EXPECT_EQ(store.Add("late"), ErrorCode::UnsupportedFileDriverFunction);
}

TEST_F(SortStoreTest, SpillsBeyondItsMemoryAndMergesTheRuns) {
  for (const std::size_t count : {0u, 1u, 700u, 5000u}) {
    std::vector<std::string> items = Items(count);
    {
      SortStore store(dir_.string());
      for (const std::string& item : items) ASSERT_EQ(store.Add(item), ErrorCode::Ok);
      items.push_back(std::string(SortStore::kMemoryLimit + 10, 'x'));  // larger than the memory
      ASSERT_EQ(store.Add(items.back()), ErrorCode::Ok);
      EXPECT_EQ(store.Size(), items.size());
      const auto [code, out] = Drain(store);
      ASSERT_EQ(code, ErrorCode::Ok) << count;
      std::sort(items.begin(), items.end());
      EXPECT_EQ(out, items) << count;
      EXPECT_EQ(store.SpillPath().empty(), count == 0) << count;
      if (count > 0) {
        EXPECT_TRUE(fs::exists(store.SpillPath()));
      }
    }
    EXPECT_TRUE(DirectoryEmpty()) << "the temporary file is removed, " << count;
  }
}

// A failing write, read or open anywhere gives that failure, never a wrong
// or short sequence, and leaves no temporary file.
TEST_F(SortStoreTest, FileFaultsAreAnsweredNotHidden) {
  const std::vector<std::string> items = Items(3000);
  std::vector<std::string> sorted = items;
  std::sort(sorted.begin(), sorted.end());
  for (int kind = 0; kind < 3; ++kind) {
    for (std::uint64_t n = 1;; ++n) {
      FaultyFileSystem faulty;
      if (kind == 0) faulty.plan.failWrite = n;
      if (kind == 1) faulty.plan.failRead = n;
      if (kind == 2) faulty.plan.failOpen = true;
      ErrorCode code = ErrorCode::Ok;
      std::vector<std::string> out;
      {
        SortStore store(dir_.string(), SortStore::kMemoryLimit, faulty);
        for (const std::string& item : items)
          if (code = store.Add(item); Failed(code)) break;
        if (!Failed(code)) std::tie(code, out) = Drain(store);
        if (Failed(code)) {
          EXPECT_EQ(store.Next().code, code) << "a failure stays";
        }
      }
      EXPECT_TRUE(DirectoryEmpty());
      if (!Failed(code)) {
        EXPECT_EQ(out, sorted);
        EXPECT_GT(n, 1u) << kind;
        break;
      }
      EXPECT_GT(Number(code), 300) << kind << " at " << n;
      if (kind == 2) break;
    }
  }
}

}  // namespace
}  // namespace zelvo

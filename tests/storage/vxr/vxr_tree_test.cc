#include "storage/vxr/internal/vxr_tree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "storage/testing/faulty_file_system.h"
#include "storage/testing/memory_file.h"
#include "storage/vxr/internal/vxr_corruption.h"
#include "storage/vxr/internal/vxr_memory_records.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

using std::string_literals::operator""s;

using Model = std::map<std::string, std::string, bool (*)(const std::string&, const std::string&)>;
bool KeyLess(const std::string& a, const std::string& b) { return CompareVxrKeys(a, b) < 0; }

// The key of data record `n` of table 1.
std::string Key(std::uint32_t n) {
  std::string k = "\x00\x00\x00\x01\xF3"s;
  for (int i = 3; i >= 0; --i) k.push_back(static_cast<char>(n >> (8 * i)));
  return k;
}

// A VXR file in a fresh temporary folder, opened through a chosen file system.
class VxrTreeTest : public testing::Test {
 protected:
  void TearDown() override {
    tree_.reset();
    store_.reset();
  }

  VxrStatus Open(FileSystem& fs = PosixFileSystem(), bool writable = true) {
    tree_.reset();
    store_.reset();
    OpenResult f = fs.Open(path_, {.read = true, .write = writable, .create = writable});
    if (Failed(f.code)) return {f.code};
    VxrPageStore::Opened opened = VxrPageStore::Open(std::move(f.file), writable);
    if (!opened.status.Ok()) return opened.status;
    store_ = std::move(opened.store);
    tree_ = std::make_unique<VxrTree>(*store_);
    return {};
  }

  // The bytes of a file of `records` records of 40 bytes, closed.
  std::string WrittenBytes(std::uint32_t records) {
    EXPECT_TRUE(Open().Ok());
    for (std::uint32_t n = 0; n < records; ++n) EXPECT_TRUE(tree_->Insert(Key(n), std::string(40, 'r')).Ok());
    EXPECT_TRUE(tree_->Write().Ok());
    return Closed();
  }
  // Closes the file; its bytes.
  std::string Closed() {
    tree_.reset();
    store_.reset();
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Rewrite(const std::string& bytes) { std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes; }

  // Every record in order, front to back and back to front, against the
  // model; the zones closed up by whole pages: each starts where the one
  // below ends, or less than one of its pages above it.
  void ExpectContents(const Model& model) {
    const VxrHeader& h = store_->Header();
    for (std::size_t i = 1; i < kVxrZones; ++i) {
      ASSERT_GE(h.zones[i].start, h.zones[i - 1].end) << i;
      ASSERT_LT(h.zones[i].start - h.zones[i - 1].end, h.zones[i].start == h.zones[i].end ? 1 : i) << i;
    }
    std::size_t count = 0;
    ASSERT_TRUE(tree_->Check(count).Ok());
    EXPECT_EQ(count, model.size());
    auto it = model.begin();
    for (VxrLookup r = tree_->First(); r.Found(); r = tree_->Next(r.record.key), ++it) {
      ASSERT_NE(it, model.end());
      ASSERT_EQ(r.record.key, it->first);
      ASSERT_EQ(r.record.data, it->second);
    }
    EXPECT_EQ(it, model.end());
    auto back = model.rbegin();
    for (VxrLookup r = tree_->Last(); r.Found(); r = tree_->Previous(r.record.key), ++back) {
      ASSERT_NE(back, model.rend());
      ASSERT_EQ(r.record.key, back->first);
    }
    EXPECT_EQ(back, model.rend());
  }

  testing_support::TemporaryFolder folder_;
  const std::string path_ = folder_.File("T.VXR");
  std::unique_ptr<VxrPageStore> store_;
  std::unique_ptr<VxrTree> tree_;
};

TEST_F(VxrTreeTest, ManyRecordsSplitIntoLevelsAndSurviveReopening) {
  ASSERT_TRUE(Open().Ok());
  Model model(KeyLess);
  std::mt19937 random(7);  // 32-bit results
  for (std::uint32_t i = 0; i < 3000; ++i) {
    const auto n = static_cast<std::uint32_t>(random() % 100000);
    const std::string data(20 + random() % 300, static_cast<char>('a' + n % 26));
    const VxrStatus s = tree_->Insert(Key(n), data);
    if (model.contains(Key(n))) {
      EXPECT_EQ(s.code, ErrorCode::CreatesDuplicateKey);
    } else {
      ASSERT_TRUE(s.Ok()) << s.corruption;
      model.emplace(Key(n), data);
    }
    if (i % 500 == 499) {
      ASSERT_TRUE(tree_->Write().Ok());
    }
  }
  ASSERT_TRUE(tree_->Write().Ok());
  VxrPage* root = nullptr;
  ASSERT_TRUE(store_->Load(store_->Header().root, root).Ok());
  EXPECT_GE(root->level, 1);
  ExpectContents(model);

  ASSERT_TRUE(Open().Ok());
  ExpectContents(model);
  // Erase most of them, from the front (parent copies change) and at random.
  std::size_t erased = 0;
  for (auto it = model.begin(); it != model.end() && erased < 2500; ++erased) {
    ASSERT_TRUE(tree_->Erase(it->first).Ok());
    it = model.erase(it);
    if (erased % 7 == 0 && it != model.end()) std::advance(it, 1);
    if (erased % 400 == 0) {
      ASSERT_TRUE(tree_->Write().Ok());
    }
  }
  ASSERT_TRUE(tree_->Write().Ok());
  ExpectContents(model);
  ASSERT_TRUE(Open().Ok());
  ExpectContents(model);
  for (auto it = model.begin(); it != model.end(); it = model.erase(it)) {
    ASSERT_TRUE(tree_->Erase(it->first).Ok());
  }
  ASSERT_TRUE(tree_->Write().Ok());
  ASSERT_TRUE(Open().Ok());
  ExpectContents(model);
  EXPECT_EQ(store_->Header().UsedEnd(), VxrPageOffset(1));  // one empty root is left
}

// Searches and changes answered from the leaves a search remembered, mixed
// at random with writes and a cache so small that every trim drops pages:
// the tree agrees with a model at every step and is sound at the end.
TEST_F(VxrTreeTest, ChangesAndWalksNearTheLastLeavesAgreeWithAModel) {
  ASSERT_TRUE(Open().Ok());
  store_->SetCacheLimit(1);
  Model model(KeyLess);
  std::mt19937 random(11);
  for (std::uint32_t i = 0; i < 6000; ++i) {
    const auto n = static_cast<std::uint32_t>(random() % 4000);
    const std::string key = Key(n);
    const auto known = model.find(key);
    switch (random() % 4) {
      case 0: {  // an insert, or an update growing or shrinking the record (splits)
        const std::string data(random() % 2 ? 10 : 900, static_cast<char>('a' + i % 26));
        const VxrStatus s = known == model.end() ? tree_->Insert(key, data) : tree_->Update(key, data);
        ASSERT_TRUE(s.Ok()) << i;
        model[key] = data;
        break;
      }
      case 1:
        ASSERT_EQ(tree_->Erase(key).code, known == model.end() ? ErrorCode::RecordNotFound : ErrorCode::Ok) << i;
        if (known != model.end()) model.erase(known);
        break;
      default: {  // a few steps forwards or backwards from the key, as a walk
        const bool forward = random() % 2;
        auto expected = forward ? model.upper_bound(key) : model.lower_bound(key);
        std::string at = key;
        for (int step = 0; step < 3; ++step) {
          const VxrLookup met = forward ? tree_->Next(at) : tree_->Previous(at);
          const bool end = forward ? expected == model.end() : expected == model.begin();
          if (end) {
            ASSERT_EQ(met.status.code, ErrorCode::RecordNotFound) << i;
            break;
          }
          if (!forward) --expected;
          ASSERT_TRUE(met.Found()) << i;
          ASSERT_EQ(met.record.key, expected->first) << i;
          ASSERT_EQ(met.record.data, expected->second) << i;
          if (forward) ++expected;
          at = met.record.key;
        }
        EXPECT_EQ(tree_->Find(key).Found(), known != model.end()) << i;
      }
    }
    if (i % 97 == 0) {
      ASSERT_TRUE(tree_->Write().Ok()) << i;
    }
    store_->Trim();
  }
  ASSERT_TRUE(tree_->Write().Ok());
  ExpectContents(model);
}

TEST_F(VxrTreeTest, LookupsAndUpdates) {
  ASSERT_TRUE(Open().Ok());
  EXPECT_EQ(tree_->First().status.code, ErrorCode::RecordNotFound);
  EXPECT_EQ(tree_->Erase("x").code, ErrorCode::RecordNotFound);
  EXPECT_EQ(tree_->Update("x", "").code, ErrorCode::RecordNotFound);
  for (std::uint32_t n = 10; n < 1000; n += 10) ASSERT_TRUE(tree_->Insert(Key(n), std::string(200, 'd')).Ok());
  EXPECT_EQ(tree_->LowerBound(Key(15)).record.key, Key(20));
  EXPECT_EQ(tree_->LowerBound(Key(20)).record.key, Key(20));
  EXPECT_EQ(tree_->Next(Key(20)).record.key, Key(30));
  EXPECT_EQ(tree_->Previous(Key(20)).record.key, Key(10));
  EXPECT_EQ(tree_->Previous(Key(10)).status.code, ErrorCode::RecordNotFound);
  EXPECT_EQ(tree_->Next(Key(990)).status.code, ErrorCode::RecordNotFound);
  EXPECT_EQ(tree_->Find(Key(15)).status.code, ErrorCode::RecordNotFound);
  ASSERT_TRUE(tree_->Update(Key(10), std::string(3000, 'u')).Ok());  // the first record grows
  EXPECT_EQ(tree_->Find(Key(10)).record.data.size(), 3000u);
  EXPECT_EQ(tree_->Insert(Key(5), std::string(kVxrMaxRecord, 'x')).corruption, kVxrRecordTooLarge);
  ASSERT_TRUE(tree_->Insert(Key(5), std::string(kVxrMaxRecord - Key(5).size(), 'x')).Ok());
  ASSERT_TRUE(tree_->Insert(Key(6), std::string(kVxrMaxRecord - Key(6).size(), 'y')).Ok());
  ASSERT_TRUE(tree_->Write().Ok());
  std::size_t count = 0;
  ASSERT_TRUE(tree_->Check(count).Ok());
  EXPECT_EQ(count, 101u);
}

// A write that fails at any point leaves a file holding exactly the records
// of the last commit: the old ones before the header is rewritten, the new
// ones after it.
TEST_F(VxrTreeTest, FailedWriteAtEveryPointLeavesACommittedState) {
  ASSERT_TRUE(Open().Ok());
  Model before(KeyLess);
  for (std::uint32_t n = 0; n < 400; ++n) {
    before.emplace(Key(n * 2), std::string(60, static_cast<char>('a' + n % 26)));
    ASSERT_TRUE(tree_->Insert(Key(n * 2), before[Key(n * 2)]).Ok());
  }
  ASSERT_TRUE(tree_->Write().Ok());
  Model after = before;
  const std::string saved = path_ + ".saved";
  std::filesystem::copy_file(path_, saved);

  bool sawOld = false, sawNew = false;
  for (std::uint64_t failAt = 1;; ++failAt) {
    std::filesystem::copy_file(saved, path_, std::filesystem::copy_options::overwrite_existing);
    FaultyFileSystem faulty;
    faulty.plan.failWrite = failAt;
    faulty.plan.shortWriteBytes = 100;
    ASSERT_TRUE(Open(faulty).Ok());
    after = before;
    for (std::uint32_t n = 0; n < 60; ++n) {  // new pages, changed pages, a new root
      after.emplace(Key(n * 2 + 1), std::string(300, 'n'));
      ASSERT_TRUE(tree_->Insert(Key(n * 2 + 1), after[Key(n * 2 + 1)]).Ok());
    }
    for (std::uint32_t n = 300; n < 400; ++n) {  // freed pages
      after.erase(Key(n * 2));
      ASSERT_TRUE(tree_->Erase(Key(n * 2)).Ok());
    }
    const VxrStatus written = tree_->Write();
    const bool failed = faulty.WritesSeen() >= failAt;
    if (!failed) {
      ASSERT_TRUE(written.Ok());
      break;
    }
    EXPECT_FALSE(written.Ok()) << failAt;
    const VxrStatus reopened = Open();  // the real file system: repairs what is left
    ASSERT_TRUE(reopened.Ok()) << failAt << " " << Number(reopened.code) << " " << reopened.corruption;
    std::size_t count = 0;
    ASSERT_TRUE(tree_->Check(count).Ok()) << failAt;
    if (count == before.size()) {
      sawOld = true;
      ExpectContents(before);
    } else {
      sawNew = true;
      ExpectContents(after);
    }
    if (failAt == 1) {
      EXPECT_EQ(count, before.size());
    }
  }
  EXPECT_TRUE(sawOld);
  EXPECT_TRUE(sawNew);
  std::filesystem::remove(saved);
}

// A file that stops taking writes after a number of them, as a crash does.
class CrashingFile final : public OsFile {
 public:
  CrashingFile(std::unique_ptr<OsFile> inner, std::uint64_t writes) : inner_(std::move(inner)), left_(writes) {}
  ReadResult ReadAt(std::uint64_t o, std::span<std::uint8_t> into) override { return inner_->ReadAt(o, into); }
  ErrorCode WriteAt(std::uint64_t o, std::span<const std::uint8_t> b) override {
    if (left_ == 0) return ErrorCode{339};
    --left_;
    return inner_->WriteAt(o, b);
  }
  SizeResult Size() override { return inner_->Size(); }
  ErrorCode Truncate(std::uint64_t size) override { return inner_->Truncate(size); }
  ErrorCode Sync() override { return inner_->Sync(); }
  ErrorCode Lock(ByteRange r, LockKind k, LockWait w) override { return inner_->Lock(r, k, w); }
  ErrorCode Unlock(ByteRange r) override { return inner_->Unlock(r); }
  bool IsLockedByOthers(ByteRange r, LockKind k) override { return inner_->IsLockedByOthers(r, k); }
  ErrorCode Close() override { return inner_->Close(); }

 private:
  std::unique_ptr<OsFile> inner_;
  std::uint64_t left_;
};

// A crash after the header pointed at the shadow copies: a reader sees the
// new records through them and leaves the file as it is; the next writer
// copies them home.
TEST(VxrInterruptedWrite, ReadThroughShadowCopiesAndFinishedByAWriter) {
  using Bytes = MemoryFile::Bytes;
  auto committed = std::make_shared<Bytes>();
  Model model(KeyLess);
  {
    VxrPageStore::Opened o = VxrPageStore::Open(std::make_unique<MemoryFile>(committed), true);
    ASSERT_TRUE(o.status.Ok());
    VxrTree tree(*o.store);
    for (std::uint32_t n = 0; n < 200; ++n) {
      model.emplace(Key(n), std::string(50, 'o'));
      ASSERT_TRUE(tree.Insert(Key(n), model[Key(n)]).Ok());
    }
    ASSERT_TRUE(tree.Write().Ok());
  }
  for (std::uint32_t n = 0; n < 200; n += 3) model[Key(n)] = std::string(80, 'u');
  auto expect = [&](const std::shared_ptr<Bytes>& bytes, bool writable) {
    VxrPageStore::Opened o = VxrPageStore::Open(std::make_unique<MemoryFile>(bytes), writable);
    ASSERT_TRUE(o.status.Ok());
    VxrTree tree(*o.store);
    std::size_t count = 0;
    ASSERT_TRUE(tree.Check(count).Ok());
    EXPECT_EQ(count, model.size());
    for (const auto& [key, data] : model) ASSERT_EQ(tree.Find(key).record.data, data);
    if (writable) {
      EXPECT_EQ(o.store->Header().committedEnd, o.store->Header().shadowEnd);
    }
  };
  bool found = false;
  for (std::uint64_t writes = 1; writes < 100 && !found; ++writes) {
    auto bytes = std::make_shared<Bytes>(*committed);
    {
      VxrPageStore::Opened o = VxrPageStore::Open(
          std::make_unique<CrashingFile>(std::make_unique<MemoryFile>(bytes), writes), true);
      ASSERT_TRUE(o.status.Ok());
      VxrTree tree(*o.store);
      for (std::uint32_t n = 0; n < 200; n += 3) ASSERT_TRUE(tree.Update(Key(n), model[Key(n)]).Ok());
      if (tree.Write().Ok()) break;
    }
    if (VxrLoad32(*bytes, 6) == VxrLoad32(*bytes, 10)) continue;  // not past phase one
    found = true;
    const Bytes left = *bytes;
    expect(bytes, false);
    EXPECT_EQ(*bytes, left);  // the reader wrote nothing
    expect(bytes, true);
    expect(bytes, false);
  }
  EXPECT_TRUE(found);
}

TEST(VxrPageCache, TrimKeepsSmallCachesAndDirtyPages) {
  VxrPageCache probe;
  probe.Put(0, VxrPage{}, false);
  VxrPageCache cache;
  cache.SetLimit(4095 * probe.Bytes());  // trimmed once it holds more than 4095 empty pages
  for (std::uint32_t r = 0; r < 4095; ++r) cache.Put(r, VxrPage{}, r >= 900 && r % 2 == 0 && r < 1023);
  cache.Trim();
  EXPECT_EQ(cache.Size(), 4095u);  // not yet grown to the trim point
  ASSERT_NE(cache.Find(5), nullptr);  // used again: now the most recent clean page
  cache.Put(4095, VxrPage{}, false);
  cache.Trim();
  // 100 or more: least recently used clean pages go until fewer remain; then
  // only those long unused; dirty pages stay whatever their age.
  EXPECT_LT(cache.Size(), 100u);
  for (std::uint32_t r = 900; r < 1023; r += 2) EXPECT_NE(cache.Find(r), nullptr) << r;
  EXPECT_NE(cache.Find(5), nullptr);
  EXPECT_EQ(cache.Find(1), nullptr);  // old and clean
  cache.MarkAllClean();
  for (std::uint32_t r = 5000; r < 9100; ++r) cache.Put(r, VxrPage{}, false);
  cache.Trim();
  EXPECT_LT(cache.Size(), 100u);
  EXPECT_EQ(cache.Find(900), nullptr);  // clean now, and old
}

TEST_F(VxrTreeTest, AnotherOpensCommitIsSeenAtTheNextRefresh) {
  ASSERT_TRUE(Open().Ok());
  ASSERT_TRUE(tree_->Insert(Key(1), "one").Ok());
  ASSERT_TRUE(tree_->Write().Ok());
  OpenResult f = PosixFileSystem().Open(path_, {.read = true});
  ASSERT_EQ(f.code, ErrorCode::Ok);
  VxrPageStore::Opened reader = VxrPageStore::Open(std::move(f.file), false);
  ASSERT_TRUE(reader.status.Ok());
  VxrTree readerTree(*reader.store);
  EXPECT_TRUE(readerTree.Find(Key(1)).Found());
  ASSERT_TRUE(tree_->Insert(Key(2), "two").Ok());
  ASSERT_TRUE(tree_->Write().Ok());
  EXPECT_FALSE(readerTree.Find(Key(2)).Found());  // its cache, until it looks again
  ASSERT_TRUE(reader.store->RefreshIfChanged().Ok());
  EXPECT_EQ(readerTree.Find(Key(2)).record.data, "two");
}

TEST_F(VxrTreeTest, ForeignAndDamagedFiles) {
  struct Case {
    const char* what;
    std::string bytes;
    ErrorCode code;
  };
  std::string header(512, '\0');
  header.replace(14, 4, "qUiL");
  header[4] = 0x00;
  header[5] = 0x02;
  std::string backwards = header;
  backwards[32 + 4] = 5;  // zone 1 starts above its end
  const Case cases[] = {
      {"short", "qUiL", ErrorCode::InvalidDataFile},
      {"no signature", std::string(600, 'x'), ErrorCode::InvalidDataFile},
      {"zones running backwards", backwards, ErrorCode::FileSystemError},
  };
  for (const Case& c : cases) {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    std::fwrite(c.bytes.data(), 1, c.bytes.size(), f);
    std::fclose(f);
    EXPECT_EQ(Open().code, c.code) << c.what;
    EXPECT_EQ(std::filesystem::file_size(path_), c.bytes.size()) << c.what;  // not written
  }
}

// A child reference that names another page of the right level, as a few
// flipped bytes can make it: every walk through it answers the corruption at
// once instead of going round, a step never lands on or before where it stood,
// and a search or an insert that would go down through it is refused. Nothing
// is written.
TEST_F(VxrTreeTest, AChildReferenceToAnotherPageEndsEveryWalkThere) {
  std::string bytes = WrittenBytes(400);
  const auto span = std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
  const std::uint32_t root = VxrLoad32(span, 28);
  const std::uint64_t at = VxrPageOffset(root);
  ASSERT_EQ(span[at + 12], 1);  // a root over leaves
  ASSERT_GE(VxrLoad16(span, at + 10), 4);
  VxrStore32(span, at + 13 + 4 * 2, VxrLoad32(span, at + 13 + 4 * 1));  // the third child is the second
  Rewrite(bytes);

  ASSERT_TRUE(Open(PosixFileSystem(), false).Ok());
  for (const bool forward : {true, false}) {
    SCOPED_TRACE(forward ? "forward" : "backward");
    std::size_t steps = 0;
    VxrLookup r = forward ? tree_->First() : tree_->Last();
    std::string before;
    for (; r.Found(); r = forward ? tree_->Next(before) : tree_->Previous(before)) {
      ASSERT_LE(++steps, 400u);
      if (!before.empty()) {
        EXPECT_EQ(CompareVxrKeys(r.record.key, before) > 0, forward);
      }
      before = r.record.key;
    }
    EXPECT_EQ(r.status.code, ErrorCode::FileSystemError);
    EXPECT_EQ(r.status.corruption, kVxrTreeShape);
  }
  ASSERT_TRUE(Open().Ok());
  VxrPage* top = nullptr;
  ASSERT_TRUE(store_->Load(root, top).Ok());
  const std::string third = top->records[2].key;  // the third child's first key, as its parent says
  EXPECT_EQ(tree_->Find(third).status.corruption, kVxrTreeShape);
  EXPECT_EQ(tree_->Insert(third + '\x01', "x").corruption, kVxrTreeShape);
  EXPECT_TRUE(tree_->Write().Ok());  // nothing to write
  EXPECT_EQ(Closed(), bytes);
}

// Zones that reach far past the end of a damaged file: the pages inside it
// still read, but a write, which would have to move pages that are not there,
// is refused and the file stays as it was.
TEST_F(VxrTreeTest, ZonesPastTheEndOfTheFileRefuseAWrite) {
  std::string bytes = WrittenBytes(100);
  const auto span = std::span(reinterpret_cast<std::uint8_t*>(bytes.data()), bytes.size());
  std::size_t last = kVxrZones - 1;
  while (VxrLoad32(span, 32 + 4 * last) == VxrLoad32(span, 272 + 4 * last)) --last;
  const std::uint32_t end = VxrLoad32(span, 272 + 4 * last) + static_cast<std::uint32_t>(last) * 0x100000;
  for (std::size_t i = last; i < kVxrZones; ++i) {  // the empty zones above lie where it ends
    if (i > last) VxrStore32(span, 32 + 4 * i, end);
    VxrStore32(span, 272 + 4 * i, end);
  }
  Rewrite(bytes);

  ASSERT_TRUE(Open().Ok());
  EXPECT_TRUE(tree_->Find(Key(7)).Found());
  ASSERT_TRUE(tree_->Insert(Key(1000), "x").Ok());
  const VxrStatus written = tree_->Write();
  EXPECT_EQ(written.code, ErrorCode::FileSystemError);
  EXPECT_EQ(written.corruption, kVxrShortPage);
  EXPECT_EQ(Closed(), bytes);
}

}  // namespace
}  // namespace zelvo

namespace zelvo {
namespace {

// The zone rules on a tree of a root and three leaves, all one unit long.
TEST(VxrZones, FreedPlacesTakeTheLastPageAndGrownPagesMoveZone) {
  auto bytes = std::make_shared<MemoryFile::Bytes>();
  VxrPageStore::Opened o = VxrPageStore::Open(std::make_unique<MemoryFile>(bytes), true);
  ASSERT_TRUE(o.status.Ok());
  VxrPageStore& store = *o.store;
  VxrTree tree(store);
  VxrPage root;
  root.level = 1;
  for (const char* key : {"a", "b", "c"}) {
    VxrPage leaf;
    leaf.records.push_back({key, "1"});
    root.records.push_back({key, "1"});
    root.children.push_back(store.Allocate(std::move(leaf)));
  }
  store.Header().root = store.Allocate(std::move(root));
  ASSERT_TRUE(tree.Write().Ok());
  EXPECT_EQ(store.Header().zones[1], (VxrZone{0, 4}));  // leaves at 0, 1, 2, the root at 3
  EXPECT_EQ(store.Header().root, 3u);

  // Freeing leaf "a" moves the zone's last page, the root, into its place.
  ASSERT_TRUE(tree.Erase("a").Ok());
  ASSERT_TRUE(tree.Write().Ok());
  EXPECT_EQ(store.Header().zones[1], (VxrZone{0, 3}));
  EXPECT_EQ(store.Header().root, 0u);
  VxrPage* top = nullptr;
  ASSERT_TRUE(store.Load(store.Header().root, top).Ok());
  EXPECT_EQ(top->children, (std::vector<std::uint32_t>{1, 2}));

  // Leaf "b" grows to two units and so does the root, which holds a copy of
  // b's record. Each leaves zone 1, the zone's last page taking its place:
  // "c" moves from 2 to 1, then from 1 to 0. They join zone 2, which now
  // starts at 1: the gap below it holds the first to join (the root), the
  // second goes to its end.
  std::string grown;
  for (int i = 0; i < 300; ++i) grown.push_back(static_cast<char>(i % 251));  // no runs to fold
  ASSERT_TRUE(tree.Update("b", grown).Ok());
  ASSERT_TRUE(tree.Write().Ok());
  EXPECT_EQ(store.Header().zones[1], (VxrZone{0, 1}));
  EXPECT_EQ(store.Header().zones[2], (VxrZone{1, 5}));
  for (std::size_t i = 3; i < kVxrZones; ++i) EXPECT_EQ(store.Header().zones[i], (VxrZone{5, 5})) << i;
  EXPECT_EQ(store.Header().root, 1u);
  ASSERT_TRUE(store.Load(store.Header().root, top).Ok());
  EXPECT_EQ(top->children, (std::vector<std::uint32_t>{3, 0}));
  EXPECT_EQ(store.Header().UsedEnd(), VxrPageOffset(5));

  // Opened again from the bytes alone, the same records.
  VxrPageStore::Opened again = VxrPageStore::Open(std::make_unique<MemoryFile>(bytes), false);
  ASSERT_TRUE(again.status.Ok());
  VxrTree reread(*again.store);
  std::size_t count = 0;
  ASSERT_TRUE(reread.Check(count).Ok());
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(reread.Find("b").record.data, grown);
}

// A zone in the way of the one below moves only its first pages to its end,
// and a gap narrower than one of its pages stays for the zone below to grow
// into: a write moves about as many pages as it changes.
TEST(VxrZones, AZoneInTheWayMovesWholePagesOnly) {
  auto bytes = std::make_shared<MemoryFile::Bytes>();
  VxrPageStore::Opened o = VxrPageStore::Open(std::make_unique<MemoryFile>(bytes), true);
  ASSERT_TRUE(o.status.Ok());
  VxrPageStore& store = *o.store;
  VxrTree tree(store);
  std::string wide;  // a record of about 600 bytes without runs: a three-unit leaf
  for (int i = 0; i < 600; ++i) wide.push_back(static_cast<char>(i % 251));
  VxrPage root;
  root.level = 1;
  for (const char* key : {"m1", "m2", "m3", "m4"}) {
    VxrPage leaf;
    leaf.records.push_back({key, "x"});
    leaf.records.push_back({key + "z"s, wide});
    root.records.push_back({key, "x"});
    root.children.push_back(store.Allocate(std::move(leaf)));
  }
  store.Header().root = store.Allocate(std::move(root));
  ASSERT_TRUE(tree.Write().Ok());
  ASSERT_EQ(store.Header().zones[1], (VxrZone{0, 1}));  // the root
  ASSERT_EQ(store.Header().zones[3], (VxrZone{1, 13}));

  const auto homes = [&] {
    VxrPage* top = nullptr;
    EXPECT_TRUE(store.Load(store.Header().root, top).Ok());
    return top->children;
  };
  // A new one-unit leaf in front of the others, as a split would make it.
  const auto addSmallLeaf = [&](const char* key) {
    VxrPage leaf;
    leaf.records.push_back({key, "small"});
    const std::uint32_t reference = store.Allocate(std::move(leaf));
    VxrPage* top = nullptr;
    ASSERT_TRUE(store.Load(store.Header().root, top).Ok());
    top->records.insert(top->records.begin(), {key, "small"});
    top->children.insert(top->children.begin(), reference);
    store.MarkDirty(store.Header().root);
  };
  const std::vector<std::uint32_t> before = homes();
  // It joins zone 1: zone 3 moves its first page to its end.
  addSmallLeaf("c");
  ASSERT_TRUE(tree.Write().Ok());
  EXPECT_EQ(store.Header().zones[1], (VxrZone{0, 2}));
  EXPECT_EQ(store.Header().zones[3], (VxrZone{4, 16}));  // two units of gap stay below it
  std::vector<std::uint32_t> after = homes();
  ASSERT_EQ(after.size(), 5u);
  EXPECT_EQ(after[1], 13u);  // the first page went to the end
  EXPECT_EQ(std::vector(after.begin() + 2, after.end()), std::vector(before.begin() + 1, before.end()));

  // Two more one-unit leaves fill the gap: zone 3 stays where it is.
  addSmallLeaf("b");
  addSmallLeaf("a");
  ASSERT_TRUE(tree.Write().Ok());
  EXPECT_EQ(store.Header().zones[1].end, 4u);
  EXPECT_EQ(store.Header().zones[3], (VxrZone{4, 16}));
  std::size_t count = 0;
  ASSERT_TRUE(tree.Check(count).Ok());
  EXPECT_EQ(count, 11u);
}

}  // namespace
}  // namespace zelvo

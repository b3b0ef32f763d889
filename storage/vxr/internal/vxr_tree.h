// VxrTree: the ordered set of records of an indexed record file
// (storage/vxr/internal/vxr_ordered_records.h) as the one balanced tree of its pages.
//
// Leaf pages (level 0) hold the records; an inner page holds, for each
// child, a copy of the child's first record and the child's reference, the
// children being one level below. A search takes in each inner page the last
// child whose copy is not above the key (the first child for a key below
// all). A page is split when its content exceeds 15094 bytes, or 4096 bytes
// with more than 20 records: the middle record and those after it move to a
// new page whose first record, copied, joins the parent after the old page;
// both halves are split again while they exceed the limits. The root is split
// by first moving its records to a new page below it, so the root keeps its
// reference and goes one level up. When a record leaves the front of a page
// the parent's copy is replaced; a page that falls empty is freed and leaves
// its parent; an empty root becomes an empty leaf. Pages are never merged.
//
// Changes stay in the page store's cache until Write.
//
// Recent leaves: the tree remembers the last few leaves a search ended in
// (a walk in key order keeps its key leaf and the last data leaf). A search
// whose key lies strictly inside a remembered leaf that is still cached
// is answered from it without descending from the root: leaves hold
// contiguous runs of the ordered set, so such a leaf holds the answer. A
// change there that leaves the page's first record alone (so no parent's
// copy changes) is made in place the same way; only a page it makes too
// large is reached again from the root, to be split.
//
// Not thread-safe: the run token's holder only. The tree does not own its
// store.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "storage/vxr/internal/vxr_ordered_records.h"
#include "storage/vxr/internal/vxr_page_store.h"

namespace zelvo {

class VxrTree final : public VxrOrderedRecords {
 public:
  explicit VxrTree(VxrPageStore& store) : store_(store) {}

  VxrStatus Insert(std::string_view key, std::string_view data) override;
  VxrStatus Update(std::string_view key, std::string_view data) override;
  VxrStatus Erase(std::string_view key) override;
  VxrLookup Find(std::string_view key) override;
  VxrLookup LowerBound(std::string_view key) override;
  VxrLookup Next(std::string_view key) override;
  VxrLookup Previous(std::string_view key) override;
  VxrLookup First() override;
  VxrLookup Last() override;

  // Writes the changes to the file (two phases) and trims the cache.
  VxrStatus Write();
  // The two phases apart (storage/vxr/internal/vxr_page_store.h), for a commit over several files.
  VxrStatus WritePhaseOne();
  VxrStatus WritePhaseTwo();
  // Drops the changes not yet written.
  VxrStatus Discard() { return store_.Discard(); }

  // What a full walk meets, for a checker that reports every damage rather
  // than the first: each page reached, each leaf record in page order, each
  // damage found (the page, the failure, what is wrong in words — empty for
  // a page that does not load — and the record key concerned, if any), and
  // each page whose records the walk could not read, with those below it.
  struct CheckVisitor {
    std::function<void(std::uint32_t page)> page;
    std::function<void(std::uint32_t page, const VxrRecord& record)> record;
    std::function<void(std::uint32_t page, VxrStatus failure, std::string_view what, std::string_view key)>
        damage;
    std::function<void(std::uint32_t page)> unread;
  };

  // Walks the whole tree: levels, record order across pages, every parent's
  // copy against its child's first record, and no page over its split
  // limits. The walk goes on past damage, but never twice through a page nor
  // into a page not below the one it came from (those are skipped with what
  // lies below them, as is a page that does not load), so it always ends. It
  // answers the first failure met; the number of leaf records read through
  // `records`.
  VxrStatus Check(std::size_t& records) { return Check(records, {}); }
  VxrStatus Check(std::size_t& records, const CheckVisitor& visitor);

  // The page holding the reference of `page` (kVxrNoPage for the root).
  VxrStatus ParentOf(std::uint32_t page, std::uint32_t& parent);

 private:
  struct Step {
    std::uint32_t page;
    std::size_t index;  // the child taken (inner) or the record's place (leaf)
  };
  enum class Seek { NotBelow, Above, Below };

  // Every walk down the tree goes from a page to its child here: the child
  // must lie one level below and begin with the parent's copy of its first
  // record. So a damaged reference never leads a walk back up, round in a
  // circle, or into a page other than the child it stands for.
  VxrStatus LoadChild(const VxrPage& parent, std::size_t index, VxrPage*& child);
  VxrStatus Descend(std::string_view key, std::vector<Step>& path, VxrPage*& leaf);
  // Look checks that what LookUnchecked found lies beyond `key` as asked, so
  // every step of a walk in either order moves on, whatever the pages say.
  VxrLookup Look(std::string_view key, Seek seek);
  VxrLookup LookUnchecked(std::string_view key, Seek seek);
  // The first or last record below `from`, or of the whole tree.
  VxrLookup Edge(VxrPage& from, bool last);
  VxrLookup Edge(bool last);
  // A remembered leaf whose records lie around `key` as `seek` needs (every
  // record it could answer is inside it), or null; its reference in `at`.
  VxrPage* RecentLeaf(std::string_view key, Seek seek, std::uint32_t& at);
  void Remember(std::uint32_t leaf);
  VxrStatus SplitIfNeeded(std::uint32_t parent, std::uint32_t page);
  // After a change made in a remembered leaf: splits it when it must.
  VxrStatus SplitLeafIfNeeded(const VxrPage& leaf, std::string_view key);
  VxrStatus SplitPath(const std::vector<Step>& path, std::size_t depth);
  VxrStatus CopyFirstUpwards(const std::vector<Step>& path, std::size_t depth);
  struct CheckWalk {
    explicit CheckWalk(const CheckVisitor& v) : visitor(v) {}
    const CheckVisitor& visitor;
    std::unordered_set<std::uint32_t> seen;
    std::string last;
    std::size_t records = 0;
    VxrStatus first;  // the first failure met

    void Damage(std::uint32_t page, VxrStatus failure, std::string_view what, std::string_view key = {});
    void Unread(std::uint32_t page);
  };
  void CheckPage(std::uint32_t page, int level, const VxrRecord* first, CheckWalk& walk);

  VxrPageStore& store_;
  std::array<std::uint32_t, 4> recent_{kVxrNoPage, kVxrNoPage, kVxrNoPage, kVxrNoPage};  // most recent first
};

}  // namespace zelvo

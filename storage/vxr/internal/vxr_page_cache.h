// VxrPageCache: the decoded pages of one open indexed record file, by page
// reference, with the dirty mark of each and an access clock that counts page
// uses.
//
// Trim policy (Trim): the cache is trimmed once it holds 4096 pages (a
// smaller cache makes every read of a large table decode its pages again);
// then nothing is dropped while fewer than 20 pages are held;
// with 100 or more the least recently used page is dropped; in between it is
// dropped only when the uses since its last use are at least four times the
// uses since it was loaded divided by the number of pages held. Dirty pages
// are never dropped: they hold changes not yet written. The owner trims
// between operations, so a page reached through Find stays valid for the
// whole operation.
//
// The clean pages are kept in the order of their last use, so that a trim
// costs what it drops.
//
// Example:
//     cache.Put(7, page, /*dirty=*/true);   cache.Find(7)->dirty == true
//
// Not thread-safe.
#pragma once

#include <cstdint>
#include <list>
#include <set>
#include <unordered_map>
#include <vector>

#include "storage/vxr/internal/vxr_page.h"

namespace zelvo {

class VxrPageCache {
 public:
  struct Entry {
    VxrPage page;
    bool dirty = false;
    std::uint64_t loadedAt = 0;
    std::uint64_t lastUse = 0;
    std::list<std::uint32_t>::iterator inUseOrder;  // clean pages only
  };

  // The page, counted as a use; null when it is not held.
  Entry* Find(std::uint32_t reference);
  // Holds a page (replacing one of the same reference), counted as a use.
  Entry& Put(std::uint32_t reference, VxrPage page, bool dirty);
  // Marks a held page changed.
  void SetDirty(std::uint32_t reference);
  void Erase(std::uint32_t reference);
  // Moves the entries of the given references to their new ones all at once
  // (a page may take the reference another one leaves).
  void Rekey(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& moves);
  void Clear();

  void Trim();

  std::size_t Size() const { return entries_.size(); }
  bool HasDirty() const { return !dirty_.empty(); }
  std::size_t DirtyCount() const { return dirty_.size(); }
  // The dirty pages' references in increasing order.
  std::vector<std::uint32_t> DirtyReferences() const { return {dirty_.begin(), dirty_.end()}; }
  void MarkAllClean();

 private:
  void Unlink(Entry& entry);

  std::unordered_map<std::uint32_t, Entry> entries_;
  std::list<std::uint32_t> useOrder_;  // clean pages, least recently used first
  std::set<std::uint32_t> dirty_;
  std::uint64_t clock_ = 0;
};

}  // namespace zelvo

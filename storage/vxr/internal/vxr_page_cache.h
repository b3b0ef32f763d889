// VxrPageCache: the decoded pages of one open indexed record file, by page
// reference, with the dirty mark of each and an access clock that counts page
// uses.
//
// Trim policy (Trim): the cache is trimmed once the memory its pages take is
// above its limit (SetLimit; 64 MiB unless the owner says otherwise: a cache
// much smaller than a table makes every walk of it in key order read and
// decode its pages again); then nothing is dropped while fewer than 20 pages
// are held; with 100 or more the least recently used page is dropped; in
// between it is dropped only when the uses since its last use are at least
// four times the uses since it was loaded divided by the number of pages
// held. Dirty pages are never dropped: they hold changes not yet written.
// The owner trims between operations, so a page reached through Find stays
// valid for the whole operation.
//
// A page's memory is reckoned when it is put in the cache, and again for the
// changed pages when they are marked clean: changes happen to dirty pages
// only.
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
    std::size_t bytes = 0;  // the memory the page takes, as last reckoned
  };

  static constexpr std::size_t kDefaultLimit = std::size_t{64} << 20;

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
  // The memory, in bytes, above which Trim drops pages.
  void SetLimit(std::size_t bytes) { limit_ = bytes; }
  std::size_t Limit() const { return limit_; }

  std::size_t Size() const { return entries_.size(); }
  std::size_t Bytes() const { return bytes_; }
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
  std::size_t bytes_ = 0;  // of every entry
  std::size_t limit_ = kDefaultLimit;
};

}  // namespace zelvo

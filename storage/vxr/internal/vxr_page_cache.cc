#include "storage/vxr/internal/vxr_page_cache.h"

#include <algorithm>

namespace zelvo {
namespace {

constexpr std::size_t kKeepBelow = 20;
constexpr std::size_t kAlwaysDropFrom = 100;

// What a decoded page takes in memory: its records' bytes, each record's
// strings and their heap blocks, its child references, and the cache's own
// bookkeeping.
std::size_t MemoryOf(const VxrPage& page) {
  std::size_t bytes = sizeof(VxrPageCache::Entry) + 64 + page.children.size() * sizeof(std::uint32_t);
  for (const VxrRecord& r : page.records) {
    bytes += sizeof(VxrRecord);
    for (const std::string* part : {&r.key, &r.data}) {
      if (part->capacity() > 15) bytes += part->capacity() + 16;  // beyond the string's own room
    }
  }
  return bytes;
}

}  // namespace

void VxrPageCache::Unlink(Entry& entry) {
  if (entry.dirty) return;
  useOrder_.erase(entry.inUseOrder);
}

VxrPageCache::Entry* VxrPageCache::Find(std::uint32_t reference) {
  const auto it = entries_.find(reference);
  if (it == entries_.end()) return nullptr;
  Entry& e = it->second;
  e.lastUse = ++clock_;
  if (!e.dirty) useOrder_.splice(useOrder_.end(), useOrder_, e.inUseOrder);
  return &e;
}

VxrPageCache::Entry& VxrPageCache::Put(std::uint32_t reference, VxrPage page, bool dirty) {
  ++clock_;
  const auto [it, added] = entries_.try_emplace(reference);
  Entry& entry = it->second;
  if (!added) Unlink(entry);
  bytes_ -= entry.bytes;
  entry.page = std::move(page);
  entry.bytes = MemoryOf(entry.page);
  bytes_ += entry.bytes;
  entry.dirty = dirty;
  entry.loadedAt = entry.lastUse = clock_;
  if (dirty) {
    dirty_.insert(reference);
  } else {
    dirty_.erase(reference);
    entry.inUseOrder = useOrder_.insert(useOrder_.end(), reference);
  }
  return entry;
}

void VxrPageCache::SetDirty(std::uint32_t reference) {
  const auto it = entries_.find(reference);
  if (it == entries_.end() || it->second.dirty) return;
  Unlink(it->second);
  it->second.dirty = true;
  dirty_.insert(reference);
}

void VxrPageCache::Erase(std::uint32_t reference) {
  const auto it = entries_.find(reference);
  if (it == entries_.end()) return;
  Unlink(it->second);
  dirty_.erase(reference);
  bytes_ -= it->second.bytes;
  entries_.erase(it);
}

void VxrPageCache::Rekey(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& moves) {
  std::vector<std::pair<std::uint32_t, Entry>> taken;
  taken.reserve(moves.size());
  for (const auto& [from, to] : moves) {
    const auto it = entries_.find(from);
    if (it == entries_.end()) continue;
    Unlink(it->second);
    dirty_.erase(from);
    bytes_ -= it->second.bytes;
    taken.emplace_back(to, std::move(it->second));
    entries_.erase(it);
  }
  for (auto& [to, entry] : taken) {
    Entry& e = entries_[to] = std::move(entry);
    bytes_ += e.bytes;
    if (e.dirty) {
      dirty_.insert(to);
    } else {
      e.inUseOrder = useOrder_.insert(useOrder_.end(), to);
    }
  }
}

void VxrPageCache::Clear() {
  entries_.clear();
  useOrder_.clear();
  dirty_.clear();
  bytes_ = 0;
}

void VxrPageCache::Trim() {
  if (bytes_ <= limit_) return;
  while (entries_.size() >= kKeepBelow && !useOrder_.empty()) {
    const auto oldest = entries_.find(useOrder_.front());
    const Entry& e = oldest->second;
    const bool drop = entries_.size() >= kAlwaysDropFrom ||
                      clock_ - e.lastUse >= 4 * ((clock_ - e.loadedAt) / entries_.size());
    if (!drop) return;
    useOrder_.pop_front();
    bytes_ -= e.bytes;
    entries_.erase(oldest);
  }
}

void VxrPageCache::MarkAllClean() {
  std::vector<std::pair<std::uint64_t, std::uint32_t>> byUse;
  byUse.reserve(dirty_.size());
  for (const std::uint32_t r : dirty_) byUse.emplace_back(entries_[r].lastUse, r);
  std::sort(byUse.begin(), byUse.end());
  // They join the clean pages in the order of their last use, among the
  // clean pages used after them.
  for (const auto& [use, r] : byUse) {
    Entry& e = entries_[r];
    e.dirty = false;
    bytes_ -= e.bytes;
    e.bytes = MemoryOf(e.page);
    bytes_ += e.bytes;
    auto at = useOrder_.end();
    while (at != useOrder_.begin() && entries_[*std::prev(at)].lastUse > use) --at;
    e.inUseOrder = useOrder_.insert(at, r);
  }
  dirty_.clear();
}

}  // namespace zelvo

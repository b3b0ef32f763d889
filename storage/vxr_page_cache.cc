#include "storage/vxr_page_cache.h"

#include <algorithm>

namespace zelvo {
namespace {

constexpr std::size_t kKeepBelow = 20;
constexpr std::size_t kAlwaysDropFrom = 100;

}  // namespace

VxrPageCache::Entry* VxrPageCache::Find(std::uint32_t reference) {
  const auto it = entries_.find(reference);
  if (it == entries_.end()) return nullptr;
  it->second.lastUse = ++clock_;
  return &it->second;
}

VxrPageCache::Entry& VxrPageCache::Put(std::uint32_t reference, VxrPage page, bool dirty) {
  ++clock_;
  Entry& entry = entries_[reference];
  entry = Entry{std::move(page), dirty, clock_, clock_};
  return entry;
}

void VxrPageCache::Rekey(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& moves) {
  std::vector<std::pair<std::uint32_t, Entry>> taken;
  taken.reserve(moves.size());
  for (const auto& [from, to] : moves) {
    const auto it = entries_.find(from);
    if (it == entries_.end()) continue;
    taken.emplace_back(to, std::move(it->second));
    entries_.erase(it);
  }
  for (auto& [to, entry] : taken) entries_[to] = std::move(entry);
}

void VxrPageCache::Trim() {
  while (entries_.size() >= kKeepBelow) {
    auto oldest = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (!it->second.dirty && (oldest == entries_.end() || it->second.lastUse < oldest->second.lastUse)) {
        oldest = it;
      }
    }
    if (oldest == entries_.end()) return;
    const Entry& e = oldest->second;
    const bool drop = entries_.size() >= kAlwaysDropFrom ||
                      clock_ - e.lastUse >= 4 * ((clock_ - e.loadedAt) / entries_.size());
    if (!drop) return;
    entries_.erase(oldest);
  }
}

std::vector<std::uint32_t> VxrPageCache::DirtyReferences() const {
  std::vector<std::uint32_t> dirty;
  for (const auto& [reference, entry] : entries_) {
    if (entry.dirty) dirty.push_back(reference);
  }
  std::sort(dirty.begin(), dirty.end());
  return dirty;
}

void VxrPageCache::MarkAllClean() {
  for (auto& [reference, entry] : entries_) entry.dirty = false;
}

}  // namespace zelvo

#include "storage/vxr/internal/vxr_tree.h"

#include <algorithm>
#include <unordered_set>

#include "storage/vxr/internal/vxr_corruption.h"

namespace zelvo {
namespace {

bool Below(const VxrRecord& r, std::string_view key) { return CompareVxrKeys(r.key, key) < 0; }
bool Above(std::string_view key, const VxrRecord& r) { return CompareVxrKeys(key, r.key) < 0; }

std::size_t ChildIndex(const VxrPage& page, std::string_view key) {
  const auto it = std::upper_bound(page.records.begin(), page.records.end(), key, Above);
  return it == page.records.begin() ? 0 : static_cast<std::size_t>(it - page.records.begin()) - 1;
}

VxrLookup NotFound() { return {{ErrorCode::RecordNotFound}, {}}; }
VxrLookup Failure(VxrStatus s) { return {s, {}}; }

}  // namespace

void VxrTree::Remember(std::uint32_t leaf) {
  auto it = std::find(recent_.begin(), recent_.end(), leaf);
  if (it == recent_.end()) --it;
  std::rotate(recent_.begin(), it, it + 1);
  recent_.front() = leaf;
}

VxrPage* VxrTree::RecentLeaf(std::string_view key, Seek seek, std::uint32_t& at) {
  for (const std::uint32_t r : recent_) {
    if (r == kVxrNoPage) continue;
    VxrPage* page = store_.Cached(r);
    if (!page || !page->IsLeaf() || page->records.empty()) continue;
    const int fromFront = CompareVxrKeys(key, page->records.front().key);
    const int toBack = CompareVxrKeys(key, page->records.back().key);
    const bool inside = seek == Seek::Below   ? fromFront > 0 && toBack <= 0
                        : seek == Seek::Above ? fromFront >= 0 && toBack < 0
                                              : fromFront >= 0 && toBack <= 0;
    if (!inside) continue;
    at = r;
    Remember(r);
    return page;
  }
  return nullptr;
}

VxrStatus VxrTree::LoadChild(const VxrPage& parent, std::size_t index, VxrPage*& child) {
  // The cache keeps the parent where it is while it loads the child.
  const std::string& copy = parent.records[index].key;
  if (const VxrStatus s = store_.Load(parent.children[index], child); !s.Ok()) return s;
  if (child->level + 1 != parent.level || child->records.empty() || child->records.front().key != copy) {
    return VxrStatus::Corrupt(kVxrTreeShape);
  }
  return {};
}

VxrStatus VxrTree::Descend(std::string_view key, std::vector<Step>& path, VxrPage*& leaf) {
  path.clear();
  std::uint32_t at = store_.Header().root;
  VxrPage* page = nullptr;
  if (const VxrStatus s = store_.Load(at, page); !s.Ok()) return s;
  while (!page->IsLeaf()) {
    const std::size_t index = ChildIndex(*page, key);
    path.push_back({at, index});
    at = page->children[index];
    if (const VxrStatus s = LoadChild(*page, index, page); !s.Ok()) return s;
  }
  path.push_back({at, 0});
  leaf = page;
  Remember(at);
  return {};
}

VxrStatus VxrTree::Insert(std::string_view key, std::string_view data) {
  if (key.size() + data.size() > kVxrMaxRecord) return VxrStatus::Corrupt(kVxrRecordTooLarge);
  VxrRecord record{std::string(key), std::string(data)};
  if (store_.Header().root == kVxrNoPage) {
    VxrPage leaf;
    leaf.records.push_back(std::move(record));
    store_.Header().root = store_.Allocate(std::move(leaf));
    store_.MarkHeaderChanged();
    return {};
  }
  std::vector<Step> path;
  VxrPage* leaf = nullptr;
  if (std::uint32_t at = 0; (leaf = RecentLeaf(key, Seek::Below, at))) {  // not its first record
    const auto it = std::lower_bound(leaf->records.begin(), leaf->records.end(), key, Below);
    if (it->key == key) return {ErrorCode::CreatesDuplicateKey};
    leaf->records.insert(it, std::move(record));
    store_.MarkDirty(at);
    return SplitLeafIfNeeded(*leaf, key);
  }
  if (const VxrStatus s = Descend(key, path, leaf); !s.Ok()) return s;
  const auto it = std::lower_bound(leaf->records.begin(), leaf->records.end(), key, Below);
  if (it != leaf->records.end() && it->key == key) return {ErrorCode::CreatesDuplicateKey};
  const bool first = it == leaf->records.begin();
  leaf->records.insert(it, std::move(record));
  store_.MarkDirty(path.back().page);
  if (first) {
    if (const VxrStatus s = CopyFirstUpwards(path, path.size() - 1); !s.Ok()) return s;
  }
  return SplitPath(path, path.size() - 1);
}

VxrStatus VxrTree::Update(std::string_view key, std::string_view data) {
  std::vector<Step> path;
  VxrPage* leaf = nullptr;
  if (store_.Header().root == kVxrNoPage) return {ErrorCode::RecordNotFound};
  if (std::uint32_t at = 0; (leaf = RecentLeaf(key, Seek::Below, at))) {  // not its first record
    const auto it = std::lower_bound(leaf->records.begin(), leaf->records.end(), key, Below);
    if (it->key != key) return {ErrorCode::RecordNotFound};
    if (key.size() + data.size() > kVxrMaxRecord) return VxrStatus::Corrupt(kVxrRecordTooLarge);
    it->data.assign(data);
    store_.MarkDirty(at);
    return SplitLeafIfNeeded(*leaf, key);
  }
  if (const VxrStatus s = Descend(key, path, leaf); !s.Ok()) return s;
  const auto it = std::lower_bound(leaf->records.begin(), leaf->records.end(), key, Below);
  if (it == leaf->records.end() || it->key != key) return {ErrorCode::RecordNotFound};
  if (key.size() + data.size() > kVxrMaxRecord) return VxrStatus::Corrupt(kVxrRecordTooLarge);
  it->data.assign(data);
  store_.MarkDirty(path.back().page);
  if (it == leaf->records.begin()) {
    if (const VxrStatus s = CopyFirstUpwards(path, path.size() - 1); !s.Ok()) return s;
  }
  return SplitPath(path, path.size() - 1);
}

VxrStatus VxrTree::Erase(std::string_view key) {
  std::vector<Step> path;
  VxrPage* leaf = nullptr;
  if (store_.Header().root == kVxrNoPage) return {ErrorCode::RecordNotFound};
  if (std::uint32_t at = 0; (leaf = RecentLeaf(key, Seek::Below, at))) {
    // Not its first record: the page keeps its first record and its parent's copy.
    const auto it = std::lower_bound(leaf->records.begin(), leaf->records.end(), key, Below);
    if (it->key != key) return {ErrorCode::RecordNotFound};
    leaf->records.erase(it);
    store_.MarkDirty(at);
    return {};
  }
  if (const VxrStatus s = Descend(key, path, leaf); !s.Ok()) return s;
  const auto it = std::lower_bound(leaf->records.begin(), leaf->records.end(), key, Below);
  if (it == leaf->records.end() || it->key != key) return {ErrorCode::RecordNotFound};
  bool frontChanged = it == leaf->records.begin();
  leaf->records.erase(it);
  store_.MarkDirty(path.back().page);

  std::size_t depth = path.size() - 1;
  std::size_t alive = 0;  // the deepest page of the path not freed
  bool aliveSet = false;
  for (; depth > 0; --depth) {
    VxrPage* page = nullptr;
    VxrPage* parent = nullptr;
    if (const VxrStatus s = store_.Load(path[depth].page, page); !s.Ok()) return s;
    if (const VxrStatus s = store_.Load(path[depth - 1].page, parent); !s.Ok()) return s;
    const std::size_t index = path[depth - 1].index;
    if (page->records.empty()) {
      store_.Free(path[depth].page);
      parent->records.erase(parent->records.begin() + static_cast<std::ptrdiff_t>(index));
      parent->children.erase(parent->children.begin() + static_cast<std::ptrdiff_t>(index));
    } else {
      if (!aliveSet) {
        alive = depth;
        aliveSet = true;
      }
      if (!frontChanged) break;
      parent->records[index] = page->records.front();
    }
    store_.MarkDirty(path[depth - 1].page);
    frontChanged = index == 0;
  }
  VxrPage* root = nullptr;
  if (const VxrStatus s = store_.Load(path[0].page, root); !s.Ok()) return s;
  if (root->records.empty() && root->level > 0) {
    root->level = 0;
    root->children.clear();
    store_.MarkDirty(path[0].page);
    return {};
  }
  if (!aliveSet) alive = depth;
  // A replaced copy may be longer than the one before it.
  return SplitPath(path, alive);
}

VxrStatus VxrTree::SplitLeafIfNeeded(const VxrPage& leaf, std::string_view key) {
  if (!leaf.NeedsSplit()) return {};
  // The path down to it, for the parents that take the new halves.
  std::vector<Step> path;
  VxrPage* found = nullptr;
  if (const VxrStatus s = Descend(key, path, found); !s.Ok()) return s;
  if (found != &leaf) return VxrStatus::Corrupt(kVxrTreeShape);
  return SplitPath(path, path.size() - 1);
}

VxrStatus VxrTree::CopyFirstUpwards(const std::vector<Step>& path, std::size_t depth) {
  for (; depth > 0; --depth) {
    VxrPage* page = nullptr;
    VxrPage* parent = nullptr;
    if (const VxrStatus s = store_.Load(path[depth].page, page); !s.Ok()) return s;
    if (const VxrStatus s = store_.Load(path[depth - 1].page, parent); !s.Ok()) return s;
    parent->records[path[depth - 1].index] = page->records.front();
    store_.MarkDirty(path[depth - 1].page);
    if (path[depth - 1].index != 0) break;
  }
  return {};
}

VxrStatus VxrTree::SplitPath(const std::vector<Step>& path, std::size_t depth) {
  for (std::size_t d = depth + 1; d-- > 0;) {
    const std::uint32_t parent = d > 0 ? path[d - 1].page : kVxrNoPage;
    if (const VxrStatus s = SplitIfNeeded(parent, path[d].page); !s.Ok()) return s;
  }
  return {};
}

VxrStatus VxrTree::SplitIfNeeded(std::uint32_t parent, std::uint32_t at) {
  VxrPage* page = nullptr;
  if (const VxrStatus s = store_.Load(at, page); !s.Ok()) return s;
  if (!page->NeedsSplit()) return {};
  if (at == store_.Header().root) {
    VxrPage below = std::move(*page);
    VxrPage root;
    root.level = static_cast<std::uint8_t>(below.level + 1);
    root.records.push_back(below.records.front());
    const std::uint32_t child = store_.Allocate(std::move(below));
    root.children.push_back(child);
    *page = std::move(root);
    store_.MarkDirty(at);
    if (const VxrStatus s = SplitIfNeeded(at, child); !s.Ok()) return s;
    return SplitIfNeeded(kVxrNoPage, at);
  }
  if (page->records.size() < 2) return VxrStatus::Corrupt(kVxrSplitTooFewRecords);
  const auto middle = static_cast<std::ptrdiff_t>(page->records.size() / 2);
  VxrPage right;
  right.level = page->level;
  right.records.assign(std::make_move_iterator(page->records.begin() + middle),
                       std::make_move_iterator(page->records.end()));
  page->records.erase(page->records.begin() + middle, page->records.end());
  if (!page->IsLeaf()) {
    right.children.assign(page->children.begin() + middle, page->children.end());
    page->children.erase(page->children.begin() + middle, page->children.end());
  }
  VxrRecord copy = right.records.front();
  store_.MarkDirty(at);
  const std::uint32_t added = store_.Allocate(std::move(right));

  VxrPage* holder = nullptr;
  if (const VxrStatus s = store_.Load(parent, holder); !s.Ok()) return s;
  const auto it = std::find(holder->children.begin(), holder->children.end(), at);
  if (it == holder->children.end()) return VxrStatus::Corrupt(kVxrTreeShape);
  const auto index = it - holder->children.begin() + 1;
  holder->children.insert(holder->children.begin() + index, added);
  holder->records.insert(holder->records.begin() + index, std::move(copy));
  store_.MarkDirty(parent);
  if (const VxrStatus s = SplitIfNeeded(parent, at); !s.Ok()) return s;
  return SplitIfNeeded(parent, added);
}

// A damaged tree (a child reference to a page elsewhere in the tree, a
// parent's copy that lies) can lead a search to a record on the wrong side of
// its key: a walk that took it would step on the spot or back for ever.
VxrLookup VxrTree::Look(std::string_view key, Seek seek) {
  VxrLookup found = LookUnchecked(key, seek);
  if (!found.Found()) return found;
  const int order = CompareVxrKeys(found.record.key, key);
  const bool beyond = seek == Seek::NotBelow ? order >= 0 : seek == Seek::Above ? order > 0 : order < 0;
  if (!beyond) return Failure(VxrStatus::Corrupt(kVxrTreeShape));
  return found;
}

VxrLookup VxrTree::LookUnchecked(std::string_view key, Seek seek) {
  if (store_.Header().root == kVxrNoPage) return NotFound();
  std::vector<Step> path;
  VxrPage* leaf = nullptr;
  if (std::uint32_t at = 0; (leaf = RecentLeaf(key, seek, at))) {
    const auto& records = leaf->records;
    if (seek == Seek::Below) return {{}, *std::prev(std::lower_bound(records.begin(), records.end(), key, Below))};
    if (seek == Seek::Above) return {{}, *std::upper_bound(records.begin(), records.end(), key, Above)};
    return {{}, *std::lower_bound(records.begin(), records.end(), key, Below)};
  }
  if (const VxrStatus s = Descend(key, path, leaf); !s.Ok()) return Failure(s);
  const auto& records = leaf->records;
  if (seek == Seek::Below) {
    const auto it = std::lower_bound(records.begin(), records.end(), key, Below);
    if (it != records.begin()) return {{}, *std::prev(it)};
  } else {
    const auto it = seek == Seek::NotBelow ? std::lower_bound(records.begin(), records.end(), key, Below)
                                           : std::upper_bound(records.begin(), records.end(), key, Above);
    if (it != records.end()) return {{}, *it};
  }
  // The neighbour lies in the next (or previous) subtree of the nearest
  // ancestor that has one.
  const bool forward = seek != Seek::Below;
  for (std::size_t d = path.size() - 1; d-- > 0;) {
    VxrPage* page = nullptr;
    if (const VxrStatus s = store_.Load(path[d].page, page); !s.Ok()) return Failure(s);
    const std::size_t index = path[d].index;
    const bool beside = forward ? index + 1 < page->children.size() : index > 0;
    if (!beside) continue;
    VxrPage* next = nullptr;
    if (const VxrStatus s = LoadChild(*page, forward ? index + 1 : index - 1, next); !s.Ok()) return Failure(s);
    return Edge(*next, !forward);
  }
  return NotFound();
}

VxrLookup VxrTree::Edge(VxrPage& from, bool last) {
  VxrPage* page = &from;
  while (!page->IsLeaf()) {
    if (const VxrStatus s = LoadChild(*page, last ? page->children.size() - 1 : 0, page); !s.Ok()) return Failure(s);
  }
  if (page->records.empty()) return NotFound();  // an empty root: LoadChild lets no other empty page by
  return {{}, last ? page->records.back() : page->records.front()};
}

VxrLookup VxrTree::Find(std::string_view key) {
  VxrLookup found = Look(key, Seek::NotBelow);
  if (found.Found() && found.record.key != key) return NotFound();
  return found;
}
VxrLookup VxrTree::LowerBound(std::string_view key) { return Look(key, Seek::NotBelow); }
VxrLookup VxrTree::Next(std::string_view key) { return Look(key, Seek::Above); }
VxrLookup VxrTree::Previous(std::string_view key) { return Look(key, Seek::Below); }
VxrLookup VxrTree::First() { return Edge(false); }
VxrLookup VxrTree::Last() { return Edge(true); }

VxrLookup VxrTree::Edge(bool last) {
  if (store_.Header().root == kVxrNoPage) return NotFound();
  VxrPage* root = nullptr;
  if (const VxrStatus s = store_.Load(store_.Header().root, root); !s.Ok()) return Failure(s);
  return Edge(*root, last);
}

VxrStatus VxrTree::ParentOf(std::uint32_t at, std::uint32_t& parent) {
  parent = kVxrNoPage;
  if (at == store_.Header().root) return {};
  VxrPage* page = nullptr;
  if (const VxrStatus s = store_.Load(at, page); !s.Ok()) return s;
  if (page->records.empty()) return VxrStatus::Corrupt(kVxrTreeShape);
  const std::string key = page->records.front().key;
  const int level = page->level;
  std::uint32_t cursor = store_.Header().root;
  VxrPage* inner = nullptr;
  if (const VxrStatus s = store_.Load(cursor, inner); !s.Ok()) return s;
  while (true) {
    if (inner->level <= level) return VxrStatus::Corrupt(kVxrTreeShape);
    const std::size_t index = ChildIndex(*inner, key);
    const std::uint32_t child = inner->children[index];
    if (inner->level == level + 1) {
      if (child != at) return VxrStatus::Corrupt(kVxrTreeShape);
      parent = cursor;
      return {};
    }
    cursor = child;
    if (const VxrStatus s = LoadChild(*inner, index, inner); !s.Ok()) return s;
  }
}

VxrStatus VxrTree::WritePhaseOne() {
  return store_.WritePhaseOne([this](std::uint32_t page, std::uint32_t& parent) { return ParentOf(page, parent); });
}

VxrStatus VxrTree::WritePhaseTwo() {
  const VxrStatus status = store_.WritePhaseTwo();
  store_.Trim();
  return status;
}

VxrStatus VxrTree::Write() {
  const VxrStatus status = store_.Write([this](std::uint32_t page, std::uint32_t& parent) {
    return ParentOf(page, parent);
  });
  store_.Trim();
  return status;
}

VxrStatus VxrTree::Check(std::size_t& records, const CheckVisitor& visitor) {
  records = 0;
  if (store_.Header().root == kVxrNoPage) return {};
  CheckWalk walk(visitor);
  CheckPage(store_.Header().root, -1, nullptr, walk);
  records = walk.records;
  store_.Trim();
  return walk.first;
}

void VxrTree::CheckWalk::Unread(std::uint32_t page) {
  if (visitor.unread) visitor.unread(page);
}

void VxrTree::CheckWalk::Damage(std::uint32_t page, VxrStatus failure, std::string_view what,
                                std::string_view key) {
  if (first.Ok()) first = failure;
  if (visitor.damage) visitor.damage(page, failure, what, key);
}

void VxrTree::CheckPage(std::uint32_t at, int level, const VxrRecord* first, CheckWalk& walk) {
  const VxrStatus shape = VxrStatus::Corrupt(kVxrTreeShape);
  // A page reached twice would make a damaged file's walk endless.
  if (!walk.seen.insert(at).second) return walk.Damage(at, shape, "reached a second time from the root");
  VxrPage* page = nullptr;
  if (const VxrStatus s = store_.Load(at, page); !s.Ok()) {
    walk.Damage(at, s, "");
    return walk.Unread(at);
  }
  if (walk.visitor.page) walk.visitor.page(at);
  if (level >= 0 && page->level + 1 != level) {
    walk.Damage(at, shape,
                "level " + std::to_string(page->level) + " below a page of level " + std::to_string(level));
    // Levels that do not go down could lead the walk on without end.
    if (page->level >= level) return walk.Unread(at);
  }
  if (page->NeedsSplit()) {
    walk.Damage(at, shape,
                std::to_string(page->records.size()) + " records in " + std::to_string(page->ContentSize()) +
                    " bytes: over the limits at which a page is split");
  }
  if (page->records.empty() && at != store_.Header().root) walk.Damage(at, shape, "an empty page below the root");
  if (first && !page->records.empty() &&
      (page->records.front().key != first->key || page->records.front().data != first->data)) {
    walk.Damage(at, shape, "the parent's copy differs from the first record", first->key);
  }
  if (page->IsLeaf()) {
    for (const VxrRecord& r : page->records) {
      if (walk.records > 0 && CompareVxrKeys(walk.last, r.key) >= 0) {
        walk.Damage(at, VxrStatus::Corrupt(kVxrPageOrder), "a record not above the one before it", r.key);
      }
      if (r.key.size() + r.data.size() > kVxrMaxRecord) {
        walk.Damage(at, VxrStatus::Corrupt(kVxrRecordTooLarge),
                    "a record of " + std::to_string(r.key.size() + r.data.size()) + " bytes, over the largest " +
                        std::to_string(kVxrMaxRecord),
                    r.key);
      }
      if (walk.visitor.record) walk.visitor.record(at, r);
      walk.last = r.key;
      ++walk.records;
    }
    store_.Trim();
    return;
  }
  // The walk trims the cache as it goes: keep this page's entries, not the page.
  const std::vector<VxrRecord> copies = page->records;
  const std::vector<std::uint32_t> children = page->children;
  const int here = page->level;
  for (std::size_t i = 0; i < children.size(); ++i) CheckPage(children[i], here, &copies[i], walk);
}

}  // namespace zelvo

#include "storage/vxr_page_store.h"

#include <algorithm>
#include <unordered_map>

#include "storage/vxr_corruption.h"

namespace zelvo {
namespace {

using Bytes = std::vector<std::uint8_t>;

bool ZonesInOrder(const VxrHeader& h) {
  if (h.zones[0].start > h.zones[0].end) return false;
  std::uint32_t below = h.zones[0].end;
  for (std::size_t i = 1; i < kVxrZones; ++i) {
    const VxrZone& z = h.zones[i];
    if (z.start < below || z.end < z.start || (z.end - z.start) % i != 0) return false;
    below = z.end;
  }
  return h.UsedEnd() <= 0xFFFFFFFFu;
}

VxrStatus FromCode(ErrorCode code) { return {code}; }

// A file whose first write stopped short: its bytes are those of the empty
// header written first, or zeros where the write did not reach.
bool IsUnfinishedNewFile(std::span<const std::uint8_t> bytes) {
  static const auto empty = EncodeVxrHeader(VxrHeader{});
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != 0 && bytes[i] != empty[i]) return false;
  }
  return true;
}

}  // namespace

VxrPageStore::Opened VxrPageStore::Open(std::unique_ptr<OsFile> file, bool writable) {
  std::unique_ptr<VxrPageStore> store(new VxrPageStore(std::move(file), writable));
  const VxrStatus status = store->Refresh();
  if (!status.Ok()) return {status, nullptr};
  return {status, std::move(store)};
}

VxrStatus VxrPageStore::Refresh() {
  shadowOf_.clear();
  std::array<std::uint8_t, kVxrHeaderSize> bytes{};
  const ReadResult read = file_->ReadAt(0, bytes);
  if (Failed(read.code)) return FromCode(read.code);
  newFile_ = false;
  const auto decoded = DecodeVxrHeader(std::span(bytes).first(read.bytes));
  if (!decoded) {
    if (!IsUnfinishedNewFile(std::span(bytes).first(read.bytes))) return FromCode(ErrorCode::InvalidDataFile);
    newFile_ = true;
    committed_ = VxrHeader{};
    header_ = committed_;
    header_.changeCounter = 1;
    return {};
  }
  committed_ = *decoded;
  header_ = *decoded;
  // An interrupted write may have left a torn header at offset 0; its
  // differing ends send it to the shadow copies, which hold a whole one.
  if (header_.committedEnd != header_.shadowEnd) {
    if (const VxrStatus s = Recover(*decoded); !s.Ok()) return s;
  } else if (!ZonesInOrder(header_)) {
    return VxrStatus::Corrupt(kVxrZoneLayout);
  }
  if (header_.changeCounter == 0) {
    header_.changeCounter = 1;
    header_.root = kVxrNoPage;
  }
  if (header_.root != kVxrNoPage && !ZoneOf(header_.root)) return VxrStatus::Corrupt(kVxrPageReference);
  return {};
}

// Walks the shadow area an interrupted write left and finishes the write when
// every copy is whole and the new header is among them, else undoes it.
VxrStatus VxrPageStore::Recover(const VxrHeader& atZero) {
  std::map<std::uint64_t, std::uint64_t> copies;
  std::optional<VxrHeader> next;
  bool whole = atZero.shadowEnd > atZero.committedEnd;
  for (std::uint64_t pos = atZero.committedEnd; whole && pos < atZero.shadowEnd;) {
    std::array<std::uint8_t, kVxrHeaderSize> head{};
    const ReadResult read = file_->ReadAt(pos, std::span(head).first(6));
    if (Failed(read.code)) return FromCode(read.code);
    const std::uint32_t home = VxrLoad32(head, 0);
    const std::size_t size = VxrLoad16(head, 4);
    const std::uint64_t length = VxrUnits(size) * kVxrUnit;
    if (read.bytes < 6 || size < 6 || pos + length > atZero.shadowEnd) {
      whole = false;
      break;
    }
    if (home == 0) {
      const ReadResult all = file_->ReadAt(pos, head);
      if (Failed(all.code)) return FromCode(all.code);
      next = DecodeVxrHeader(std::span(head).first(all.bytes));
      if (!next || !ZonesInOrder(*next)) whole = false;
    } else if (home < kVxrHeaderSize || (home - kVxrHeaderSize) % kVxrUnit != 0) {
      whole = false;
    } else {
      copies[home] = pos;
    }
    pos += length;
  }
  if (!whole || !next) {
    if (!ZonesInOrder(atZero)) return VxrStatus::Corrupt(kVxrZoneLayout);
    header_ = atZero;
    header_.committedEnd = header_.shadowEnd = static_cast<std::uint32_t>(atZero.UsedEnd());
    if (writable_) return CommitHeader();
    return {};
  }
  header_ = *next;
  if (!writable_) {
    shadowOf_ = std::move(copies);
    return {};
  }
  for (const auto& [home, pos] : copies) {
    std::array<std::uint8_t, 6> head{};
    if (const ReadResult r = file_->ReadAt(pos, head); Failed(r.code)) return FromCode(r.code);
    Bytes page(VxrUnits(VxrLoad16(head, 4)) * kVxrUnit);
    const ReadResult r = file_->ReadAt(pos, page);
    if (Failed(r.code)) return FromCode(r.code);
    if (const ErrorCode w = file_->WriteAt(home, std::span(page).first(r.bytes)); Failed(w)) {
      return FromCode(w);
    }
  }
  if (const ErrorCode w = WriteHeaderAt(0, header_); Failed(w)) return FromCode(w);
  return CommitHeader();
}

VxrStatus VxrPageStore::CommitHeader() {
  if (const ErrorCode s = file_->Sync(); Failed(s)) return FromCode(s);
  std::array<std::uint8_t, kVxrHeaderSize> bytes{};
  const ReadResult read = file_->ReadAt(0, bytes);
  if (Failed(read.code)) return FromCode(read.code);
  auto header = DecodeVxrHeader(std::span(bytes).first(read.bytes));
  if (!header || !ZonesInOrder(*header)) return VxrStatus::Corrupt(kVxrZoneLayout);
  header->committedEnd = header->shadowEnd = static_cast<std::uint32_t>(header->UsedEnd());
  ++header->changeCounter;
  if (const ErrorCode w = WriteHeaderAt(0, *header); Failed(w)) return FromCode(w);
  if (const ErrorCode s = file_->Sync(); Failed(s)) return FromCode(s);
  header_ = *header;
  committed_ = *header;
  return {};
}

ErrorCode VxrPageStore::WriteHeaderAt(std::uint64_t offset, const VxrHeader& header) {
  const auto bytes = EncodeVxrHeader(header);
  return file_->WriteAt(offset, bytes);
}

std::optional<std::size_t> VxrPageStore::ZoneOf(std::uint32_t reference) const {
  for (std::size_t i = 1; i < kVxrZones; ++i) {
    const VxrZone& z = header_.zones[i];
    if (reference >= z.start && reference < z.end) {
      if ((reference - z.start) % i != 0) return std::nullopt;
      return i;
    }
  }
  return std::nullopt;
}

VxrStatus VxrPageStore::Load(std::uint32_t reference, VxrPage*& page) {
  if (VxrPageCache::Entry* e = cache_.Find(reference)) {
    page = &e->page;
    return {};
  }
  const auto zone = reference < kVxrNewPage ? ZoneOf(reference) : std::nullopt;
  if (!zone) return VxrStatus::Corrupt(kVxrPageReference);
  const std::uint64_t home = VxrPageOffset(reference);
  const auto shadow = shadowOf_.find(home);
  Bytes bytes(*zone * kVxrUnit);
  const ReadResult read = file_->ReadAt(shadow == shadowOf_.end() ? home : shadow->second, bytes);
  if (Failed(read.code)) return FromCode(read.code);
  if (read.bytes < kVxrPageHeader) return VxrStatus::Corrupt(kVxrShortPage);
  const std::span<const std::uint8_t> got(bytes.data(), read.bytes);
  if (VxrUnits(VxrStoredSize(got)) != *zone) return VxrStatus::Corrupt(kVxrPageSize);
  VxrPageDecode decoded = DecodeVxrPage(got, static_cast<std::uint32_t>(home));
  if (!decoded.status.Ok()) return decoded.status;
  page = &cache_.Put(reference, std::move(decoded.page), false).page;
  return {};
}

void VxrPageStore::MarkDirty(std::uint32_t reference) {
  if (VxrPageCache::Entry* e = cache_.Find(reference)) e->dirty = true;
}

std::uint32_t VxrPageStore::Allocate(VxrPage page) {
  const std::uint32_t reference = nextNew_++;
  cache_.Put(reference, std::move(page), true);
  return reference;
}

void VxrPageStore::Free(std::uint32_t reference) {
  cache_.Erase(reference);
  if (reference < kVxrNewPage) freed_.push_back(reference);
}

// Places every changed page by the zone rules, moving pages as the rules
// need and updating the references to moved pages.
VxrStatus VxrPageStore::Place(const VxrParentFinder& parentOf, VxrHeader& next) {
  std::array<std::vector<std::uint32_t>, kVxrZones> slots;
  std::array<std::vector<std::uint32_t>, kVxrZones> joining;
  for (std::size_t i = 1; i < kVxrZones; ++i) {
    for (std::uint32_t r = next.zones[i].start; r < next.zones[i].end; r += static_cast<std::uint32_t>(i)) {
      slots[i].push_back(r);
    }
  }
  std::unordered_map<std::uint32_t, std::size_t> slotOf;  // pages no longer in their first slot
  auto leave = [&](std::uint32_t reference) -> VxrStatus {
    const auto zone = ZoneOf(reference);
    if (!zone) return VxrStatus::Corrupt(kVxrPageReference);
    auto& zoneSlots = slots[*zone];
    const auto moved = slotOf.find(reference);
    const std::size_t k = moved != slotOf.end() ? moved->second : (reference - next.zones[*zone].start) / *zone;
    if (k >= zoneSlots.size() || zoneSlots[k] != reference) return VxrStatus::Corrupt(kVxrZoneLayout);
    const std::uint32_t last = zoneSlots.back();
    zoneSlots[k] = last;
    slotOf[last] = k;
    zoneSlots.pop_back();
    return {};
  };
  for (const std::uint32_t r : freed_) {
    if (const VxrStatus s = leave(r); !s.Ok()) return s;
  }
  freed_.clear();
  for (const std::uint32_t r : cache_.DirtyReferences()) {
    const std::size_t units = VxrUnits(EncodeVxrPage(cache_.Find(r)->page, 0).size());
    if (units >= kVxrZones) return VxrStatus::Corrupt(kVxrRecordTooLarge);
    if (r >= kVxrNewPage) {
      joining[units].push_back(r);
    } else if (ZoneOf(r) != units) {
      if (const VxrStatus s = leave(r); !s.Ok()) return s;
      joining[units].push_back(r);
    }
  }

  std::vector<std::pair<std::uint32_t, std::uint32_t>> moves;
  std::uint32_t start = next.zones[0].end;
  for (std::size_t i = 1; i < kVxrZones; ++i) {
    const auto unit = static_cast<std::int64_t>(i);
    std::vector<std::uint32_t>& stay = slots[i];
    std::vector<std::uint32_t> order;
    std::int64_t gap = std::int64_t{next.zones[i].start} - start;
    std::size_t joined = 0;
    for (; gap >= unit && joined < joining[i].size(); gap -= unit) order.push_back(joining[i][joined++]);
    const auto whole = static_cast<std::size_t>((gap < 0 ? -gap : gap) / unit);
    if (gap > 0 && gap % unit == 0 && whole <= stay.size()) {
      order.insert(order.end(), stay.end() - static_cast<std::ptrdiff_t>(whole), stay.end());
      stay.resize(stay.size() - whole);
    } else if (gap < 0 && gap % unit == 0 && whole <= stay.size()) {
      std::rotate(stay.begin(), stay.begin() + static_cast<std::ptrdiff_t>(whole), stay.end());
    }
    order.insert(order.end(), stay.begin(), stay.end());
    order.insert(order.end(), joining[i].begin() + static_cast<std::ptrdiff_t>(joined), joining[i].end());
    for (std::size_t k = 0; k < order.size(); ++k) {
      const auto home = static_cast<std::uint32_t>(start + k * i);
      if (order[k] != home) moves.emplace_back(order[k], home);
    }
    next.zones[i] = {start, static_cast<std::uint32_t>(start + order.size() * i)};
    start = next.zones[i].end;
  }

  // Find every parent while the tree still has its old references, then
  // change them all at once.
  struct Repoint {
    std::uint32_t parent;
    std::size_t index;
    std::uint32_t home;
  };
  std::vector<Repoint> repoints;
  for (const auto& [from, to] : moves) {
    VxrPage* page = nullptr;
    if (const VxrStatus s = Load(from, page); !s.Ok()) return s;
    std::uint32_t parent = kVxrNoPage;
    if (const VxrStatus s = parentOf(from, parent); !s.Ok()) return s;
    if (parent == kVxrNoPage) {
      repoints.push_back({kVxrNoPage, 0, to});
      continue;
    }
    VxrPage* holder = nullptr;
    if (const VxrStatus s = Load(parent, holder); !s.Ok()) return s;
    const auto it = std::find(holder->children.begin(), holder->children.end(), from);
    if (it == holder->children.end()) return VxrStatus::Corrupt(kVxrTreeShape);
    repoints.push_back({parent, static_cast<std::size_t>(it - holder->children.begin()), to});
  }
  for (const Repoint& r : repoints) {
    if (r.parent == kVxrNoPage) {
      next.root = r.home;
      continue;
    }
    VxrPageCache::Entry* holder = cache_.Find(r.parent);
    holder->page.children[r.index] = r.home;
    holder->dirty = true;
  }
  cache_.Rekey(moves);
  for (const auto& [from, to] : moves) MarkDirty(to);
  return {};
}

VxrStatus VxrPageStore::Write(const VxrParentFinder& parentOf) {
  if (!HasChanges()) return {};
  if (!writable_) return FromCode(ErrorCode::AccessDenied);
  VxrHeader next = header_;
  VxrStatus status = Place(parentOf, next);
  if (status.Ok()) status = WritePhases(committed_, next);
  if (status.Ok()) return status;
  (void)Discard();  // read the file again as the failure left it
  return status;
}

VxrStatus VxrPageStore::WritePhases(const VxrHeader& before, VxrHeader next) {
  if (newFile_) {
    // An empty header first, so that the file is an indexed record file
    // from its first byte on, whatever happens next.
    if (const ErrorCode w = WriteHeaderAt(0, before); Failed(w)) return FromCode(w);
    if (const ErrorCode s = file_->Sync(); Failed(s)) return FromCode(s);
    newFile_ = false;
  }
  const std::uint64_t oldEnd = before.UsedEnd();
  const std::uint64_t newEnd = std::max(next.UsedEnd(), oldEnd);
  if (newEnd + kVxrLargestPage * cache_.Size() + kVxrHeaderSize > 0xFFFFFFFFu) {
    return VxrStatus::Corrupt(kVxrNumberOverflow);
  }
  next.committedEnd = next.shadowEnd = static_cast<std::uint32_t>(newEnd);
  next.changeCounter = header_.changeCounter + 1;
  header_ = next;  // the encoder needs the pages' new homes only

  struct Encoded {
    std::uint64_t home;
    std::string bytes;
  };
  std::vector<Encoded> pages;
  for (const std::uint32_t r : cache_.DirtyReferences()) {
    const std::uint64_t home = VxrPageOffset(r);
    std::string bytes = EncodeVxrPage(cache_.Find(r)->page, static_cast<std::uint32_t>(home));
    bytes.resize(VxrUnits(bytes.size()) * kVxrUnit, '\0');
    pages.push_back({home, std::move(bytes)});
  }
  auto span = [](const std::string& s) {
    return std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  };

  // Phase one: nothing below the old used end changes yet.
  std::uint64_t shadow = newEnd;
  for (const Encoded& p : pages) {
    const bool below = p.home < oldEnd;
    if (const ErrorCode w = file_->WriteAt(below ? shadow : p.home, span(p.bytes)); Failed(w)) return FromCode(w);
    if (below) shadow += p.bytes.size();
  }
  if (const ErrorCode w = WriteHeaderAt(shadow, next); Failed(w)) return FromCode(w);
  shadow += kVxrHeaderSize;
  if (const ErrorCode s = file_->Sync(); Failed(s)) return FromCode(s);
  VxrHeader pointing = before;
  pointing.committedEnd = static_cast<std::uint32_t>(newEnd);
  pointing.shadowEnd = static_cast<std::uint32_t>(shadow);
  if (const ErrorCode w = WriteHeaderAt(0, pointing); Failed(w)) return FromCode(w);
  if (const ErrorCode s = file_->Sync(); Failed(s)) return FromCode(s);

  // Phase two: from here an interruption is finished by the next open.
  for (const Encoded& p : pages) {
    if (p.home < oldEnd) {
      if (const ErrorCode w = file_->WriteAt(p.home, span(p.bytes)); Failed(w)) return FromCode(w);
    }
  }
  // Still pointing at the shadow area: a torn write of it is finished again.
  VxrHeader final = next;
  final.shadowEnd = pointing.shadowEnd;
  if (const ErrorCode w = WriteHeaderAt(0, final); Failed(w)) return FromCode(w);
  if (const VxrStatus s = CommitHeader(); !s.Ok()) return s;
  cache_.MarkAllClean();
  headerChanged_ = false;
  return {};
}

VxrStatus VxrPageStore::RefreshIfChanged() {
  if (HasChanges() || newFile_) return {};
  std::array<std::uint8_t, kVxrHeaderSize> bytes{};
  const ReadResult read = file_->ReadAt(0, bytes);
  if (Failed(read.code)) return FromCode(read.code);
  const auto header = DecodeVxrHeader(std::span(bytes).first(read.bytes));
  if (!header) return FromCode(ErrorCode::InvalidDataFile);
  if (header->changeCounter == committed_.changeCounter && header->committedEnd == header->shadowEnd) {
    return {};
  }
  return Discard();
}

VxrStatus VxrPageStore::Discard() {
  cache_.Clear();
  freed_.clear();
  nextNew_ = kVxrNewPage;
  headerChanged_ = false;
  return Refresh();
}

}  // namespace zelvo

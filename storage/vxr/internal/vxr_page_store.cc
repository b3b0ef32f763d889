#include "storage/vxr/internal/vxr_page_store.h"

#include <algorithm>
#include <unordered_map>

#include "storage/vxr/internal/vxr_corruption.h"
#include "storage/vxr/internal/vxr_locks.h"

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

VxrPageStore::Opened VxrPageStore::Open(std::unique_ptr<OsFile> file, bool writable, VxrStoreOptions options) {
  std::unique_ptr<VxrPageStore> store(new VxrPageStore(std::move(file), writable, std::move(options)));
  const VxrStatus status = store->Refresh();
  if (!status.Ok()) return {status, nullptr};
  return {status, std::move(store)};
}

VxrStatus VxrPageStore::Refresh() {
  shadowOf_.clear();
  interruption_ = Interruption::None;
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
  bool undo = !whole || !next;
  if (!undo && options_.undoInterrupted) {
    // The decider reads the file as it would be when finished.
    header_ = *next;
    shadowOf_ = copies;
    undo = options_.undoInterrupted(*this);
    cache_.Clear();
    shadowOf_.clear();
  }
  if (undo) {
    if (!ZonesInOrder(atZero)) return VxrStatus::Corrupt(kVxrZoneLayout);
    header_ = atZero;
    header_.committedEnd = header_.shadowEnd = static_cast<std::uint32_t>(atZero.UsedEnd());
    if (!MayRepair()) {
      interruption_ = Interruption::Undone;
      return {};
    }
    if (const ErrorCode l = LockAllReaders(); Failed(l)) return FromCode(l);
    const VxrStatus committed = CommitHeader();
    UnlockAllReaders();
    return committed;
  }
  header_ = *next;
  if (!MayRepair()) {
    shadowOf_ = std::move(copies);
    interruption_ = Interruption::Finished;
    return {};
  }
  if (const ErrorCode l = LockAllReaders(); Failed(l)) return FromCode(l);
  auto repair = [&]() -> VxrStatus {
    for (const auto& [home, pos] : copies) {
      std::array<std::uint8_t, 6> head{};
      if (const ReadResult r = file_->ReadAt(pos, head); Failed(r.code)) return FromCode(r.code);
      Bytes page(VxrUnits(VxrLoad16(head, 4)) * kVxrUnit);
      const ReadResult r = file_->ReadAt(pos, page);
      if (Failed(r.code)) return FromCode(r.code);
      if (const ErrorCode w = file_->WriteAt(home, std::span(page).first(r.bytes)); Failed(w)) return FromCode(w);
    }
    if (const ErrorCode w = WriteHeaderAt(0, header_); Failed(w)) return FromCode(w);
    return CommitHeader();
  };
  const VxrStatus repaired = repair();
  UnlockAllReaders();
  return repaired;
}

ErrorCode VxrPageStore::LockAllReaders() {
  if (!options_.shared || readersLocked_) return ErrorCode::Ok;
  const ErrorCode code = file_->Lock(VxrAllReaders(), LockKind::Exclusive, LockWait::Wait);
  readersLocked_ = !Failed(code);
  return code;
}

void VxrPageStore::UnlockAllReaders() {
  if (!readersLocked_) return;
  (void)file_->Unlock(VxrAllReaders());
  readersLocked_ = false;
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

void VxrPageStore::MarkDirty(std::uint32_t reference) { cache_.SetDirty(reference); }

std::uint32_t VxrPageStore::Allocate(VxrPage page) {
  const std::uint32_t reference = nextNew_++;
  cache_.Put(reference, std::move(page), true);
  return reference;
}

void VxrPageStore::Free(std::uint32_t reference) {
  cache_.Erase(reference);
  if (reference < kVxrNewPage) freed_.push_back(reference);
}

// Where the pages stand while Place works: the page in each place of a zone
// and the place of each page, kept only where they differ from the file as
// committed (a place not listed holds the page committed there, a page not
// listed stands where it was), so that a write costs what it changes.
class VxrPlacement {
 public:
  std::uint32_t At(std::size_t zone, std::uint32_t place) const {
    const auto it = at_.find(Slot(zone, place));
    return it == at_.end() ? place : it->second;
  }
  std::uint32_t Of(std::uint32_t page) const {
    const auto it = of_.find(page);
    return it == of_.end() ? page : it->second;
  }
  void Put(std::size_t zone, std::uint32_t page, std::uint32_t place) {
    at_[Slot(zone, place)] = page;
    of_[page] = place;
  }
  void Forget(std::uint32_t page) { of_.erase(page); }
  // Every page that stands elsewhere than before, with its new place.
  const std::unordered_map<std::uint32_t, std::uint32_t>& Moved() const { return of_; }

 private:
  // Places are per zone: a reference of one zone's grid may be another
  // zone's too while both shift.
  static std::uint64_t Slot(std::size_t zone, std::uint32_t place) {
    return (std::uint64_t{zone} << 32) | place;
  }
  std::unordered_map<std::uint64_t, std::uint32_t> at_;
  std::unordered_map<std::uint32_t, std::uint32_t> of_;
};

// Places every changed page by the zone rules, moving pages as the rules
// need and updating the references to moved pages. A zone moves only whole
// pages: shifted upwards, its first pages go to its end; closing a gap below
// it, its last pages come to its front. A gap narrower than one of its pages
// stays (closing it would move every page of the zone, and the pages are
// found from the zone's own start).
VxrStatus VxrPageStore::Place(const VxrParentFinder& parentOf, VxrHeader& next) {
  VxrPlacement placed;
  std::array<std::vector<std::uint32_t>, kVxrZones> joining;
  auto leave = [&](std::uint32_t page) -> VxrStatus {
    const auto zone = ZoneOf(page);
    if (!zone) return VxrStatus::Corrupt(kVxrPageReference);
    VxrZone& z = next.zones[*zone];
    const auto unit = static_cast<std::uint32_t>(*zone);
    const std::uint32_t place = placed.Of(page);
    if (z.end - z.start < unit || place < z.start || place >= z.end || placed.At(*zone, place) != page) {
      return VxrStatus::Corrupt(kVxrZoneLayout);
    }
    const std::uint32_t last = placed.At(*zone, z.end - unit);
    if (last != page) placed.Put(*zone, last, place);
    z.end -= unit;
    placed.Forget(page);
    return {};
  };
  for (const std::uint32_t r : freed_) {
    if (const VxrStatus s = leave(r); !s.Ok()) return s;
  }
  freed_.clear();
  for (const std::uint32_t r : cache_.DirtyReferences()) {
    std::string& bytes = encoded_[r];
    bytes = EncodeVxrPage(cache_.Find(r)->page, 0);
    const std::size_t units = VxrUnits(bytes.size());
    if (units >= kVxrZones) return VxrStatus::Corrupt(kVxrRecordTooLarge);
    if (r >= kVxrNewPage) {
      joining[units].push_back(r);
    } else if (ZoneOf(r) != units) {
      if (const VxrStatus s = leave(r); !s.Ok()) return s;
      joining[units].push_back(r);
    }
  }

  std::uint32_t below = next.zones[0].end;
  for (std::size_t i = 1; i < kVxrZones; ++i) {
    VxrZone& z = next.zones[i];
    const auto unit = static_cast<std::uint32_t>(i);
    if (z.start == z.end) z.start = z.end = below;  // an empty zone lies where the one below ends
    if (z.start < below) {
      if (below - z.start >= z.end - z.start) {
        // Wholly in the way: every page moves up, in its order.
        std::vector<std::uint32_t> pages;
        for (std::uint32_t r = z.start; r < z.end; r += unit) pages.push_back(placed.At(i, r));
        z = {below, static_cast<std::uint32_t>(below + pages.size() * unit)};
        for (std::size_t k = 0; k < pages.size(); ++k) {
          placed.Put(i, pages[k], static_cast<std::uint32_t>(below + k * unit));
        }
      }
      while (z.start < below) {  // its first pages move to its end
        placed.Put(i, placed.At(i, z.start), z.end);
        z.start += unit;
        z.end += unit;
      }
    }
    std::size_t joined = 0;
    for (; z.start - below >= unit && joined < joining[i].size(); ++joined) {  // the zone grows downwards
      z.start -= unit;
      placed.Put(i, joining[i][joined], z.start);
    }
    while (z.start - below >= unit && z.end > z.start) {  // its last pages close the gap below it
      z.end -= unit;
      z.start -= unit;
      placed.Put(i, placed.At(i, z.end), z.start);
    }
    if (z.start == z.end) z.start = z.end = below;
    for (; joined < joining[i].size(); ++joined) {
      placed.Put(i, joining[i][joined], z.end);
      z.end += unit;
    }
    below = z.end;
  }

  std::vector<std::pair<std::uint32_t, std::uint32_t>> moves;
  for (const auto& [page, place] : placed.Moved()) {
    if (page != place) moves.emplace_back(page, place);
  }
  std::sort(moves.begin(), moves.end());

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
    cache_.Find(r.parent)->page.children[r.index] = r.home;
    cache_.SetDirty(r.parent);
    encoded_.erase(r.parent);  // its child references changed, not its size
  }
  cache_.Rekey(moves);
  std::unordered_map<std::uint32_t, std::string> rekeyed;
  for (const auto& [from, to] : moves) {
    cache_.SetDirty(to);
    if (auto it = encoded_.find(from); it != encoded_.end()) {
      rekeyed[to] = std::move(it->second);
      encoded_.erase(it);
    }
  }
  for (auto& [to, bytes] : rekeyed) encoded_[to] = std::move(bytes);
  return {};
}

VxrStatus VxrPageStore::Write(const VxrParentFinder& parentOf) {
  if (const VxrStatus one = WritePhaseOne(parentOf); !one.Ok()) return one;
  return WritePhaseTwo();
}

VxrStatus VxrPageStore::WritePhaseOne(const VxrParentFinder& parentOf) {
  if (prepared_ || !HasChanges()) return {};
  if (!writable_ || interruption_ != Interruption::None) return FromCode(ErrorCode::AccessDenied);
  // Zones that reach past the end of a damaged file would have the placing
  // move pages that are not there, a great many of them.
  if (const SizeResult size = file_->Size(); !newFile_ && (Failed(size.code) || header_.UsedEnd() > size.size)) {
    (void)Discard();
    return Failed(size.code) ? FromCode(size.code) : VxrStatus::Corrupt(kVxrShortPage);
  }
  if (const ErrorCode l = LockAllReaders(); Failed(l)) {
    (void)Discard();
    return FromCode(l);
  }
  VxrHeader next = header_;
  encoded_.clear();
  VxrStatus status = Place(parentOf, next);
  if (status.Ok()) status = PhaseOne(committed_, next);
  encoded_.clear();
  if (!status.Ok()) Unprepare();
  return status;
}

void VxrPageStore::Unprepare() {
  // The header at offset 0 may already point at the shadow copies: the old
  // one goes back, so that a failed write is not finished later.
  if (writable_ && !newFile_) {
    if (!Failed(WriteHeaderAt(0, committed_))) (void)file_->Sync();
  }
  prepared_.reset();
  const bool repairs = repairs_;
  repairs_ = false;  // what the failure left is read, not repaired, now
  (void)Discard();
  repairs_ = repairs;
  UnlockAllReaders();
}

VxrStatus VxrPageStore::WritePhaseTwo() {
  if (!prepared_) return {};
  PreparedWrite write = std::move(*prepared_);
  prepared_.reset();
  auto span = [](const std::string& s) {
    return std::span(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
  };
  auto finish = [&]() -> VxrStatus {
    for (const auto& [home, bytes] : write.homes) {
      if (const ErrorCode w = file_->WriteAt(home, span(bytes)); Failed(w)) return FromCode(w);
    }
    // Still pointing at the shadow area: a torn write of it is finished again.
    if (const ErrorCode w = WriteHeaderAt(0, write.final); Failed(w)) return FromCode(w);
    return CommitHeader();
  };
  const VxrStatus status = finish();
  if (status.Ok()) {
    cache_.MarkAllClean();
    headerChanged_ = false;
  } else {
    (void)Discard();  // read the file again as the failure left it
  }
  UnlockAllReaders();
  return status;
}

VxrStatus VxrPageStore::AbandonPhaseOne() {
  if (!prepared_) return {};
  prepared_.reset();
  const VxrStatus committed = CommitHeader();
  const bool repairs = repairs_;
  repairs_ = false;
  const VxrStatus discarded = Discard();
  repairs_ = repairs;
  UnlockAllReaders();
  return committed.Ok() ? discarded : committed;
}

VxrStatus VxrPageStore::PhaseOne(const VxrHeader& before, VxrHeader next) {
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
    std::string bytes;
    if (auto it = encoded_.find(r); it != encoded_.end()) {
      bytes = std::move(it->second);
      VxrSetPageHome(bytes, static_cast<std::uint32_t>(home));
    } else {
      bytes = EncodeVxrPage(cache_.Find(r)->page, static_cast<std::uint32_t>(home));
    }
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

  // From here an interruption is finished by the next refresh.
  PreparedWrite write;
  for (Encoded& p : pages) {
    if (p.home < oldEnd) write.homes.emplace_back(p.home, std::move(p.bytes));
  }
  write.final = next;
  write.final.shadowEnd = pointing.shadowEnd;
  prepared_ = std::move(write);
  return {};
}

VxrStatus VxrPageStore::RefreshIfChanged() {
  if (HasChanges()) return {};
  std::array<std::uint8_t, kVxrHeaderSize> bytes{};
  const ReadResult read = file_->ReadAt(0, bytes);
  if (Failed(read.code)) return FromCode(read.code);
  const std::span<const std::uint8_t> got = std::span(bytes).first(read.bytes);
  const auto header = DecodeVxrHeader(got);
  if (!header) {
    if (newFile_ && IsUnfinishedNewFile(got)) return {};
    return FromCode(ErrorCode::InvalidDataFile);
  }
  // An interrupted write is decided again at every refresh: it may have been
  // repaired meanwhile, or this store may now repair it.
  if (!newFile_ && header->changeCounter == committed_.changeCounter && header->committedEnd == header->shadowEnd &&
      interruption_ == Interruption::None) {
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

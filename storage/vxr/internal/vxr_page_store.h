// VxrPageStore: the pages of one indexed record file on disk — the header,
// the 59 page zones, the page cache, and the two-phase write that makes
// changed pages final.
//
// Zones. Zone i (1..59) holds the pages whose stored size rounded up to 256
// is i units, one after another over the references [start, end); the zones
// lie in increasing order of i and, after every write, each starts where the
// one below ends. A page's zone, and so its length, follows from its
// reference. New pages get a provisional reference (kVxrNewPage and up) until
// the write places them. At the write:
//   - a freed page's place is taken by the last page of its zone;
//   - a page whose size class changed leaves its zone and joins its new one;
//   - a page joining a zone takes the place just below it when the gap below
//     is at least i units (the zone grows downwards), else the end of it;
//   - a zone in the way of the one below moves its first pages to its end;
//   - the gaps are then closed by whole pages: a zone with a gap of one of
//     its pages or more below it moves its last pages to its front. A gap
//     narrower than one page of the zone stays: closing it would move every
//     page of the zone.
// So a write moves about as many pages as it changes.
// Moving a page changes the reference its parent holds (found through the
// ParentFinder the tree gives) or the header's root.
//
// Writing (Write), phase one: the dirty pages whose home lies below the old
// used end are written past the new used end as shadow copies, new pages at
// home, then the new header as a shadow copy (home 0); sync; the old header
// with the new committed and shadow ends at offset 0; sync. Phase two: every
// dirty page at home, the new header at offset 0, then the header commit
// (sync, both ends set to the used end, change counter + 1, write, sync).
// A failure before the header at offset 0 leaves the file as it was; a
// failure after it is finished from the shadow copies by the next open.
//
// Opening (Open) checks the header and the zones (error 36 for a file
// that is not an indexed record file, a corruption for damaged zones), and
// finishes or undoes an interrupted write. The decision: undo when a shadow
// copy cannot be read whole or the options' undoInterrupted says so (a
// transaction over several files not complete), else finish. Only a store
// that may repair (writable and not shared, or shared while its station holds
// the write lock: SetRepairs) carries the decision out on disk; any other
// reads its pages through the newest shadow copies (finish) or ignores them
// (undo), as a reading station does.
//
// A shared store (others may write the file) takes the all-readers lock of
// storage/vxr/internal/vxr_locks.h, waiting, from phase one to the end of phase two and
// while it repairs. The station's own locks are its owner's.
//
// Owns its OS file. Not thread-safe: the run token's holder only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "storage/os_file.h"
#include "storage/vxr/internal/vxr_header.h"
#include "storage/vxr/internal/vxr_page.h"
#include "storage/vxr/internal/vxr_page_cache.h"

namespace zelvo {

// Provisional references of pages not yet placed.
inline constexpr std::uint32_t kVxrNewPage = 0x80000000;

// The reference of the page holding the child reference of `page`;
// kVxrNoPage for the root.
using VxrParentFinder = std::function<VxrStatus(std::uint32_t page, std::uint32_t& parent)>;

class VxrPageStore;

struct VxrStoreOptions {
  bool shared = false;
  // Asked with the store reading through the shadow copies of an
  // interrupted write it could finish: true to undo it instead.
  std::function<bool(VxrPageStore&)> undoInterrupted;
};

class VxrPageStore {
 public:
  struct [[nodiscard]] Opened {
    VxrStatus status;
    std::unique_ptr<VxrPageStore> store;
  };
  // An empty file is a new file, and so is one whose first write stopped
  // short (its bytes are the empty header's or zeros); the first Write
  // writes its header.
  static Opened Open(std::unique_ptr<OsFile> file, bool writable, VxrStoreOptions options = {});

  VxrHeader& Header() { return header_; }
  bool Writable() const { return writable_; }
  bool Shared() const { return options_.shared; }
  OsFile& File() { return *file_; }
  // A shared store's station holds the write lock: an interrupted write met
  // from now on is repaired on disk.
  void SetRepairs(bool repairs) { repairs_ = repairs; }
  // What the last look at an interrupted write decided, while it is not
  // repaired: reading through its shadow copies, or ignoring them.
  enum class Interruption : std::uint8_t { None, Finished, Undone };
  Interruption Interrupted() const { return interruption_; }

  // The page, read and decoded when not cached. REQUIRES: the pointer is used
  // only until the next Trim, Write or Discard.
  VxrStatus Load(std::uint32_t reference, VxrPage*& page);
  // The page when it is cached (a use), else null; never reads the file.
  // REQUIRES: as Load.
  VxrPage* Cached(std::uint32_t reference) {
    VxrPageCache::Entry* e = cache_.Find(reference);
    return e ? &e->page : nullptr;
  }
  // Marks a loaded page changed.
  void MarkDirty(std::uint32_t reference);
  // A new page; its provisional reference.
  std::uint32_t Allocate(VxrPage page);
  // Frees a page of the tree.
  void Free(std::uint32_t reference);

  bool HasChanges() const { return !freed_.empty() || cache_.HasDirty() || headerChanged_; }
  // Marks the header changed (a new last issued number), so Write writes it.
  void MarkHeaderChanged() { headerChanged_ = true; }

  // Writes every change in the two phases above. On failure the changes are
  // dropped and the store reads the file again as the failure left it.
  VxrStatus Write(const VxrParentFinder& parentOf);
  // The two phases apart, for a commit over several files: phase one leaves
  // the file to be finished by the next refresh and keeps the all-readers
  // lock; phase two makes the pages final and releases it. Abandon, after
  // phase one, commits the header at offset 0 (the old one), which drops the
  // shadow copies, and drops the changes. Each is a no-op without a phase
  // one prepared (WritePhaseOne of a store without changes prepares none).
  VxrStatus WritePhaseOne(const VxrParentFinder& parentOf);
  VxrStatus WritePhaseTwo();
  VxrStatus AbandonPhaseOne();
  bool Prepared() const { return prepared_.has_value(); }
  // Drops every change and the cache; the header is read again.
  VxrStatus Discard();
  // Reads the header again; when another open committed since (a higher
  // change counter) the cache is dropped and the new header taken. Between
  // operations only: changes not yet written are kept as they are.
  VxrStatus RefreshIfChanged();

  void Trim() { cache_.Trim(); }
  // The memory of decoded pages, in bytes, above which Trim drops pages.
  void SetCacheLimit(std::size_t bytes) { cache_.SetLimit(bytes); }
  std::size_t CacheLimit() const { return cache_.Limit(); }
  std::size_t CachedPages() const { return cache_.Size(); }
  std::size_t DirtyPages() const { return cache_.DirtyCount(); }

 private:
  VxrPageStore(std::unique_ptr<OsFile> file, bool writable, VxrStoreOptions options)
      : file_(std::move(file)), writable_(writable), options_(std::move(options)) {}

  bool MayRepair() const { return writable_ && (repairs_ || !options_.shared); }
  ErrorCode LockAllReaders();
  void UnlockAllReaders();
  // Phase one failed: the old header back at offset 0, the changes dropped.
  void Unprepare();

  VxrStatus Refresh();
  VxrStatus Recover(const VxrHeader& atZero);
  std::optional<std::size_t> ZoneOf(std::uint32_t reference) const;
  VxrStatus Place(const VxrParentFinder& parentOf, VxrHeader& next);
  VxrStatus PhaseOne(const VxrHeader& before, VxrHeader next);
  VxrStatus CommitHeader();
  ErrorCode WriteHeaderAt(std::uint64_t offset, const VxrHeader& header);

  std::unique_ptr<OsFile> file_;
  bool writable_;
  VxrStoreOptions options_;
  bool repairs_ = false;
  bool readersLocked_ = false;
  Interruption interruption_ = Interruption::None;
  // Between the phases: the pages for their homes and the final header.
  struct PreparedWrite {
    std::vector<std::pair<std::uint64_t, std::string>> homes;
    VxrHeader final;
  };
  std::optional<PreparedWrite> prepared_;
  VxrHeader header_;
  VxrHeader committed_;  // the header as on disk
  bool newFile_ = false;
  bool headerChanged_ = false;
  VxrPageCache cache_;
  std::vector<std::uint32_t> freed_;
  std::uint32_t nextNew_ = kVxrNewPage;
  std::map<std::uint64_t, std::uint64_t> shadowOf_;  // home offset -> newest shadow copy
  // During Write: the pages' stored bytes as Place encoded them (home not
  // yet set), so that each page is encoded once.
  std::unordered_map<std::uint32_t, std::string> encoded_;
};

}  // namespace zelvo

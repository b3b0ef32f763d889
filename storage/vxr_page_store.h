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
// finishes or undoes an interrupted write: a writable file is repaired on
// disk, a read-only one reads its pages through the shadow copies.
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

#include "storage/os_file.h"
#include "storage/vxr_header.h"
#include "storage/vxr_page.h"
#include "storage/vxr_page_cache.h"

namespace zelvo {

// Provisional references of pages not yet placed.
inline constexpr std::uint32_t kVxrNewPage = 0x80000000;

// The reference of the page holding the child reference of `page`;
// kVxrNoPage for the root.
using VxrParentFinder = std::function<VxrStatus(std::uint32_t page, std::uint32_t& parent)>;

class VxrPageStore {
 public:
  struct [[nodiscard]] Opened {
    VxrStatus status;
    std::unique_ptr<VxrPageStore> store;
  };
  // An empty file is a new file, and so is one whose first write stopped
  // short (its bytes are the empty header's or zeros); the first Write
  // writes its header.
  static Opened Open(std::unique_ptr<OsFile> file, bool writable);

  VxrHeader& Header() { return header_; }
  bool Writable() const { return writable_; }

  // The page, read and decoded when not cached. REQUIRES: the pointer is used
  // only until the next Trim, Write or Discard.
  VxrStatus Load(std::uint32_t reference, VxrPage*& page);
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
  // Drops every change and the cache; the header is read again.
  VxrStatus Discard();
  // Reads the header again; when another open committed since (a higher
  // change counter) the cache is dropped and the new header taken. Between
  // operations only: changes not yet written are kept as they are.
  VxrStatus RefreshIfChanged();

  void Trim() { cache_.Trim(); }
  std::size_t CachedPages() const { return cache_.Size(); }
  std::size_t DirtyPages() const { return cache_.DirtyCount(); }

 private:
  VxrPageStore(std::unique_ptr<OsFile> file, bool writable) : file_(std::move(file)), writable_(writable) {}

  VxrStatus Refresh();
  VxrStatus Recover(const VxrHeader& atZero);
  std::optional<std::size_t> ZoneOf(std::uint32_t reference) const;
  VxrStatus Place(const VxrParentFinder& parentOf, VxrHeader& next);
  VxrStatus WritePhases(const VxrHeader& before, VxrHeader next);
  VxrStatus CommitHeader();
  ErrorCode WriteHeaderAt(std::uint64_t offset, const VxrHeader& header);

  std::unique_ptr<OsFile> file_;
  bool writable_;
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

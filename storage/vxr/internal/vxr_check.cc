#include "storage/vxr/vxr_check.h"

#include "storage/vxr/internal/vxr_transaction.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "storage/vxr/internal/vxr_corruption.h"
#include "storage/vxr/internal/vxr_definition.h"
#include "storage/vxr/internal/vxr_key.h"
#include "storage/vxr/internal/vxr_key_entry.h"
#include "storage/vxr/internal/vxr_page_store.h"
#include "storage/vxr/internal/vxr_record_key.h"
#include "storage/vxr/internal/vxr_tree.h"

namespace zelvo {
namespace {

constexpr std::uint8_t kTableNameMark = 0xFE;
constexpr std::uint8_t kTransactionMark = 0xFF;
constexpr std::uint8_t kMemoMark = 0xFC;

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

std::string HexBytes(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (!out.empty()) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

std::string PageAt(std::uint32_t reference) {
  return "page " + Hex(reference) + " (offset " + Hex(VxrPageOffset(reference)) + ")";
}

std::string TableAt(std::uint32_t table) { return "table " + std::to_string(table); }

std::string KeyAt(std::uint32_t table, std::uint8_t key) {
  return TableAt(table) + " key " + std::to_string(key);
}

// The words for a failed consistency check or a failed read.
std::string Why(VxrStatus status) {
  switch (status.corruption) {
    case kVxrPageHome:
      return "the page does not name its own position";
    case kVxrPageSize:
      return "stored or uncompressed size out of bounds for the page";
    case kVxrPageRuns:
      return "the compressed record part does not decode";
    case kVxrPageRecords:
      return "the records do not fill the page's stated size exactly";
    case kVxrPageOrder:
      return "records out of order inside the page";
    case kVxrPageReference:
      return "a reference outside every zone";
    case kVxrTreeShape:
      return "levels or parent copies that do not fit together";
    case kVxrShortPage:
      return "the page reaches past the end of the file";
    case kVxrZoneLayout:
      return "page zones that overlap or run backwards";
    case kVxrShadow:
      return "a shadow area that cannot be walked";
    default:
      break;
  }
  if (status.code == ErrorCode::FileSystemError) return VxrCorruptionText(status.corruption);
  return "cannot be read: " + ErrorText(status.code);
}

std::optional<FieldType> FieldTypeOf(std::uint8_t code) {
  switch (code) {
    case 1:
      return FieldType::Byte;
    case 2:
      return FieldType::Short;
    case 3:
      return FieldType::UShort;
    case 4:
      return FieldType::Date;
    case 5:
      return FieldType::Time;
    case 6:
      return FieldType::Long;
    case 7:
      return FieldType::ULong;
    case 9:
      return FieldType::Real;
    case 10:
      return FieldType::Decimal;
    case 18:
      return FieldType::String;
    case 19:
      return FieldType::CString;
    case 20:
      return FieldType::PString;
    default:
      return std::nullopt;
  }
}

// The keys a stored definition gives; nullopt, with the reason, for a key
// that names no field or a field of a type no key can read.
std::optional<std::vector<VxrKey>> KeysOf(const VxrDefinition& d, std::string& why) {
  std::vector<VxrKey> keys;
  if (d.keys.size() > kMaxVxrKeys) {
    why = "the definition has more keys than a table can";
    return std::nullopt;
  }
  for (std::size_t k = 0; k < d.keys.size(); ++k) {
    const VxrDefinition::Key& stored = d.keys[k];
    VxrKey key;
    key.number = static_cast<std::uint8_t>(k);
    key.attributes = stored.attributes;
    if (stored.components.empty() || stored.components.size() > key.components.size()) {
      why = "key " + std::to_string(k) + " has " + std::to_string(stored.components.size()) + " components";
      return std::nullopt;
    }
    for (const VxrDefinition::Component& c : stored.components) {
      const auto type = c.field < d.fields.size() ? FieldTypeOf(d.fields[c.field].type) : std::nullopt;
      if (!type || d.fields[c.field].elements != 1) {
        why = "key " + std::to_string(k) + " names field " + std::to_string(c.field) +
              ", which no key can read";
        return std::nullopt;
      }
      const VxrDefinition::Field& f = d.fields[c.field];
      FieldDeclaration field;
      field.type = *type;
      field.size = *type == FieldType::Decimal ? f.digits : f.size;
      field.places = f.places;
      field.offset = f.offset;
      key.components[key.count++] = {c.field, field, (c.flags & 1) != 0};
    }
    keys.push_back(key);
  }
  return keys;
}

// Every record of one table, sorted out by kind.
struct TableRecords {
  std::optional<std::string> name;
  std::vector<std::pair<std::uint32_t, const VxrRecord*>> data;   // record number, record
  std::map<std::uint8_t, std::vector<const VxrRecord*>> entries;  // by key number
  std::map<std::uint8_t, const VxrRecord*> counters;              // by kVxrDataRecordMark or key number
  std::map<std::uint16_t, const VxrRecord*> chunks;               // definition chunks
  std::vector<const VxrRecord*> memoChunks;
};

class Checker {
 public:
  explicit Checker(VxrCheckReport& report) : report_(report) {}

  void Run(std::unique_ptr<OsFile> file) {
    file_ = file.get();  // the page store owns it from its open on, for as long as the check
    std::array<std::uint8_t, kVxrHeaderSize> bytes{};
    const ReadResult read = file->ReadAt(0, bytes);
    const SizeResult size = file->Size();
    if (Failed(read.code) || Failed(size.code)) {
      return Unreadable("cannot be read: " + ErrorText(Failed(read.code) ? read.code : size.code));
    }
    if (read.bytes < kVxrHeaderSize) {
      return Unreadable(std::to_string(read.bytes) +
                        " bytes, fewer than a header's 512: not an indexed record file");
    }
    const auto header = DecodeVxrHeader(bytes);
    if (!header) return Unreadable("no signature \"qUiL\" at offset 14: not an indexed record file");
    CheckHeaderWords(bytes);
    const bool interrupted = header->committedEnd != header->shadowEnd;
    if (!interrupted && !CheckZones(*header, size.size)) return;  // the pages cannot be found

    auto opened = VxrPageStore::Open(std::move(file), false,
                                     {.shared = true, .undoInterrupted = vxr::TransactionIncomplete});
    if (!opened.status.Ok()) {
      if (opened.status.corruption == kVxrPageReference) {
        return Add("header", "the root reference " + Hex(header->root) + " lies outside every zone");
      }
      return Add("header", Why(opened.status));
    }
    VxrPageStore& store = *opened.store;
    if (interrupted) {
      const bool finished = store.Interrupted() == VxrPageStore::Interruption::Finished;
      report_.notes.push_back("an interrupted write (committed end " + Hex(header->committedEnd) + ", shadow end " +
                              Hex(header->shadowEnd) + "): read " +
                              (finished ? "through its newest shadow copies, as the next writing station will finish it"
                                        : "without its shadow copies, as the next writing station will undo it") +
                              "; left as it is");
      if (!CheckZones(store.Header(), size.size)) return;
    }
    VxrTree tree(store);
    const std::set<std::uint32_t> loaded = CheckPages(store, size.size);
    CheckTree(tree, loaded);
    CheckNumbers(store.Header().lastNumber);
    // Counted against records that could not be read, every table would show
    // the loss again as wrong counts and lost entries.
    if (unread_ > 0) {
      return Add("tables", "counters and key entries not checked: " + std::to_string(unread_) +
                               " page(s) of the tree could not be read");
    }
    for (auto& [table, records] : tables_) CheckTable(table, records);
  }

 private:
  void Add(std::string location, std::string text) {
    report_.findings.push_back({std::move(location), std::move(text)});
  }

  void Unreadable(std::string text) {
    report_.readable = false;
    Add("header", std::move(text));
  }

  // The words of the header that hold the same value in every file.
  void CheckHeaderWords(std::span<const std::uint8_t> bytes) {
    if (const std::uint32_t w = VxrLoad32(bytes, 0); w != 0) Add("header", "offset 0 holds " + Hex(w) + ", not 0");
    if (const std::uint16_t w = VxrLoad16(bytes, 4); w != kVxrHeaderSize) {
      Add("header", "header size " + Hex(w) + ", not 0x200");
    }
    if (const std::uint16_t w = VxrLoad16(bytes, 18); w != 0) Add("header", "offset 18 holds " + Hex(w) + ", not 0");
  }

  // The zones of a header no write is under way in; false when they are so
  // damaged that pages cannot be found from them.
  bool CheckZones(const VxrHeader& h, std::uint64_t fileSize) {
    bool usable = true;
    std::uint32_t below = h.zones[0].end;
    bool overlapSaid = false;  // the empty zones above an overlap overlap it too: said once
    if (h.zones[0].start > h.zones[0].end) {
      Add("zone 0", "ends at " + Hex(h.zones[0].end) + ", before its start " + Hex(h.zones[0].start));
      usable = false;
    }
    for (std::size_t i = 1; i < kVxrZones; ++i) {
      const VxrZone& z = h.zones[i];
      const std::string at = "zone " + std::to_string(i);
      if (z.start < below && (!overlapSaid || z.end > z.start)) {
        overlapSaid = true;
        Add(at, "starts at " + Hex(z.start) + ", below the end " + Hex(below) + " of the zones beneath");
        usable = false;
      }
      if (z.start < below) {
        usable = false;
      }
      if (z.end < z.start) {
        Add(at, "ends at " + Hex(z.end) + ", before its start " + Hex(z.start));
        usable = false;
      } else if ((z.end - z.start) % i != 0) {
        Add(at, "its " + std::to_string(z.end - z.start) + " units are not whole pages of " +
                    std::to_string(i) + " units");
        usable = false;
      } else if (z.end > z.start && VxrPageOffset(z.end) > fileSize) {
        Add(at,
            "reaches offset " + Hex(VxrPageOffset(z.end)) + ", past the end of the file at " + Hex(fileSize));
      }
      below = std::max(below, z.end);
    }
    if (usable && h.committedEnd != h.UsedEnd()) {
      Add("header",
          "committed end " + Hex(h.committedEnd) + " differs from the end of the pages " + Hex(h.UsedEnd()));
    }
    return usable;
  }

  // Loads every page of every zone that starts inside the file (a zone
  // reaching past its end is said already, not each of the pages that are not
  // there: a damaged zone may name millions); answers those that decoded.
  std::set<std::uint32_t> CheckPages(VxrPageStore& store, std::uint64_t fileSize) {
    std::set<std::uint32_t> loaded;
    const VxrHeader h = store.Header();
    for (std::size_t i = 1; i < kVxrZones; ++i) {
      for (std::uint64_t r = h.zones[i].start;
           r < h.zones[i].end && VxrPageOffset(static_cast<std::uint32_t>(r)) < fileSize; r += i) {
        const auto reference = static_cast<std::uint32_t>(r);
        VxrPage* page = nullptr;
        const VxrStatus s = store.Load(reference, page);
        store.Trim();
        if (s.Ok()) {
          loaded.insert(reference);
          continue;
        }
        damaged_.insert(reference);
        Add(PageAt(reference), s.corruption == kVxrPageSize ? SizeText(reference, i) : Why(s));
      }
    }
    report_.pages = loaded.size();
    return loaded;
  }

  // A stored size that does not fit the page's zone, in numbers when the
  // page's first bytes can be read.
  std::string SizeText(std::uint32_t reference, std::size_t units) {
    std::array<std::uint8_t, 6> head{};
    if (Failed(file_->ReadAt(VxrPageOffset(reference), head).code))
      return Why(VxrStatus::Corrupt(kVxrPageSize));
    const std::size_t stored = VxrLoad16(head, 4);
    return "stored size " + std::to_string(stored) + " takes " + std::to_string(VxrUnits(stored)) +
           " units; its zone's pages take " + std::to_string(units);
  }

  void CheckTree(VxrTree& tree, const std::set<std::uint32_t>& loaded) {
    std::set<std::uint32_t> reached;
    bool treeDamaged = !damaged_.empty();
    VxrTree::CheckVisitor visitor;
    visitor.page = [&](std::uint32_t page) { reached.insert(page); };
    visitor.record = [&](std::uint32_t, const VxrRecord& record) { records_.push_back(record); };
    visitor.unread = [&](std::uint32_t) { ++unread_; };
    visitor.damage = [&](std::uint32_t page, VxrStatus failure, std::string_view what, std::string_view key) {
      if (what.empty() && damaged_.count(page) != 0) return;  // said already
      treeDamaged = true;
      std::string text = what.empty() ? Why(failure) : std::string(what);
      if (!key.empty()) text += " (record " + HexBytes(key) + ")";
      Add(PageAt(page), std::move(text));
    };
    std::size_t count = 0;
    (void)tree.Check(count, visitor);
    report_.records = count;
    // Past damage in the tree, pages below it are not reached either.
    for (const std::uint32_t page : loaded) {
      if (!treeDamaged && reached.count(page) == 0) Add(PageAt(page), "not reached from the root");
    }
    Sort();
  }

  // Sorts the records read into their tables.
  void Sort() {
    for (const VxrRecord& r : records_) {
      const std::string_view key = r.key;
      if (!key.empty() && static_cast<std::uint8_t>(key[0]) == kTableNameMark) {
        const auto number = ReadBigEndian32(r.data, 0);
        if (!number || r.data.size() != 4) {
          Add("table name " + HexBytes(key.substr(1)), "its data part is not a table number");
          continue;
        }
        TableRecords& t = tables_[*number];
        if (t.name) {
          Add(TableAt(*number), "named twice");
        } else {
          Number(*number, TableAt(*number));
        }
        t.name = std::string(key.substr(1));
        ++report_.tables;
        highest_ = std::max(highest_, *number);
        continue;
      }
      if (!key.empty() && static_cast<std::uint8_t>(key[0]) == kTransactionMark) {
        // The transaction number, the control file's path and its end.
        if (key.size() != 1 || r.data.size() < 6 || r.data.back() != '\0') {
          Add("transaction marker " + HexBytes(key), "not a transaction number and a control file's path");
        }
        continue;
      }
      const auto table = ReadBigEndian32(key, 0);
      if (!table || key.size() < 5) {
        Add("record " + HexBytes(key), "a key too short for any record of a table");
        continue;
      }
      TableRecords& t = tables_[*table];
      const auto mark = static_cast<std::uint8_t>(key[4]);
      if (mark == kVxrDataRecordMark) {
        const auto number = ReadBigEndian32(key, 5);
        if (!number || key.size() != 9) {
          Add(TableAt(*table) + " record " + HexBytes(key),
              "a data record key of " + std::to_string(key.size()) + " bytes, not 9");
          continue;
        }
        t.data.emplace_back(*number, &r);
        highest_ = std::max(highest_, *number);
        Number(*number, TableAt(*table) + " record " + std::to_string(*number));
      } else if (mark == kVxrCountersMark) {
        if (key.size() == 6 && r.data.size() != 8) {
          Add(TableAt(*table) + " counters " + HexBytes(key),
              "a data part of " + std::to_string(r.data.size()) + " bytes, not 8");
        } else if (key.size() == 6) {
          t.counters[static_cast<std::uint8_t>(key[5])] = &r;
        } else
          Add(TableAt(*table) + " counters " + HexBytes(key),
              "a counters key of " + std::to_string(key.size()) + " bytes, not 6");
      } else if (mark == kVxrDefinitionMark) {
        if (key.size() == 7) {
          t.chunks[static_cast<std::uint16_t>(static_cast<std::uint8_t>(key[5]) |
                                              static_cast<std::uint8_t>(key[6]) << 8)] = &r;
        } else {
          Add(TableAt(*table) + " definition " + HexBytes(key),
              "a definition chunk key of " + std::to_string(key.size()) + " bytes, not 7");
        }
      } else if (mark < kMaxVxrKeys) {
        t.entries[mark].push_back(&r);
      } else if (mark == kMemoMark) {
        t.memoChunks.push_back(&r);
      } else {
        Add(TableAt(*table) + " record " + HexBytes(key), "a record of no kind a table has");
      }
    }
  }

  void CheckNumbers(std::uint32_t lastNumber) {
    if (lastNumber < highest_) {
      Add("header", "last issued number " + std::to_string(lastNumber) +
                        " is below the highest number present, " + std::to_string(highest_));
    }
    if (lastNumber >= kVxrNumbersEnd) {
      Add("header", "last issued number " + Hex(lastNumber) +
                        " has reached 0xFE in its highest byte: no new table or record can be numbered");
    }
  }

  // Table numbers and record numbers come from one counter: each is issued
  // once in the whole file, and 0 never.
  void Number(std::uint32_t number, const std::string& owner) {
    if (number == 0) return Add(owner, "numbered 0, a number never issued");
    const auto [it, first] = numbered_.emplace(number, owner);
    if (!first) Add(owner, "number " + std::to_string(number) + " is " + it->second + "'s too");
  }

  // The counters record `which`; nullopt when absent or damaged (counts as zeros).
  static std::optional<VxrCounters> Counters(const TableRecords& t, std::uint8_t which) {
    const auto it = t.counters.find(which);
    if (it == t.counters.end()) return std::nullopt;
    const std::string& data = it->second->data;  // 8 bytes, as sorted out
    const auto le = [&](std::size_t at) {
      return VxrLoad32(std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()), at);
    };
    return VxrCounters{le(0), le(4)};
  }

  void CheckCount(std::uint32_t table, const TableRecords& t, std::uint8_t which, std::size_t present,
                  const std::string& what) {
    const VxrCounters c = Counters(t, which).value_or(VxrCounters{});
    if (c.count == present) return;
    const std::string at =
        which == kVxrDataRecordMark ? TableAt(table) + " counters" : KeyAt(table, which) + " counters";
    Add(at,
        "count " + std::to_string(c.count) + ", but " + std::to_string(present) + " " + what + " present");
  }

  void CheckTable(std::uint32_t table, const TableRecords& t) {
    if (!t.name) {
      Add(TableAt(table), "records of a table that has no name");
    }
    CheckCount(table, t, kVxrDataRecordMark, t.data.size(), "data records");
    std::string stream;
    std::uint16_t expected = 0;
    for (const auto& [chunk, record] : t.chunks) {
      if (chunk != expected) {
        Add(TableAt(table) + " definition", "chunk " + std::to_string(expected) + " is missing");
        return;
      }
      ++expected;
      // The stream is cut into whole chunks; only the last may be shorter.
      const bool last = chunk + 1u == t.chunks.size();
      if (record->data.size() > kVxrDefinitionChunk || (!last && record->data.size() != kVxrDefinitionChunk)) {
        Add(TableAt(table) + " definition", "chunk " + std::to_string(chunk) + " holds " +
                                                std::to_string(record->data.size()) + " bytes, not " +
                                                (last ? "at most " : "") + std::to_string(kVxrDefinitionChunk));
      }
      stream += record->data;
    }
    if (t.chunks.empty()) {
      if (t.name) Add(TableAt(table) + " definition", "missing");
      return;
    }
    const auto definition = DecodeVxrDefinition(stream);
    if (!definition) return Add(TableAt(table) + " definition", "does not decode");
    std::string why;
    const auto keys = KeysOf(*definition, why);
    if (!keys) return Add(TableAt(table) + " definition", why);
    for (const auto& [number, entries] : t.entries) {
      if (number >= keys->size()) {
        Add(KeyAt(table, number),
            std::to_string(entries.size()) + " entries of a key the definition does not have");
      }
    }
    for (const auto& [which, record] : t.counters) {
      if (which != kVxrDataRecordMark && which >= keys->size()) {
        Add(KeyAt(table, which) + " counters", "counters of a key the definition does not have");
      }
    }
    for (const auto& [number, record] : t.data) {
      if (record->data.size() != definition->recordSize) {
        Add(TableAt(table) + " record " + HexBytes(record->key),
            "a data part of " + std::to_string(record->data.size()) + " bytes, not the record size " +
                std::to_string(definition->recordSize));
      }
    }
    CheckMemoChunks(table, t, *definition);
    // The rules a table's text keys were weighed by are not stored: take the
    // ones its entries fit.
    std::vector<VxrFinding> plain, oem;
    CheckKeys(table, t, *keys, false, plain);
    if (!plain.empty()) CheckKeys(table, t, *keys, true, oem);
    const auto& chosen = !plain.empty() && oem.size() < plain.size() ? oem : plain;
    report_.findings.insert(report_.findings.end(), chosen.begin(), chosen.end());
  }

  // A memo chunk belongs to a memo of the definition and a record present:
  // key T, 0xFC, record number, memo number, chunk number (2 bytes).
  void CheckMemoChunks(std::uint32_t table, const TableRecords& t, const VxrDefinition& definition) {
    std::set<std::uint32_t> present;
    for (const auto& [number, record] : t.data) present.insert(number);
    for (const VxrRecord* chunk : t.memoChunks) {
      const std::string& key = chunk->key;
      const std::string at = TableAt(table) + " memo " + HexBytes(key);
      if (key.size() != 12) {
        Add(at, "a memo chunk key of " + std::to_string(key.size()) + " bytes, not 12");
      } else if (static_cast<std::uint8_t>(key[9]) >= definition.memos.size()) {
        Add(at, "a chunk of memo " + std::to_string(static_cast<std::uint8_t>(key[9])) +
                    ", which the definition does not have");
      } else if (present.count(*ReadBigEndian32(key, 5)) == 0) {
        Add(at, "a memo chunk of record " + std::to_string(*ReadBigEndian32(key, 5)) + ", which is not present");
      }
    }
  }

  void CheckKeys(std::uint32_t table, const TableRecords& t, const std::vector<VxrKey>& keys, bool oem,
                 std::vector<VxrFinding>& out) {
    const VxrTableKeys tableKeys{table, keys, {.oem = oem}};
    for (const VxrKey& key : keys) {
      if (key.Has(kVxrKeyDynamic)) continue;
      const auto it = t.entries.find(key.number);
      const std::vector<const VxrRecord*> none;
      const auto& entries = it == t.entries.end() ? none : it->second;
      const VxrCounters counters = Counters(t, key.number).value_or(VxrCounters{});
      // Above a partial key's build limit upkeep left the entries as they were.
      // A key is partially built when its counters hold a build limit, as the
      // driver takes it when it opens the table: APPEND leaves the stored
      // definition's attribute byte as it was.
      const std::uint32_t limit = counters.second != 0 ? counters.second : 0xFFFFFFFFu;
      std::map<std::string, std::pair<std::string, std::uint32_t>, std::less<>>
          expected;  // key part -> data, record
      std::set<std::uint32_t> present;
      for (const auto& [number, record] : t.data) {
        present.insert(number);
        if (number >= limit) continue;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(record->data.data());
        auto entry = VxrKeyEntryFor(tableKeys, key, {bytes, record->data.size()}, number);
        if (!entry) continue;
        // Without DUP an entry's key part is the value alone: two records with one value clash.
        if (const auto clash = expected.find(entry->key); clash != expected.end()) {
          out.push_back({TableAt(table) + " record " + HexBytes(VxrDataRecordKey(table, number)),
                         "the same value in key " + std::to_string(key.number) + " as record " +
                             std::to_string(clash->second.second) + ", and the key allows no duplicates"});
          continue;
        }
        expected[std::move(entry->key)] = {std::move(entry->data), number};
      }
      std::size_t counted = 0;
      for (const VxrRecord* entry : entries) {
        ++counted;
        const auto view = ReadVxrKeyEntry(key, table, *entry);
        if (view && view->recordNumber >= limit) continue;
        const auto found = expected.find(entry->key);
        if (found != expected.end() && found->second.first == entry->data) {
          expected.erase(found);
          continue;
        }
        std::string text = "not an entry of this key (wrong length or data part)";
        if (view) {
          text = "names record " + std::to_string(view->recordNumber) +
                 (present.count(view->recordNumber) != 0 ? ", whose values do not give this entry"
                                                         : ", which is not present");
        }
        out.push_back({KeyAt(table, key.number) + " entry " + HexBytes(entry->key), std::move(text)});
      }
      for (const auto& [entryKey, want] : expected) {
        out.push_back(
            {TableAt(table) + " record " + HexBytes(VxrDataRecordKey(table, want.second)),
             "no entry in key " + std::to_string(key.number) + " (expected " + HexBytes(entryKey) + ")"});
      }
      if (limit == 0xFFFFFFFFu && counters.count != counted) {
        out.push_back({KeyAt(table, key.number) + " counters", "count " + std::to_string(counters.count) +
                                                                   ", but " + std::to_string(counted) +
                                                                   " entries present"});
      }
    }
  }

  OsFile* file_ = nullptr;  // for the numbers of a page's stored size
  VxrCheckReport& report_;
  std::set<std::uint32_t> damaged_;  // pages that did not load, reported already
  std::vector<VxrRecord> records_;
  std::map<std::uint32_t, TableRecords> tables_;
  std::uint32_t highest_ = 0;
  std::map<std::uint32_t, std::string> numbered_;  // each number issued, and what holds it
  std::size_t unread_ = 0;  // pages of the tree that did not load
};

}  // namespace

VxrCheckReport CheckVxrFile(std::unique_ptr<OsFile> file) {
  VxrCheckReport report;
  Checker checker(report);
  checker.Run(std::move(file));
  return report;
}

VxrCheckReport CheckVxrPath(const std::string& path) {
  OpenResult opened = CurrentFileSystem().Open(path, {.read = true});
  if (Failed(opened.code)) {
    VxrCheckReport report;
    report.readable = false;
    report.findings.push_back({path, "cannot be opened: " + ErrorText(opened.code)});
    return report;
  }
  return CheckVxrFile(std::move(opened.file));
}

}  // namespace zelvo

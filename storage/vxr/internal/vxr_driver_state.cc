// What the indexed record file driver keeps for a FILE outside the file —
// saved states and dynamic keys — and the properties of its keys.
//
// GETSTATE saves where reading stands (the order, the place in it, the
// current record) with the flags that go with it (C, P, N) and answers a
// handle; RESTORESTATE puts them back, the FILE's other flags (open, mode,
// streaming, locks, watch and hold) staying as they are now; FREESTATE
// forgets a handle. Handles belong to one open of the FILE: CLOSE forgets
// them all, and an unknown handle is not found (35). No handle is given twice.
//
// BUILDdyn builds a dynamic key's entries from the table's data records as
// they are now (OPT, DUP and NOCASE as for any key; a value met twice in a
// key without DUP answers 40 and leaves the key as it was); they are kept
// for this FILE until it closes, and the key is built (K) from then on. A
// key stored in the file is no dynamic key to build (38). BUILDdynfilter
// builds it the same way from the records for which the filter expression
// in the arguments' text is true: the expression is compiled against the
// program's bindings (its FILE's record bound under the table's prefix) and
// each record is tested in the FILE's record buffer, which holds what it
// held before once the build ends. An expression that does not compile, or
// leaves text unread, answers its error (800, 801) and builds nothing.
//
// Key properties (GETPROPERTYkey, SETPROPERTYkey) are words, like the
// driver's SEND words: "NAME" and "LABEL" (the key's declared name and the
// text of its duplicate-key message), "COMPONENTS" (how many), "DUP", "OPT",
// "NOCASE", "PRIMARY" and "BUILT" ("1" or "0"). None of them can be changed:
// setting one answers its value and changes nothing. Other words answer an
// empty text.
#include <algorithm>
#include <cctype>

#include "storage/vxr/internal/vxr_record_key.h"

#include "storage/driver_options.h"
#include "storage/filter/filter_expression.h"
#include "storage/vxr/internal/vxr_corruption.h"
#include "storage/vxr/internal/vxr_table_state.h"

namespace zelvo::vxr {
namespace {

using Op = FileOperation;

constexpr StateFlags kPositionFlags = kCurrentRecord | kPositioned | kSetNotRead;

// Handles are never given twice in the process, so one kept past a CLOSE
// cannot name a state saved after it.
std::uint64_t& LastHandle() {
  static std::uint64_t handle = 0;
  return handle;
}

std::string KeyProperty(const File& file, const VxrKey& key, std::string_view word) {
  auto yesNo = [](bool b) { return std::string(b ? "1" : "0"); };
  const std::span<const KeyDeclaration> declared = file.Declaration().keys;
  if (SameWord(word, "NAME") || SameWord(word, "LABEL")) {
    if (key.number >= declared.size()) return {};
    const KeyDeclaration& d = declared[key.number];
    return std::string(SameWord(word, "NAME") ? d.name : d.description);
  }
  if (SameWord(word, "COMPONENTS")) return std::to_string(key.count);
  if (SameWord(word, "DUP")) return yesNo(key.Has(kVxrKeyDup));
  if (SameWord(word, "OPT")) return yesNo(key.Has(kVxrKeyOpt));
  if (SameWord(word, "NOCASE")) return yesNo(key.Has(kVxrKeyNoCase));
  if (SameWord(word, "PRIMARY")) return yesNo(key.Has(kVxrKeyPrimary));
  if (SameWord(word, "BUILT")) return yesNo(!key.Has(kVxrKeyPartial));
  return {};
}

// The filter, when given, is tested with each record in the FILE's buffer.
ErrorCode BuildDynamicKey(File& file, VxrFileState& s, std::size_t number, const FilterExpression* filter,
                          OperationAnswer& answer) {
  const VxrKey* key = NamedKey(s, number);
  const auto dynamic = s.dynamic.find(number - 1);
  if (!key || dynamic == s.dynamic.end()) return ErrorCode::InvalidKeyFile;
  const Bytes kept(file.Record().Bytes().begin(), file.Record().Bytes().end());
  struct PutBack {
    File& file;
    const Bytes& bytes;
    ~PutBack() { std::copy(bytes.begin(), bytes.end(), file.Record().Bytes().begin()); }
  } putBack{file, kept};
  const VxrTableKeys table = TableKeys(file, s);
  VxrTree& tree = *s.open->tree;
  const std::string first = VxrDataRecordKey(s.table, 0);
  const std::string prefix = first.substr(0, first.size() - 4);
  VxrMemoryRecords entries;
  for (std::string at = first;;) {
    const VxrLookup next = tree.Next(at);
    if (next.status.code == ErrorCode::RecordNotFound) break;
    if (!next.Found()) return Answer(next.status, answer);
    if (!next.record.key.starts_with(prefix) || next.record.key.size() != first.size()) break;
    at = next.record.key;
    const std::optional<Bytes> image = BufferImage(file, s, next.record.data);
    if (!image) return Answer(VxrStatus::Corrupt(kVxrRecordForm), answer);
    if (filter) {
      auto buffer = file.Record().Bytes();
      std::copy_n(image->begin(), std::min(image->size(), buffer.size()), buffer.begin());
      if (!filter->Truth()) continue;
    }
    const std::optional<VxrRecord> entry = VxrKeyEntryFor(table, *key, *image, *ReadBigEndian32(at, prefix.size()));
    if (!entry) continue;  // OPT: no entry
    if (const VxrStatus in = entries.Insert(entry->key, entry->data); !in.Ok()) return Answer(in, answer);
  }
  dynamic->second.entries = std::move(entries);
  dynamic->second.built = true;
  return ErrorCode::Ok;
}

}  // namespace

ErrorCode PerformStateOperation(Op op, File& file, VxrFileState& s, const OperationArguments& arguments,
                                OperationAnswer& answer) {
  switch (op) {
    case Op::GETSTATE:
      answer.number = ++LastHandle();
      s.saved[answer.number] = {static_cast<const VxrReadPosition&>(s),
                                static_cast<StateFlags>(file.State() & kPositionFlags)};
      return ErrorCode::Ok;
    case Op::RESTORESTATE: {
      const auto found = s.saved.find(arguments.state);
      if (found == s.saved.end()) return ErrorCode::RecordNotFound;
      static_cast<VxrReadPosition&>(s) = found->second.position;
      answer.restoredFlags =
          static_cast<StateFlags>((file.State() & ~kPositionFlags) | found->second.flags);
      return ErrorCode::Ok;
    }
    case Op::FREESTATE: s.saved.erase(arguments.state); return ErrorCode::Ok;
    case Op::BUILDdyn: return BuildDynamicKey(file, s, arguments.key, nullptr, answer);
    case Op::BUILDdynfilter: {
      const FilterCompilation compiled = FilterExpression::Compile(arguments.text);
      if (!compiled.ok()) return compiled.error.code;
      if (!compiled.Whole(arguments.text)) return ErrorCode::InvalidExpression;
      return BuildDynamicKey(file, s, arguments.key, &*compiled.expression, answer);
    }
    case Op::GETPROPERTYkey:
    case Op::SETPROPERTYkey: {
      const VxrKey* key = NamedKey(s, arguments.key);
      if (!key) return ErrorCode::InvalidKeyFile;
      answer.text = KeyProperty(file, *key, ParseOption(arguments.text).word);
      return ErrorCode::Ok;
    }
    default: return ErrorCode::UnsupportedFileDriverFunction;
  }
}

}  // namespace zelvo::vxr

// Saved states and key properties in the indexed record file driver.
//
// GETSTATE saves where reading stands (the order, the place in it, the
// current record) with the flags that go with it (C, P, N) and answers a
// handle; RESTORESTATE puts them back, the FILE's other flags (open, mode,
// streaming, locks, watch and hold) staying as they are now; FREESTATE
// forgets a handle. Handles belong to one open of the FILE: CLOSE forgets
// them all, and an unknown handle is not found (35). No handle is given twice.
//
// Key properties (GETPROPERTYkey, SETPROPERTYkey) are words, like the
// driver's SEND words: "NAME" and "LABEL" (the key's declared name and the
// text of its duplicate-key message), "COMPONENTS" (how many), "DUP", "OPT",
// "NOCASE", "PRIMARY" and "BUILT" ("1" or "0"). None of them can be changed:
// setting one answers its value and changes nothing. Other words answer an
// empty text.
#include <cctype>

#include "storage/driver_options.h"
#include "storage/vxr_table_state.h"

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

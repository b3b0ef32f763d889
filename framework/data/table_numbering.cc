// Auto-numbering: a key's numbered component takes the highest value in the
// file (among the records with the same leading components) plus one, and the
// record is added at once to hold the number against other stations.
#include <cstring>
#include <limits>

#include "framework/data/table_manager.h"
#include "storage/field_codec.h"
#include "storage/file_operations.h"

namespace zelvo {
namespace {

// The highest value the component's field holds, as text.
std::string HighestValue(const FieldDeclaration& field) {
  switch (field.type) {
    case FieldType::Byte: return "255";
    case FieldType::Short: return "32767";
    case FieldType::UShort: return "65535";
    case FieldType::Long: return std::to_string(std::numeric_limits<std::int32_t>::max());
    case FieldType::ULong: return std::to_string(std::numeric_limits<std::uint32_t>::max());
    case FieldType::Decimal: return std::string(field.size - field.places, '9');
    default: return std::string(field.size, '\xFF');
  }
}

}  // namespace

Level TableManager::Reserve(bool report) {
  if (EnsureUsable(2) != LevelOk) return LevelFatal;
  if (!hasAutoInc_ || Info().autoIncDone) return LevelOk;
  int failures = 0;
  for (;;) {
    for (const ManagedKey& key : keys_) {
      Level failure = LevelOk;
      if (key.autoIncrement > 0 && !NumberKey(key, report, failure)) return failure;
    }
    if (Perform(FileOperation::ADD) == ErrorCode::Ok) {
      Info().autoIncDone = true;
      return LevelOk;
    }
    if (++failures < 3) continue;  // another station may have taken the number: try anew
    SetLastError(kMsgAutoIncrementError);
    if (report && RaiseError(kMsgAutoIncrementError) == LevelOk) {
      failures = 0;
      continue;
    }
    return LevelNotify;
  }
}

bool TableManager::NumberKey(const ManagedKey& key, bool report, Level& failure) {
  const auto& keys = file_->Declaration().keys;
  if (key.number == 0 || key.number > keys.size()) return true;
  const KeyDeclaration& declared = keys[key.number - 1];
  if (key.autoIncrement > declared.count) return true;
  const std::span<const FieldDeclaration> layout = Buffer().Layout();
  const auto fieldOf = [&](std::size_t component) -> const FieldDeclaration* {
    const std::optional<std::size_t> index = FindField(layout, declared.components[component].field);
    return index ? &layout[*index] : nullptr;
  };
  const std::size_t c = key.autoIncrement - 1;
  const FieldDeclaration* numbered = fieldOf(c);
  if (numbered == nullptr) return true;

  const RecordBuffer primed = Buffer();
  OperationArguments arguments;
  arguments.key = key.number;
  ErrorCode code;
  if (declared.count == 1) {
    code = Perform(FileOperation::SETkey, arguments);
  } else {
    (void)AssignText(*numbered, Buffer().Bytes().data() + numbered->offset, HighestValue(*numbered));
    code = Perform(FileOperation::SETkeykey, arguments);
  }
  if (code == ErrorCode::Ok)
    code = Perform(declared.components[c].ascending ? FileOperation::PREVIOUS : FileOperation::NEXT);

  std::int64_t next = 1;
  if (code == ErrorCode::Ok) {
    bool sameLead = true;
    for (std::size_t i = 0; i < c && sameLead; ++i) {
      const FieldDeclaration* lead = fieldOf(i);
      sameLead = lead == nullptr || std::memcmp(primed.Bytes().data() + lead->offset,
                                                Buffer().Bytes().data() + lead->offset, lead->Bytes()) == 0;
    }
    if (sameLead) {
      const std::string last = ValueText(*numbered, Buffer().Bytes().data() + numbered->offset);
      next = Decimal::Parse(last).ToInt64() + 1;
    }
  } else if (code != ErrorCode::RecordNotAvailable) {
    Buffer() = primed;
    failure = Fail(kMsgRecordRetrievalError, report, LevelNotify);
    return false;
  }
  Buffer() = primed;
  (void)AssignText(*numbered, Buffer().Bytes().data() + numbered->offset, std::to_string(next));
  return true;
}

}  // namespace zelvo

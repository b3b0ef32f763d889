// How a plan's FILEs move: the primary reads on in its FILE, a join holds the
// records that match its enclosing FILE's current record and moves among them.
#include <algorithm>

#include "storage/field_codec.h"
#include "storage/file_operations.h"
#include "storage/view/internal/view_plan.h"

namespace zelvo {
namespace {

using Op = FileOperation;

ErrorCode Do(File& file, Op op, const OperationArguments& arguments = {}) {
  return PerformFileOperation(file, op, arguments);
}

}  // namespace

ErrorCode ViewPlan::AdvancePrimary(bool forward) {
  RowFile& p = files_[0];
  const ErrorCode code = Do(*p.file.file, forward != p.backwards ? Op::NEXT : Op::PREVIOUS);
  p.active = !Failed(code);
  return code;
}

bool ViewPlan::AdvanceJoin(RowFile& join, bool forward) {
  if (!join.active || join.null) return false;
  const std::ptrdiff_t next = join.at + (forward ? 1 : -1);
  if (next < 0 || next >= static_cast<std::ptrdiff_t>(join.matches.size())) return false;
  join.at = next;
  Load(join);
  return true;
}

void ViewPlan::Load(RowFile& join) {
  const auto& record = join.matches[static_cast<std::size_t>(join.at)].record;
  std::copy(record.begin(), record.end(), join.file.file->Record().Bytes().begin());
}

// The join's first match in the direction (after a reset, the one it names);
// `has` is false when an inner join has none, and the row cannot be made.
ErrorCode ViewPlan::StartJoin(RowFile& join, std::size_t index, bool forward, bool& has) {
  if (const ErrorCode code = Gather(join); Failed(code)) return code;
  join.active = true;
  join.null = false;
  if (join.matches.empty()) {
    has = !join.join->inner;
    join.null = true;
    join.at = -1;
    join.file.file->Record().Clear();
    return ErrorCode::Ok;
  }
  has = true;
  join.at = forward ? 0 : static_cast<std::ptrdiff_t>(join.matches.size()) - 1;
  const std::size_t part = index - 1;
  if (part < resetParts_.size() && !resetParts_[part].empty())
    for (std::size_t m = 0; m < join.matches.size(); ++m)
      if (join.matches[m].position == resetParts_[part]) join.at = static_cast<std::ptrdiff_t>(m);
  Load(join);
  return ErrorCode::Ok;
}

void ViewPlan::Keep(RowFile& join) {
  const auto bytes = join.file.file->Record().Bytes();
  join.matches.push_back({FilePosition(*join.file.file, join.key), {bytes.begin(), bytes.end()}});
}

// The records of the join's FILE that match its enclosing FILE's row.
ErrorCode ViewPlan::Gather(RowFile& join) {
  join.matches.clear();
  File& file = *join.file.file;
  auto ended = [](ErrorCode code) { return code == ErrorCode::RecordNotAvailable; };
  if (join.key == 0) {
    if (const ErrorCode code = Do(file, Op::SETfile); Failed(code)) return code;
    for (;;) {
      const ErrorCode code = Do(file, Op::NEXT);
      if (ended(code)) return ErrorCode::Ok;
      if (Failed(code)) return code;
      if (join.link->Truth()) Keep(join);
    }
  }
  // The linking values go into the key's leading components; the rest are
  // cleared. The key is then read both ways from there while the link holds,
  // so trailing components of any direction are found.
  const RowFile& enclosing = files_[static_cast<std::size_t>(join.parent)];
  const RecordBuffer& from = enclosing.file.file->Record();
  RecordBuffer probe = file.Record();
  probe.Clear();
  const KeyDeclaration& key = file.Declaration().keys[join.key - 1];
  for (std::size_t i = 0; i < join.join->linkFields.size() && i < key.count; ++i) {
    std::string_view name = join.join->linkFields[i];
    if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
    const auto source = FindField(from.Layout(), name);
    const auto target = FindField(probe.Layout(), key.components[i].field);
    if (!source || !target) continue;
    const FieldDeclaration& s = from.Layout()[*source];
    const FieldDeclaration& t = probe.Layout()[*target];
    (void)AssignText(t, probe.Bytes().data() + t.offset, ValueText(s, from.Bytes().data() + s.offset));
  }
  OperationArguments args;
  args.key = join.key;
  auto place = [&] {
    std::copy(probe.Bytes().begin(), probe.Bytes().end(), file.Record().Bytes().begin());
    return Do(file, Op::SETkeykey, args);
  };
  if (const ErrorCode code = place(); Failed(code)) return code;
  for (;;) {
    const ErrorCode code = Do(file, Op::PREVIOUS);
    if (ended(code)) break;
    if (Failed(code)) return code;
    if (!join.link->Truth()) break;
    Keep(join);
  }
  std::reverse(join.matches.begin(), join.matches.end());
  if (const ErrorCode code = place(); Failed(code)) return code;
  const std::size_t before = join.matches.size();
  for (;;) {
    const ErrorCode code = Do(file, Op::NEXT);
    if (ended(code)) break;
    if (Failed(code)) return code;
    if (!join.link->Truth()) break;
    Keep(join);
    // Backwards from the linking value may already have met the records at it.
    for (std::size_t m = 0; m < before; ++m)
      if (join.matches[m].position == join.matches.back().position) {
        join.matches.pop_back();
        break;
      }
  }
  return ErrorCode::Ok;
}

}  // namespace zelvo

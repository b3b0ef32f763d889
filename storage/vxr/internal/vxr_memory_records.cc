#include "storage/vxr/internal/vxr_memory_records.h"

#include <iterator>

namespace zelvo {

VxrLookup VxrMemoryRecords::Answer(const Map& records, Map::const_iterator it) {
  if (it == records.end()) return {{ErrorCode::RecordNotFound}, {}};
  return {{}, {it->first, it->second}};
}

VxrStatus VxrMemoryRecords::Insert(std::string_view key, std::string_view data) {
  if (key.size() + data.size() > kVxrMaxRecord) return VxrStatus::Corrupt(1);
  const auto [it, inserted] = records_.try_emplace(std::string(key), data);
  if (!inserted) return {ErrorCode::CreatesDuplicateKey};
  return {};
}

VxrStatus VxrMemoryRecords::Update(std::string_view key, std::string_view data) {
  const auto it = records_.find(key);
  if (it == records_.end()) return {ErrorCode::RecordNotFound};
  if (key.size() + data.size() > kVxrMaxRecord) return VxrStatus::Corrupt(1);
  it->second.assign(data);
  return {};
}

VxrStatus VxrMemoryRecords::Erase(std::string_view key) {
  const auto it = records_.find(key);
  if (it == records_.end()) return {ErrorCode::RecordNotFound};
  records_.erase(it);
  return {};
}

VxrLookup VxrMemoryRecords::Find(std::string_view key) {
  return Answer(records_, records_.find(key));
}
VxrLookup VxrMemoryRecords::LowerBound(std::string_view key) {
  return Answer(records_, records_.lower_bound(key));
}
VxrLookup VxrMemoryRecords::Next(std::string_view key) {
  return Answer(records_, records_.upper_bound(key));
}
VxrLookup VxrMemoryRecords::Previous(std::string_view key) {
  auto it = records_.lower_bound(key);
  if (it == records_.begin()) return Answer(records_, records_.end());
  return Answer(records_, std::prev(it));
}
VxrLookup VxrMemoryRecords::First() { return Answer(records_, records_.begin()); }
VxrLookup VxrMemoryRecords::Last() {
  if (records_.empty()) return Answer(records_, records_.end());
  return Answer(records_, std::prev(records_.end()));
}

}  // namespace zelvo

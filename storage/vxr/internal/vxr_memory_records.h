// VxrMemoryRecords: an ordered set of VXR records held in memory only, with
// the order and the results of the file's own (storage/vxr/internal/vxr_ordered_records.h).
// It holds the entries of a dynamic key, which live outside the file, and
// serves tests of the code that works on the ordered set (key maintenance,
// record kinds) without pages and files.
//
// Not thread-safe.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "storage/vxr/internal/vxr_ordered_records.h"

namespace zelvo {

class VxrMemoryRecords final : public VxrOrderedRecords {
 public:
  VxrStatus Insert(std::string_view key, std::string_view data) override;
  VxrStatus Update(std::string_view key, std::string_view data) override;
  VxrStatus Erase(std::string_view key) override;
  VxrLookup Find(std::string_view key) override;
  VxrLookup LowerBound(std::string_view key) override;
  VxrLookup Next(std::string_view key) override;
  VxrLookup Previous(std::string_view key) override;
  VxrLookup First() override;
  VxrLookup Last() override;

  std::size_t Size() const { return records_.size(); }

 private:
  struct Order {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
      return CompareVxrKeys(a, b) < 0;
    }
  };
  using Map = std::map<std::string, std::string, Order>;
  static VxrLookup Answer(const Map& records, Map::const_iterator it);

  Map records_;
};

}  // namespace zelvo

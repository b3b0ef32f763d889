#include "core/record_source.h"

namespace zelvo {

bool RecordsInMemory::Add(const RecordBuffer& record) {
  if (record.Layout().data() != table_->fields.data()) return false;
  records_.push_back(record);
  return true;
}

bool RecordsInMemory::ForEach(const std::function<void(const RecordBuffer&)>& visit) const {
  for (const RecordBuffer& record : records_) visit(record);
  return true;
}

}  // namespace zelvo

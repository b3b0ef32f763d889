// LinkedFieldPairs: the linking fields of a relation — pairs of a field of
// this table (left) and the matching field of the related table (right), each
// with a remembered copy of the left value (buffer) — and the operations over
// all pairs at once: assign one side to another, clear the right side, and
// compare (true only when every pair is equal, byte for byte). A browse's
// range fields, paired with their limit values, are kept the same way.
//
// Fields are addressed in their record buffers, which outlive the list.
// Not thread-safe: used only by the run token's holder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "storage/field_declaration.h"
#include "storage/record_buffer.h"

namespace zelvo {

class LinkedFieldPairs {
 public:
  struct Side {
    RecordBuffer* record;
    const FieldDeclaration* field;
  };

  void AddPair(Side left, Side right);
  bool Empty() const { return pairs_.empty(); }
  std::size_t Size() const { return pairs_.size(); }
  // Pair `i` (0-based). REQUIRES: i < Size().
  Side Left(std::size_t i) const { return pairs_[i].left; }
  Side Right(std::size_t i) const { return pairs_[i].right; }

  // Copies a value from one field to another: the bytes when both fields are
  // declared alike, otherwise through the value's text, as an assignment would.
  static void CopyValue(Side from, Side to);

  void AssignLeftToRight();
  void AssignRightToLeft();
  void AssignLeftToBuffer();
  void AssignBufferToLeft();
  void AssignBufferToRight();
  void ClearRight();
  bool EqualLeftRight() const;
  bool EqualLeftBuffer() const;
  bool EqualRightBuffer() const;

 private:
  struct Pair {
    Side left;
    Side right;
    std::vector<std::uint8_t> buffer;
  };
  std::vector<Pair> pairs_;
};

}  // namespace zelvo

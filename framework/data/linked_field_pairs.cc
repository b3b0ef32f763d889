#include "framework/data/linked_field_pairs.h"

#include <algorithm>
#include <cstring>

#include "storage/field_codec.h"

namespace zelvo {
namespace {

std::uint8_t* At(LinkedFieldPairs::Side side) { return side.record->Bytes().data() + side.field->offset; }

// Copies a value between two fields of the same declaration; a differing
// declaration goes through the value's text, as an assignment would.
void Copy(LinkedFieldPairs::Side from, LinkedFieldPairs::Side to) {
  if (from.field->type == to.field->type && from.field->Bytes() == to.field->Bytes() &&
      from.field->places == to.field->places) {
    std::memmove(At(to), At(from), to.field->Bytes());
    return;
  }
  (void)AssignText(*to.field, At(to), ValueText(*from.field, At(from)));
}

bool Same(LinkedFieldPairs::Side a, LinkedFieldPairs::Side b) {
  if (a.field->Bytes() == b.field->Bytes()) return std::memcmp(At(a), At(b), a.field->Bytes()) == 0;
  return ValueText(*a.field, At(a)) == ValueText(*b.field, At(b));
}

}  // namespace

void LinkedFieldPairs::CopyValue(Side from, Side to) { Copy(from, to); }

void LinkedFieldPairs::AddPair(Side left, Side right) {
  pairs_.push_back({left, right, std::vector<std::uint8_t>(At(left), At(left) + left.field->Bytes())});
}

void LinkedFieldPairs::AssignLeftToRight() {
  for (Pair& p : pairs_) Copy(p.left, p.right);
}
void LinkedFieldPairs::AssignRightToLeft() {
  for (Pair& p : pairs_) Copy(p.right, p.left);
}
void LinkedFieldPairs::AssignLeftToBuffer() {
  for (Pair& p : pairs_) std::copy(At(p.left), At(p.left) + p.left.field->Bytes(), p.buffer.begin());
}
void LinkedFieldPairs::AssignBufferToLeft() {
  for (Pair& p : pairs_) std::copy(p.buffer.begin(), p.buffer.end(), At(p.left));
}
void LinkedFieldPairs::AssignBufferToRight() {
  for (Pair& p : pairs_) {
    if (p.left.field->Bytes() == p.right.field->Bytes() && p.left.field->type == p.right.field->type) {
      std::copy(p.buffer.begin(), p.buffer.end(), At(p.right));
    } else {
      (void)AssignText(*p.right.field, At(p.right), ValueText(*p.left.field, p.buffer.data()));
    }
  }
}
void LinkedFieldPairs::ClearRight() {
  for (Pair& p : pairs_)
    for (std::uint16_t i = 0; i < p.right.field->elements; ++i)
      ClearElement(*p.right.field, At(p.right) + i * p.right.field->ElementBytes());
}
bool LinkedFieldPairs::EqualLeftRight() const {
  return std::all_of(pairs_.begin(), pairs_.end(), [](const Pair& p) { return Same(p.left, p.right); });
}
bool LinkedFieldPairs::EqualLeftBuffer() const {
  return std::all_of(pairs_.begin(), pairs_.end(), [](const Pair& p) {
    return std::memcmp(At(p.left), p.buffer.data(), p.buffer.size()) == 0;
  });
}
bool LinkedFieldPairs::EqualRightBuffer() const {
  return std::all_of(pairs_.begin(), pairs_.end(), [](const Pair& p) {
    if (p.right.field->Bytes() == p.buffer.size()) return std::memcmp(At(p.right), p.buffer.data(), p.buffer.size()) == 0;
    return ValueText(*p.right.field, At(p.right)) == ValueText(*p.left.field, p.buffer.data());
  });
}

}  // namespace zelvo

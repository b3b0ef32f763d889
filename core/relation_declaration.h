// RelationDeclaration: a relation from one table to another as the relation
// sets are built from it — the linking field pairs, the related table's key
// whose leading components are the linking fields, and what an update or a
// delete of the parent does to the related records. A relation without links
// points towards a parent (opened and closed with the table, no actions).
//
// Example: NBASA -> NZELVO, NBA:NUM = NPL:NUM and NBA:DATA = NPL:DATA, key
// NPL:NUM_KEY, update None, delete Cascade: deleting a pay record deletes its
// pay lines.
//
// Immutable data; safe to read from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>

#include "core/table_declaration.h"
#include "framework/data/relation_mode.h"

namespace zelvo {

struct LinkPair {
  std::string_view left;   // field of the table the relation starts from
  std::string_view right;  // matching field of the related table
};

struct RelationDeclaration {
  static constexpr std::size_t kMaxLinks = 4;

  // A relation with linking fields and actions.
  consteval RelationDeclaration(const TableDeclaration& fromTable, const TableDeclaration& toTable,
                                std::initializer_list<LinkPair> pairs, std::string_view hisKey,
                                RelationMode onUpdate, RelationMode onDelete)
      : from(&fromTable), to(&toTable), relatedKey(hisKey), update(onUpdate), remove(onDelete) {
    if (pairs.size() == 0 || pairs.size() > kMaxLinks) throw "relation needs 1..4 links";
    for (const LinkPair& pair : pairs) links[linkCount++] = pair;
  }
  // A relation towards a parent: no links, no key, no actions.
  consteval RelationDeclaration(const TableDeclaration& fromTable, const TableDeclaration& toTable)
      : from(&fromTable), to(&toTable) {}

  const TableDeclaration* from;
  const TableDeclaration* to;
  std::array<LinkPair, kMaxLinks> links{};
  std::size_t linkCount = 0;
  std::string_view relatedKey;  // key name within `to`; empty towards a parent
  RelationMode update = RelationMode::None;
  RelationMode remove = RelationMode::None;

  constexpr std::span<const LinkPair> Links() const { return {links.data(), linkCount}; }
  constexpr bool TowardsParent() const { return linkCount == 0; }
  // Index of the related key in to->keys; nullopt towards a parent or when unknown.
  constexpr std::optional<std::size_t> RelatedKey() const {
    for (std::size_t i = 0; i < to->keys.size(); ++i)
      if (SameName(to->keys[i].name, relatedKey)) return i;
    return std::nullopt;
  }
};

// Every link names a field on each side, and the related key exists and
// starts with the right-hand fields in link order. A relation towards a
// parent names no key.
constexpr bool LinksResolve(const RelationDeclaration& r) {
  if (r.TowardsParent()) return r.relatedKey.empty();
  const std::optional<std::size_t> key = r.RelatedKey();
  if (!key) return false;
  const KeyDeclaration& hisKey = r.to->keys[*key];
  if (hisKey.count < r.linkCount) return false;
  for (std::size_t i = 0; i < r.linkCount; ++i) {
    if (!r.from->Field(r.links[i].left) || !r.to->Field(r.links[i].right)) return false;
    if (!SameName(hisKey.components[i].field, r.links[i].right)) return false;
  }
  return true;
}

}  // namespace zelvo

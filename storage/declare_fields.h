// ZELVO_DECLARE_FIELDS: turns one field list into a layout and its handles,
// so that a table's fields are written exactly once.
//
// A field list is a macro that applies its argument to every field in order,
// with the field's name and its kind (storage/field_declaration.h, namespace decl):
//
//     #define ZELVO_DNI_FIELDS(FIELD)  FIELD(DATA, Date())  FIELD(D, Decimal(3, 0))
//     ZELVO_DECLARE_FIELDS(Dni, DNI, ZELVO_DNI_FIELDS)
//
// declares, in the current namespace:
//     kDniFields   constexpr std::array<FieldDeclaration, 2>, offsets laid out
//     DniFields    a struct with one handle member per field, `DATA`, `D`,
//                  and DniFields::Index::DATA == 0, ...::D == 1, ...::kCount
//     DNI          the constexpr DniFields instance: DNI.D.Get(record)
// Names, order and types of the handles come from the same list as the layout,
// so the two cannot drift apart.
#pragma once

#include <array>
#include <cstddef>

#include "storage/field_declaration.h"
#include "storage/field_handle.h"

#define ZELVO_FIELD_KIND(kind) (::zelvo::decl::kind)
#define ZELVO_FIELD_DECLARATION(name, kind) ZELVO_FIELD_KIND(kind).Named(#name),
#define ZELVO_FIELD_INDEX(name, kind) name,
#define ZELVO_FIELD_MEMBER(name, kind)                                                       \
  ::zelvo::HandleFor<ZELVO_FIELD_KIND(kind).type, ZELVO_FIELD_KIND(kind).elements> name{ \
      kLayout, Index::name};

#define ZELVO_DECLARE_FIELDS(Label, PREFIX, LIST)                                 \
  inline constexpr auto k##Label##Fields =                                        \
      ::zelvo::LayOut(std::array{LIST(ZELVO_FIELD_DECLARATION)});                 \
  struct Label##Fields {                                                          \
    struct Index {                                                                \
      enum : std::size_t { LIST(ZELVO_FIELD_INDEX) kCount };                      \
    };                                                                            \
    static constexpr std::span<const ::zelvo::FieldDeclaration> kLayout{          \
        k##Label##Fields};                                                        \
    LIST(ZELVO_FIELD_MEMBER)                                                      \
  };                                                                              \
  static_assert(Label##Fields::Index::kCount == k##Label##Fields.size());         \
  inline constexpr Label##Fields PREFIX {}

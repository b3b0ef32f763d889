// The address classifier, five levels (regions, districts, towns, settlements,
// streets), supplied with the program and only read. NAME is the object's
// name, TIP its type word, the KOD... fields its code within each level,
// INDEX the postal index. All keys are single-field keys.
#pragma once

#include "storage/declare_fields.h"
#include "core/table_declaration.h"

namespace zelvo {

#define ZELVO_K1O_FIELDS(FIELD) \
  FIELD(NAME, String(40))       \
  FIELD(TIP, String(10))        \
  FIELD(KODREG, String(2))      \
  FIELD(MOD, String(2))         \
  FIELD(INDEX, String(6))       \
  FIELD(GNINMB, String(4))
ZELVO_DECLARE_FIELDS(K1o, K1O, ZELVO_K1O_FIELDS);

inline constexpr KeyDeclaration kK1oKeys[] = {
    {"NAME_KEY", "K1o:name_key", kKeyDupOptNoCase, {{"NAME"}}},
};

inline constexpr TableDeclaration kK1oTable{
    .label = "K1O", .prefix = "K1O", .fileName = "K1O", .driver = Driver::Vxr,
    .messageName = "K1o", .fields = kK1oFields, .keys = kK1oKeys};

#define ZELVO_K2RN_FIELDS(FIELD) \
  FIELD(NAME, String(40))        \
  FIELD(TIP, String(10))         \
  FIELD(KODREG, String(2))       \
  FIELD(KODRAI, String(3))       \
  FIELD(MOD, String(2))          \
  FIELD(INDEX, String(6))        \
  FIELD(GNINMB, String(4))
ZELVO_DECLARE_FIELDS(K2rn, K2RN, ZELVO_K2RN_FIELDS);

inline constexpr KeyDeclaration kK2rnKeys[] = {
    {"NAME_KEY", "K2rn:name_key", kKeyDupOptNoCase, {{"NAME"}}},
    {"REG_KEY", "K2rn:reg_key", kKeyDupOptNoCase, {{"KODREG"}}},
    {"RAI_KEY", "K2rn:rai_key", kKeyDupOptNoCase, {{"KODRAI"}}},
};

// The file is "K2R", three characters.
inline constexpr TableDeclaration kK2rnTable{
    .label = "K2RN", .prefix = "K2RN", .fileName = "K2R", .driver = Driver::Vxr,
    .messageName = "K2r", .fields = kK2rnFields, .keys = kK2rnKeys};

#define ZELVO_K3G_FIELDS(FIELD) \
  FIELD(NAME, String(40))       \
  FIELD(TIP, String(10))        \
  FIELD(KODREG, String(2))      \
  FIELD(KODRAI, String(3))      \
  FIELD(KODTOW, String(3))      \
  FIELD(MOD, String(2))         \
  FIELD(STATUS, String(1))      \
  FIELD(INDEX, String(6))       \
  FIELD(GNINMB, String(4))
ZELVO_DECLARE_FIELDS(K3g, K3G, ZELVO_K3G_FIELDS);

inline constexpr KeyDeclaration kK3gKeys[] = {
    {"NAME_KEY", "K3g:name_key", kKeyDupOptNoCase, {{"NAME"}}},
    {"REG_KEY", "K3g:reg_key", kKeyDupOptNoCase, {{"KODREG"}}},
    {"RAI_KEY", "K3g:rai_key", kKeyDupOptNoCase, {{"KODRAI"}}},
};

inline constexpr TableDeclaration kK3gTable{
    .label = "K3G", .prefix = "K3G", .fileName = "K3G", .driver = Driver::Vxr,
    .messageName = "K3g", .fields = kK3gFields, .keys = kK3gKeys};

#define ZELVO_K4NP_FIELDS(FIELD) \
  FIELD(NAME, String(40))        \
  FIELD(TIP, String(10))         \
  FIELD(KODREG, String(2))       \
  FIELD(KODRAI, String(3))       \
  FIELD(KODTOW, String(3))       \
  FIELD(KODNAS, String(3))       \
  FIELD(MOD, String(2))          \
  FIELD(STATUS, String(1))       \
  FIELD(INDEX, String(6))        \
  FIELD(GNINMB, String(4))
ZELVO_DECLARE_FIELDS(K4np, K4NP, ZELVO_K4NP_FIELDS);

inline constexpr KeyDeclaration kK4npKeys[] = {
    {"NAME_KEY", "K4np:name_key", kKeyDupOptNoCase, {{"NAME"}}},
    {"REG_KEY", "K4np:reg_key", kKeyDupOptNoCase, {{"KODREG"}}},
    {"RAI_KEY", "K4np:rai_key", kKeyDupOptNoCase, {{"KODRAI"}}},
};

inline constexpr TableDeclaration kK4npTable{
    .label = "K4NP", .prefix = "K4NP", .fileName = "K4NP", .driver = Driver::Vxr,
    .messageName = "K4np", .fields = kK4npFields, .keys = kK4npKeys};

#define ZELVO_K5UL_FIELDS(FIELD) \
  FIELD(NAME, String(40))        \
  FIELD(TIP, String(10))         \
  FIELD(KODREG, String(2))       \
  FIELD(KODRAI, String(3))       \
  FIELD(KODTOW, String(3))       \
  FIELD(KODNAS, String(3))       \
  FIELD(KODULI, String(4))       \
  FIELD(MOD, String(2))          \
  FIELD(INDEX, String(6))        \
  FIELD(GNINMB, String(4))
ZELVO_DECLARE_FIELDS(K5ul, K5UL, ZELVO_K5UL_FIELDS);

inline constexpr KeyDeclaration kK5ulKeys[] = {
    {"NAME_KEY", "K5ul:name_key", kKeyDupOptNoCase, {{"NAME"}}},
    {"REG_KEY", "K5ul:reg_key", kKeyDupOptNoCase, {{"KODREG"}}},
    {"RAI_KEY", "K5ul:rai_key", kKeyDupOptNoCase, {{"KODRAI"}}},
    {"TOW_KEY", "K5ul:tow_key", kKeyDupOptNoCase, {{"KODTOW"}}},
    {"NAS_KEY", "K5ul:nas_key", kKeyDupOptNoCase, {{"KODNAS"}}},
};

inline constexpr TableDeclaration kK5ulTable{
    .label = "K5UL", .prefix = "K5UL", .fileName = "K5UL", .driver = Driver::Vxr,
    .messageName = "K5ul", .fields = kK5ulFields, .keys = kK5ulKeys};

}  // namespace zelvo

// The reference tables: KONST (tax constants), DNI (working days per month),
// OBEKT (work objects) and UCHASTOK (sections of the enterprise).
#pragma once

#include "storage/declare_fields.h"
#include "core/table_declaration.h"

namespace zelvo {

// KON:NOM is the constant's code, 0..9; KON:NM its name.
#define ZELVO_KONST_FIELDS(FIELD) \
  FIELD(NOM, Byte())              \
  FIELD(NM, String(30))           \
  FIELD(VAL, Decimal(9, 2))
ZELVO_DECLARE_FIELDS(Konst, KON, ZELVO_KONST_FIELDS);

// Orders the constants by their name, not by their code.
inline constexpr KeyDeclaration kKonstKeys[] = {
    {"NOM_KEY", "KON:nom_key", kKeyDupOptNoCase, {{"NM"}}},
};

inline constexpr FieldRule kKonstRules[] = {
    {"NOM", "KON:nom", "]1[]2[]3[]4[]5[]6[]7[]8[]9[]0[",
     "'Вычет на 1 раб.','Вычет на 1 ижд.','Сумма накоплений действия льгот',"
     "'Необлаг. мат.пом.','Необлаг. сумма подарка','Льгота Афганистан',"
     "'Льгота Чернобыль','Имущественный вычет','Льгота инвалида','Льгота переселенца'"},
};

inline constexpr TableDeclaration kKonstTable{
    .label = "KONST", .prefix = "KON", .fileName = "KONST", .driver = Driver::Vxr,
    .messageName = "konst", .fields = kKonstFields, .keys = kKonstKeys, .rules = kKonstRules};

#define ZELVO_DNI_FIELDS(FIELD) \
  FIELD(DATA, Date())           \
  FIELD(D, Decimal(3, 0))
ZELVO_DECLARE_FIELDS(Dni, DNI, ZELVO_DNI_FIELDS);

inline constexpr KeyDeclaration kDniKeys[] = {
    {"DATA_KEY", "DNI:data_key", kKeyDupOptNoCase, {{"DATA"}}},
};

inline constexpr TableDeclaration kDniTable{
    .label = "DNI", .prefix = "DNI", .fileName = "DNI", .driver = Driver::Vxr,
    .messageName = "dni", .fields = kDniFields, .keys = kDniKeys};

#define ZELVO_OBEKT_FIELDS(FIELD) FIELD(OBEKT, String(20))
ZELVO_DECLARE_FIELDS(Obekt, OBE, ZELVO_OBEKT_FIELDS);

inline constexpr KeyDeclaration kObektKeys[] = {
    {"OBE_KEY", "OBE:obe_key", kKeyDupOptNoCase, {{"OBEKT"}}},
};

inline constexpr TableDeclaration kObektTable{
    .label = "OBEKT", .prefix = "OBE", .fileName = "OBEKT", .driver = Driver::Vxr,
    .messageName = "obekt", .fields = kObektFields, .keys = kObektKeys};

#define ZELVO_UCHASTOK_FIELDS(FIELD) FIELD(UCHASTOK, String(20))
ZELVO_DECLARE_FIELDS(Uchastok, UCH, ZELVO_UCHASTOK_FIELDS);

inline constexpr KeyDeclaration kUchastokKeys[] = {
    {"UCH_KEY", "UCH:uch_key", kKeyDupOptNoCase, {{"UCHASTOK"}}},
};

inline constexpr TableDeclaration kUchastokTable{
    .label = "UCHASTOK", .prefix = "UCH", .fileName = "UCHASTOK", .driver = Driver::Vxr,
    .messageName = "uchastok", .fields = kUchastokFields, .keys = kUchastokKeys};

}  // namespace zelvo

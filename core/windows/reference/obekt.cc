#include "core/windows/reference/obekt.h"

#include "core/dictionary.h"
#include "core/windows/reference/reference_form.h"
#include "core/windows/table_browse.h"

namespace zelvo {
namespace {

constexpr std::string_view kCaption = "Перечень объектов";

constexpr BrowseColumn kColumns[] = {{"Наименование", "@s20", OBE.OBEKT}};

constexpr TableBrowseDescription kObekt{.procedure = "Obekt", .caption = kCaption, .table = &kObektTable,
                                        .key = 1, .columns = kColumns, .picks = true, .form = ObektUp};

constexpr ReferenceEntry kEntries[] = {{"Наименование:", OBE.OBEKT, "@s20"}};

}  // namespace

void Obekt() { (void)TableBrowse(kObekt).RunWindow(); }

void ObektUp() {
  (void)ReferenceForm("ObektUp", kObektTable, kCaption, kEntries).RunWindow();
}

}  // namespace zelvo

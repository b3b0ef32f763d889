#include "core/windows/reference/uchastok.h"

#include "core/dictionary.h"
#include "core/windows/reference/reference_form.h"
#include "core/windows/table_browse.h"

namespace zelvo {
namespace {

constexpr std::string_view kCaption = "Перечень участков";

constexpr BrowseColumn kColumns[] = {{"Участок", "@s20", UCH.UCHASTOK}};

constexpr TableBrowseDescription kUchastok{.procedure = "Uchastok", .caption = kCaption,
                                           .table = &kUchastokTable, .key = 1, .columns = kColumns,
                                           .picks = true, .form = UchastokUp};

constexpr ReferenceEntry kEntries[] = {{"Наименование:", UCH.UCHASTOK, "@s20"}};

}  // namespace

void Uchastok() {
  (void)TableBrowse(kUchastok).RunWindow();
}

void UchastokUp() {
  (void)ReferenceForm("UchastokUp", kUchastokTable, kCaption, kEntries).RunWindow();
}

}  // namespace zelvo

#include "core/windows/reference/dni_r.h"

#include "core/dictionary.h"
#include "core/windows/reference/reference_form.h"
#include "core/windows/table_browse.h"

namespace zelvo {
namespace {

constexpr std::string_view kCaption = "Количество рабочих дней";

constexpr BrowseColumn kColumns[] = {{"Дата", "@d6.", DNI.DATA}, {"Кол-во раб. дней", "@n2", DNI.D}};

constexpr TableBrowseDescription kDniR{.procedure = "DniR", .caption = kCaption, .table = &kDniTable, .key = 1,
                                       .columns = kColumns, .form = DniRUp};

constexpr ReferenceEntry kEntries[] = {{"Дата:", DNI.DATA, "@d6."}, {"Колич-во рабочих дней:", DNI.D, "@n2"}};

}  // namespace

void DniR() { (void)TableBrowse(kDniR).RunWindow(); }

void DniRUp() {
  (void)ReferenceForm("DniRUp", kDniTable, kCaption, kEntries).RunWindow();
}

}  // namespace zelvo

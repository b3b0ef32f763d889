#include "core/windows/reference/konst.h"

#include <array>
#include <string>
#include <vector>

#include "core/dictionary.h"
#include "core/dictionary_setup.h"
#include "core/windows/reference/reference_form.h"
#include "core/windows/table_browse.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {

struct Constant {
  int code;
  std::string_view choice;  // as the form offers it
  std::string_view name;    // as the form stores it
};

// In the order the form offers them: 1 to 9, then 0.
constexpr std::array<Constant, 10> kConstants{{
    {1, "Вычет на 1 раб.", "Сумма льгот на 1 работающего"},
    {2, "Вычет на 1 ижд.", "Сумма льгот на 1 иждивенца"},
    {3, "Сумма накоплений действия льгот", "Сумма накопл. действия льгот"},
    {4, "Необлаг. мат.пом.", "Необлагаемая сумма мат.помощи"},
    {5, "Необлаг. сумма подарка", "Необлагаемая сумма подарка"},
    {6, "Льгота Афганистан", "Сумма льгот \"Афганистан\""},
    {7, "Льгота Чернобыль", "Сумма льгот \"Чернобыль\""},
    {8, "Имущественный вычет", "Сумма имущественного вычета"},
    {9, "Льгота инвалида", "Сумма льгот инвалида"},
    {0, "Льгота переселенца", "Сумма льгот переселенца"},
}};

constexpr std::string_view kCaption = "Значения констант";

constexpr BrowseColumn kColumns[] = {
    {"Код", "@n2", KON.NOM}, {"Константа", "@s30", KON.NM}, {"Значение", "@n_10.2b", KON.VAL}};

constexpr TableBrowseDescription kKonst{.procedure = "Konst", .caption = kCaption, .table = &kKonstTable,
                                        .key = 1, .columns = kColumns, .form = KonstUp};

constexpr ReferenceEntry kEntries[] = {{"Значение:", KON.VAL, "@n_10.2b"}};

class KonstUpForm final : public ReferenceForm {
 public:
  KonstUpForm()
      : ReferenceForm("KonstUp", kKonstTable, kCaption, kEntries) {}

 protected:
  void DefineFields(WindowDefinition& w) override {
    std::vector<WindowDefinition::Choice> choices;
    for (const Constant& c : kConstants) choices.push_back({std::string(c.choice), std::to_string(c.code)});
    AddDitto(Radio(w, "Константы", KON.NOM, choices), KON.NOM);
    ReferenceForm::DefineFields(w);
  }

  // The chosen code's name goes with the record the framework writes next.
  Level OnCompleted() override {
    RecordBuffer& record = Record();
    (void)KON.NM.Set(record, Cp1251Literal(KonstName(static_cast<int>(KON.NOM.Get(record)))));
    return ReferenceForm::OnCompleted();
  }
};

}  // namespace

std::string_view KonstName(int code) {
  for (const Constant& c : kConstants)
    if (c.code == code) return c.name;
  return {};
}

void Konst() { (void)TableBrowse(kKonst).RunWindow(); }

void KonstUp() { (void)KonstUpForm().RunWindow(); }

}  // namespace zelvo

#include "core/windows/requisites/osnova.h"

#include "core/dictionary.h"
#include "core/windows/table_browse.h"
#include "core/windows/table_form.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {

constexpr BrowseColumn kColumns[] = {{"ИМНС", "@s4", OSN.IMNS}, {"Год сведений", "@s4", OSN.GOD},
                                     {"ИНН", "@s10", OSN.INN},   {"КПП", "@s9", OSN.KPP},
                                     {"ОКАТО", "@s11", OSN.OKATO}, {"Наименование", "@s255", OSN.NAME, 40}};

constexpr TableBrowseDescription kOsnova{.procedure = "Osnova", .caption = "Сведения об организации",
                                         .table = &kOsnovaTable, .columns = kColumns, .rows = 5,
                                         .form = OsnovaUp};

class OsnovaUpForm final : public TableForm {
 public:
  OsnovaUpForm()
      : TableForm("OsnovaUp", kOsnovaTable, "Update the osnova File") {
    okText = " Ввод";
  }

 protected:
  void DefineFields(WindowDefinition& w) override {
    Entry(w, "ИМНС:", OSN.IMNS, "@s4");
    Entry(w, "Год сведений:", OSN.GOD, "@s4");
    Entry(w, "ИНН:", OSN.INN, "@s10");
    Entry(w, "КПП:", OSN.KPP, "@s9");
    Entry(w, "ОКАТО:", OSN.OKATO, "@s11");
    Entry(w, "Наименование :", OSN.NAME, "@s255");
    Person(w, " Ответственное лицо", {{"Фамилия:", OSN.FAMO}, {" Имя:", OSN.NOMO}, {" Отчество:", OSN.PERO}});
    Person(w, " Главный бухгалтер", {{"Фамилия:", OSN.FAMB}, {" Имя:", OSN.NOMB}, {"Отчество:", OSN.PERB}});
    Entry(w, " Телефон:", OSN.TEL, "@s20");
    Entry(w, "Версия 2НДФЛ:", OSN.VER, "@s50");
  }

 private:
  struct NamePart {
    std::string_view prompt;
    FieldHandle field;
  };
  // A person's surname, name and patronymic in a group of their own.
  void Person(WindowDefinition& w, std::string_view caption, std::initializer_list<NamePart> parts) {
    w.BeginGroup(Cp1251Literal(caption));
    for (const NamePart& part : parts) Entry(w, part.prompt, part.field, "@s50");
    w.End();
  }
};

}  // namespace

void Osnova() { (void)TableBrowse(kOsnova).RunWindow(); }

void OsnovaUp() { (void)OsnovaUpForm().RunWindow(); }

}  // namespace zelvo

// Pictures of the reference windows as Qt draws them, for whoever checks
// their look (alignment, clipped texts, Cyrillic) and for the README: the
// reference program's windows opened from its menu with a few records typed
// in, each browse with its form beside it, the frame grabbed into
// DIR/NAME.png. Offscreen unless a display is there.
//
//     qt_reference_screens DIR      (exit status 0 when every picture was saved)
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QMainWindow>

#include "platform/qt/gui_thread.h"
#include "platform/qt/qt_session.h"
#include "storage/built_in/built_in_drivers.h"
#include "tests/testing/reference_program.h"

namespace {

using zelvo::ControlId;
using zelvo::UserDriver;

class Screens {
 public:
  Screens(UserDriver& user, QString folder) : user_(user), folder_(std::move(folder)) {}

  void Menu(const std::vector<std::string>& path) { Check(user_.ChooseMenu(path)); }
  // The newest window of `procedure`, 0 for none.
  int Window(const std::string& procedure) {
    Idle();
    int handle = 0;
    for (const zelvo::WindowView& w : user_.Windows())
      if (w.procedure == procedure) handle = w.handle;
    return handle;
  }
  ControlId Control(int window, const std::string& name) {
    for (const zelvo::WindowView& w : user_.Windows())
      if (w.handle == window)
        for (const zelvo::ControlView& c : w.controls)
          if (c.name == name || c.text == name) return c.id;
    Check("no control " + name);
    return 0;
  }
  void Type(int window, const std::string& name, const std::string& text) {
    Check(user_.Type(window, Control(window, name), text));
  }
  void Press(int window, const std::string& name) { Check(user_.Press(window, Control(window, name))); }
  void Choose(int window, const std::string& radio, int option) {
    Check(user_.Choose(window, Control(window, radio), option));
  }
  void Place(int window, int x, int y, int width, int height) { Check(user_.Place(window, x, y, width, height)); }
  void Grab(const QString& name) {
    Idle();
    bool saved = false;
    zelvo::OnGui([&] {
      for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* frame = qobject_cast<QMainWindow*>(top); frame != nullptr && frame->isVisible())
          saved = frame->grab().save(folder_ + "/" + name + ".png");
    });
    if (!saved) Check("could not save " + name.toStdString());
  }
  void Idle() {
    std::string busy;
    if (!user_.WaitIdle(10, &busy)) Check("still running: " + busy);
  }
  void Check(const std::string& why) {
    if (!why.empty() && failure.empty()) failure = why;
  }

  std::string failure;

 private:
  UserDriver& user_;
  QString folder_;
};

void TakePictures(Screens& s) {
  s.Menu({"Базовые данные", "Константы"});
  int konst = s.Window("Konst");
  const struct {
    int option;
    const char* value;
  } constants[] = {{1, "400"}, {2, "600"}, {4, "4000"}, {3, "40000"}};
  for (const auto& c : constants) {
    s.Press(konst, "&Добавить");
    const int form = s.Window("KonstUp");
    s.Choose(form, "KON:NOM", c.option);
    s.Type(form, "KON:VAL", c.value);
    s.Press(form, "Ввод");
  }
  s.Place(konst, 0, 0, 470, 330);
  s.Press(konst, "&Изменить");
  s.Place(s.Window("KonstUp"), 480, 0, 300, 420);
  s.Grab("konst");
  s.Press(s.Window("KonstUp"), "Отмена");

  s.Menu({"Базовые данные", "Рабочие дни"});
  const int dni = s.Window("DniR");
  s.Press(dni, "&Добавить");
  s.Type(s.Window("DniRUp"), "DNI:DATA", "1.03.2004");
  s.Type(s.Window("DniRUp"), "DNI:D", "22");
  s.Press(s.Window("DniRUp"), "Ввод");
  s.Place(dni, 0, 0, 300, 300);
  s.Press(dni, "&Добавить");
  s.Place(s.Window("DniRUp"), 310, 0, 330, 160);
  s.Grab("dni");
  s.Press(s.Window("DniRUp"), "Отмена");

  s.Menu({"Базовые данные", "Объекты"});
  const int obekt = s.Window("Obekt");
  for (const char* name : {"Цех", "Склад", "Гараж"}) {
    s.Press(obekt, "&Добавить");
    s.Type(s.Window("ObektUp"), "OBE:OBEKT", name);
    s.Press(s.Window("ObektUp"), "Ввод");
  }
  s.Press(obekt, "Закрыть");
  s.Menu({"Базовые данные", "Участки"});
  const int uchastok = s.Window("Uchastok");
  s.Press(uchastok, "&Добавить");
  s.Place(uchastok, 0, 0, 300, 300);
  s.Place(s.Window("UchastokUp"), 310, 0, 300, 140);
  s.Grab("uchastok");
  s.Press(s.Window("UchastokUp"), "Отмена");
  s.Press(uchastok, "Закрыть");
  s.Menu({"Проба", "Выбор"});
  const int pick = s.Window("Pick");
  s.Place(pick, 0, 0, 300, 200);
  s.Press(pick, "&Объект");
  s.Place(s.Window("Obekt"), 310, 0, 330, 330);
  s.Grab("obekt_pick");
  s.Press(s.Window("Obekt"), "&Выбрать");
  s.Press(pick, "Закрыть");

  s.Menu({"Базовые данные", "Реквизиты предприятия"});
  const int osnova = s.Window("Osnova");
  s.Press(osnova, "&Добавить");
  const int form = s.Window("OsnovaUp");
  s.Type(form, "OSN:IMNS", "7701");
  s.Type(form, "OSN:NAME", "ООО \"Зелво\"");
  s.Type(form, "OSN:FAMO", "Иванов");
  s.Press(form, " Ввод");
  s.Place(osnova, 0, 0, 640, 260);
  s.Press(osnova, "&Изменить");
  s.Place(s.Window("OsnovaUp"), 0, 270, 640, 560);
  s.Grab("osnova");
  s.Press(s.Window("OsnovaUp"), "Отмена");
  s.Menu({"Файл", "Выход"});
  s.Idle();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: qt_reference_screens DIR\n");
    return 2;
  }
  zelvo::QtApplication application(argc, argv, zelvo::QtApplication::OffscreenWithoutDisplay);
  zelvo::RegisterBuiltInDrivers();
  const std::filesystem::path folder = std::filesystem::absolute(argv[1]);
  const std::filesystem::path data = folder / "data";
  std::filesystem::remove_all(data);
  std::filesystem::create_directories(data);
  std::filesystem::current_path(data);
  zelvo::ReferenceProgram program;
  std::string failure;
  const int status = zelvo::RunQtSession([&] { program.Main(); }, [&](UserDriver& user) {
    Screens screens(user, QString::fromStdString(folder.string()));
    TakePictures(screens);
    failure = screens.failure;
  });
  if (!failure.empty() || status != 0) {
    std::fprintf(stderr, "qt_reference_screens: %s (exit status %d)\n", failure.c_str(), status);
    return 1;
  }
  return 0;
}

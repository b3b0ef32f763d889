// Pictures of the reference windows as Qt draws them, for whoever checks
// their look (alignment, clipped texts, Cyrillic) and for the README: the
// reference program's windows opened from its menu with a few records typed
// in, each browse with its form beside it, the frame grabbed into
// DIR/NAME.png. Offscreen unless a display is there.
//
//     qt_reference_screens DIR      (exit status 0 when every picture was saved)
#include <cstdio>
#include <filesystem>
#include <optional>
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

  void Menu(const std::vector<std::string>& path) {
    Idle();
    Check(user_.ChooseMenu(path));
  }
  // The newest window of `procedure`, 0 for none.
  int Window(const std::string& procedure) {
    Idle();
    int handle = 0;
    for (const zelvo::WindowView& w : user_.Windows())
      if (w.procedure == procedure) handle = w.handle;
    return handle;
  }
  ControlId Control(int window, const std::string& name) {
    Idle();
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
  // Moves the window, keeping the size it opened with.
  void Move(int window, int x, int y) {
    Idle();
    for (const zelvo::WindowView& w : user_.Windows())
      if (w.handle == window) return Check(user_.Place(window, x, y, w.width, w.height));
    Check("no window to move");
  }
  // Moves `second` beside `first` (to its right), or below it.
  void Beside(int first, int second, bool below = false) {
    Idle();
    for (const zelvo::WindowView& w : user_.Windows())
      if (w.handle == first) return below ? Move(second, w.x, w.y + w.height + 8) : Move(second, w.x + w.width + 8, w.y);
    Check("no window to move beside");
  }
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
    if (why.empty()) return;
    failure += (failure.empty() ? "" : "; ") + why;
    if (const std::optional<zelvo::MessageView> message = user_.Message()) failure += " [" + message->text + "]";
  }
  // The frame as large as a small screen, so the windows lie side by side.
  void SizeFrame(int width, int height) {
    Idle();
    zelvo::OnGui([&] {
      for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* frame = qobject_cast<QMainWindow*>(top); frame != nullptr && frame->isVisible())
          frame->resize(width, height);
    });
  }

  std::string failure;

 private:
  UserDriver& user_;
  QString folder_;
};

void TakePictures(Screens& s) {
  s.SizeFrame(900, 440);
  s.Menu({"Базовые данные", "Константы"});
  const int konst = s.Window("Konst");
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
  s.Move(konst, 0, 0);
  s.Press(konst, "&Изменить");
  s.Beside(konst, s.Window("KonstUp"));
  s.Grab("konst");
  s.Press(s.Window("KonstUp"), "Отмена");
  s.Press(konst, "Закрыть");
  s.SizeFrame(1000, 720);

  s.Menu({"Базовые данные", "Рабочие дни"});
  const int dni = s.Window("DniR");
  s.Press(dni, "&Добавить");
  s.Type(s.Window("DniRUp"), "DNI:DATA", "1.03.2004");
  s.Type(s.Window("DniRUp"), "DNI:D", "22");
  s.Press(s.Window("DniRUp"), "Ввод");
  s.Move(dni, 0, 0);
  s.Press(dni, "&Добавить");
  s.Beside(dni, s.Window("DniRUp"));
  s.Grab("dni");
  s.Press(s.Window("DniRUp"), "Отмена");
  s.Press(dni, "Закрыть");

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
  s.Move(uchastok, 0, 0);
  s.Press(uchastok, "&Добавить");
  s.Beside(uchastok, s.Window("UchastokUp"));
  s.Grab("uchastok");
  s.Press(s.Window("UchastokUp"), "Отмена");
  s.Press(uchastok, "Закрыть");
  s.Menu({"Проба", "Выбор"});
  const int pick = s.Window("Pick");
  s.Move(pick, 0, 0);
  s.Press(pick, "Выбрать &объект");
  s.Beside(pick, s.Window("Obekt"));
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
  s.Move(osnova, 0, 0);
  s.Press(osnova, "&Изменить");
  s.Beside(osnova, s.Window("OsnovaUp"), true);
  s.Grab("osnova");
  s.Press(s.Window("OsnovaUp"), "Отмена");
  s.Press(osnova, "Закрыть");
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

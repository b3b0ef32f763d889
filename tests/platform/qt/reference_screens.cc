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
#include <utility>
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

using Typed = std::vector<std::pair<std::string, std::string>>;

// A record added through the browse's form: the values typed, then OK.
void Add(Screens& s, int browse, const std::string& form, const Typed& typed, const std::string& ok = "Ввод") {
  s.Press(browse, "&Добавить");
  for (const auto& [field, text] : typed) s.Type(s.Window(form), field, text);
  s.Press(s.Window(form), ok);
}

// The browse at the frame's corner, the window its button opens beside it
// (or below), the picture, and that window cancelled.
void Picture(Screens& s, int browse, const std::string& button, const std::string& opened, const QString& name,
             bool below = false) {
  s.Move(browse, 0, 0);
  s.Press(browse, button);
  s.Beside(browse, s.Window(opened), below);
  s.Grab(name);
  s.Press(s.Window(opened), opened == "Obekt" ? "&Выбрать" : "Отмена");
}

void TakePictures(Screens& s) {
  s.SizeFrame(900, 440);
  s.Menu({"Базовые данные", "Константы"});
  const int konst = s.Window("Konst");
  for (const auto& [option, value] : std::vector<std::pair<int, std::string>>{{1, "400"}, {2, "600"}, {4, "4000"},
                                                                              {3, "40000"}}) {
    s.Press(konst, "&Добавить");
    s.Choose(s.Window("KonstUp"), "KON:NOM", option);
    s.Type(s.Window("KonstUp"), "KON:VAL", value);
    s.Press(s.Window("KonstUp"), "Ввод");
  }
  Picture(s, konst, "&Изменить", "KonstUp", "konst");
  s.Press(konst, "Закрыть");
  s.SizeFrame(1000, 720);

  s.Menu({"Базовые данные", "Рабочие дни"});
  const int dni = s.Window("DniR");
  Add(s, dni, "DniRUp", {{"DNI:DATA", "1.03.2004"}, {"DNI:D", "22"}});
  Picture(s, dni, "&Добавить", "DniRUp", "dni");
  s.Press(dni, "Закрыть");

  s.Menu({"Базовые данные", "Объекты"});
  const int obekt = s.Window("Obekt");
  for (const char* name : {"Цех", "Склад", "Гараж"}) Add(s, obekt, "ObektUp", {{"OBE:OBEKT", name}});
  s.Press(obekt, "Закрыть");
  s.Menu({"Базовые данные", "Участки"});
  const int uchastok = s.Window("Uchastok");
  Picture(s, uchastok, "&Добавить", "UchastokUp", "uchastok");
  s.Press(uchastok, "Закрыть");
  s.Menu({"Проба", "Выбор"});
  const int pick = s.Window("Pick");
  Picture(s, pick, "Выбрать &объект", "Obekt", "obekt_pick");
  s.Press(pick, "Закрыть");

  s.Menu({"Базовые данные", "Реквизиты предприятия"});
  const int osnova = s.Window("Osnova");
  Add(s, osnova, "OsnovaUp", {{"OSN:IMNS", "7701"}, {"OSN:NAME", "ООО \"Зелво\""}, {"OSN:FAMO", "Иванов"}},
      " Ввод");
  Picture(s, osnova, "&Изменить", "OsnovaUp", "osnova", true);
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

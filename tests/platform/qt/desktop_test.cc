// The presenter's calls from a procedure thread reaching the widgets on the
// GUI thread: the frame with its menu and status bar, a document window
// inside it, a message box, and the close box asking instead of closing.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTimer>

#include "platform/qt/desktop.h"
#include "platform/qt/document_window.h"
#include "platform/qt/frame_window.h"
#include "platform/qt/message_dialog.h"
#include "platform/qt/qt_presenter.h"
#include "tests/platform/qt/qt_test_support.h"

namespace zelvo::testing {
namespace {

std::unique_ptr<WindowDefinition> Frame() {
  auto frame = std::make_unique<WindowDefinition>("Main", Cp("РАСЧЕТ ЗАРПЛАТЫ"), WindowKind::Frame);
  WindowDefinition& f = *frame;
  f.BeginMenu(Cp("&Файл"));
  f.MenuItem(Cp("&Установка принтера"), "Setup Printer", StandardAction::PrinterSetup);
  f.MenuItem(Cp("&Выход"), "Exit this application", StandardAction::Exit);
  f.End();
  f.BeginMenu(Cp("&Базовые данные"));
  f.MenuItem(Cp("&Константы"));
  const ControlId employees = f.MenuItem(Cp("&Сотрудники"));
  f[employees].disabled = true;
  f.End();
  f.BeginMenu(Cp("&Окно"), "Create and Arrange windows");
  f.MenuItem(Cp("&Часть"), "Make all open windows visible", StandardAction::Tile);
  f.MenuItem(Cp("&Каскад"), "Stack all open windows", StandardAction::Cascade);
  f.End();
  return frame;
}

class DesktopTest : public ::testing::Test {
 protected:
  DesktopTest()
      : desktop_([this](int window, UserInput input) { inputs_.emplace_back(window, std::move(input)); }),
        presenter_(desktop_) {}

  // Runs `program` on a thread of its own, as a procedure thread calls the
  // presenter, while this (the GUI) thread runs its event loop.
  void OnProcedureThread(const std::function<void()>& program) {
    std::atomic<bool> done = false;
    std::thread procedure([&] {
      program();
      done = true;
    });
    while (!done) QApplication::processEvents(QEventLoop::AllEvents, 10);
    procedure.join();
    QApplication::processEvents();
  }

  Desktop desktop_;
  QtPresenter presenter_;
  std::vector<std::pair<int, UserInput>> inputs_;
};

TEST_F(DesktopTest, FrameMenuDocumentAndMessageFromAProcedureThread) {
  const std::unique_ptr<WindowDefinition> frame = Frame();
  SampleIds ids{};
  const std::unique_ptr<WindowDefinition> form = SampleForm(&ids);
  WindowState frameState = StateOf(*frame, 1);
  WindowState formState = StateOf(*form, 2);
  Control(formState, ids.surname).text = Cp("Сидоров");
  formState.focus = ids.surname;
  OnProcedureThread([&] {
    presenter_.Opened(frameState);
    presenter_.SetStatusText(Cp("Готово"));
    presenter_.Opened(formState);
    Control(formState, ids.surname).text = Cp("Кузнецов");
    presenter_.Changed(formState);
  });

  FrameWindow* shown = desktop_.Frame();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->windowTitle(), QString::fromUtf8("РАСЧЕТ ЗАРПЛАТЫ"));
  EXPECT_FALSE(shown->windowIcon().isNull());
  const QList<QAction*> menus = shown->menuBar()->actions();
  ASSERT_EQ(menus.size(), 3);
  EXPECT_EQ(menus[1]->text(), QString::fromUtf8("&Базовые данные"));
  const QList<QAction*> items = menus[1]->menu()->actions();
  EXPECT_TRUE(items[0]->isEnabled());
  EXPECT_FALSE(items[1]->isEnabled());
  EXPECT_EQ(menus[0]->menu()->actions()[1]->statusTip(), "Exit this application");
  EXPECT_EQ(shown->StatusText(), QString::fromUtf8("Готово"));
  // A highlighted item's status text stands over the program's text while it is highlighted.
  QStatusTipEvent tip(QString("Stack all open windows"));
  QApplication::sendEvent(shown, &tip);
  EXPECT_EQ(shown->StatusText(), "Stack all open windows");
  QStatusTipEvent gone{QString()};
  QApplication::sendEvent(shown, &gone);
  EXPECT_EQ(shown->StatusText(), QString::fromUtf8("Готово"));

  DocumentWindow* document = desktop_.Document(2);
  ASSERT_NE(document, nullptr);
  EXPECT_EQ(shown->Area().subWindowList().size(), 1);
  EXPECT_EQ(document->windowTitle(), QString::fromUtf8("Сотрудник"));
  EXPECT_EQ(document->Form().Read().at(static_cast<std::size_t>(ids.surname - 1)).shown, "Кузнецов");
  EXPECT_EQ(desktop_.Handles(), (std::vector<int>{1, 2}));
  shown->resize(900, 700);
  SaveGrab(*shown, "frame");

  // The close box asks; the window goes when the model closes it.
  inputs_.clear();
  document->close();
  ASSERT_EQ(inputs_.size(), 1u);
  EXPECT_EQ(inputs_[0].first, 2);
  EXPECT_EQ(inputs_[0].second.kind, UserInput::Kind::CloseBox);
  EXPECT_TRUE(document->isVisible());
  // Ctrl+F4 is the frame's key for the same close box, wherever the focus is in the window.
  ShowActive(*shown);
  document->Form().TakeFocus();
  inputs_.clear();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier);
  ASSERT_EQ(inputs_.size(), 1u);
  EXPECT_EQ(inputs_[0].second.kind, UserInput::Kind::CloseBox);

  MessageBoxRequest request;
  request.text = Cp("Удалить запись?");
  request.buttons = kButtonYes | kButtonNo;
  OnProcedureThread([&] { presenter_.ShowMessage(2, request); });
  ASSERT_NE(desktop_.Message(), nullptr);
  inputs_.clear();
  EXPECT_TRUE(desktop_.Message()->Press(kButtonYes));
  ASSERT_EQ(inputs_.size(), 1u);
  EXPECT_EQ(inputs_[0].second.kind, UserInput::Kind::MessageAnswer);
  EXPECT_EQ(inputs_[0].second.value, static_cast<int>(kButtonYes));

  OnProcedureThread([&] {
    presenter_.Closed(2);
    presenter_.Closed(1);
  });
  EXPECT_EQ(desktop_.Document(2), nullptr);
  EXPECT_EQ(desktop_.Frame(), nullptr);
  EXPECT_TRUE(desktop_.Handles().empty());
}

// The frame's standard actions: the display arranges the windows and reports
// where each went (the model keeps no geometry of its own for them); the
// printer set-up is Qt's print dialog, run modally; the wait cursor is the
// application's override cursor.
TEST_F(DesktopTest, StandardActionsWaitCursorAndPrinterSetUp) {
  const std::unique_ptr<WindowDefinition> frame = Frame();
  SampleIds ids{};
  const std::unique_ptr<WindowDefinition> form = SampleForm(&ids);
  WindowState one = StateOf(*form, 2), two = StateOf(*form, 3);
  two.x = two.y = 24;
  OnProcedureThread([&] {
    presenter_.Opened(StateOf(*frame, 1));
    presenter_.Opened(one);
    presenter_.Opened(two);
  });
  desktop_.Frame()->resize(1000, 800);
  QApplication::processEvents();
  const QRect before = desktop_.Document(3)->geometry();
  EXPECT_EQ(before.topLeft(), QPoint(24, 24));

  inputs_.clear();
  OnProcedureThread([&] { presenter_.Perform(StandardAction::Tile); });
  const QRect left = desktop_.Document(2)->geometry(), right = desktop_.Document(3)->geometry();
  EXPECT_FALSE(left.intersects(right));
  bool reported = false;
  for (const auto& [window, input] : inputs_)
    reported = reported || (window == 3 && input.kind == UserInput::Kind::Placed && input.x == right.x() &&
                            input.width == right.width() && input.visibleRows.size() == 1);
  EXPECT_TRUE(reported) << "a window the display moved reports where it went, with its list's rows";

  OnProcedureThread([&] { presenter_.SetWaitCursor(true); });
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  OnProcedureThread([&] { presenter_.SetWaitCursor(false); });
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // The printer set-up waits for its dialog: closed here as the user would.
  QString shown;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      shown = dialog->metaObject()->className();
      dialog->close();
    }
  });
  user.start(10);
  OnProcedureThread([&] { presenter_.Perform(StandardAction::PrinterSetup); });
  EXPECT_EQ(shown, "QPrintDialog");
}

}  // namespace
}  // namespace zelvo::testing

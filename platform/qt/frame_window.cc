#include "platform/qt/frame_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include "platform/qt/program_icon.h"
#include "platform/qt/qt_text.h"

namespace zelvo {

FrameWindow::FrameWindow(const WindowState& state, ReportInput report)
    : handle_(state.handle), procedure_(state.definition->Procedure()), report_(report), area_(new QMdiArea) {
  setWindowTitle(ToQString(state.caption));
  setWindowIcon(ProgramIcon());
  area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(area_);
  menus_ = std::make_unique<MenuBar>(*menuBar(), state.definition->Controls(), report);
  form_ = new FormView(*state.definition, report);
  if (!form_->Empty()) {
    QToolBar* tools = addToolBar(QString());
    tools->setMovable(false);
    tools->addWidget(form_);
  } else {
    form_->setParent(this);
    form_->hide();
  }
  status_ = new QLabel;
  statusBar()->addWidget(status_, 1);
  placement_ = new PlacementReporter(*this, [] { return std::vector<int>(); }, std::move(report));
}

FrameWindow::~FrameWindow() = default;

// The model's size at opening is a nominal one: the frame takes most of the screen.
void FrameWindow::Place(const WindowState&) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect available = screen->availableGeometry();
    resize(available.width() * 4 / 5, available.height() * 4 / 5);
    move(available.center() - rect().center());
  }
}

void FrameWindow::Apply(const WindowState& state) {
  const QString caption = ToQString(state.caption);
  if (windowTitle() != caption) setWindowTitle(caption);
  for (const ControlState& control : state.controls) menus_->Apply(control);
  form_->Apply(state, false);
  if (state.placementChanged) {
    const Qt::WindowStates wanted = state.state == 1   ? Qt::WindowMaximized
                                    : state.state == 2 ? Qt::WindowMinimized
                                                       : Qt::WindowNoState;
    if (windowState() != wanted) setWindowState(wanted);
    if (state.width > 0 && state.height > 0 && wanted == Qt::WindowNoState)
      setGeometry(state.x, state.y, state.width, state.height);
  }
}

void FrameWindow::SetStatusText(const QString& text) { status_->setText(text); }

QString FrameWindow::StatusText() const {
  const QString highlighted = statusBar()->currentMessage();
  return highlighted.isEmpty() ? status_->text() : highlighted;
}

void FrameWindow::Perform(StandardAction action) {
  switch (action) {
    case StandardAction::Tile: area_->tileSubWindows(); break;
    case StandardAction::Cascade: area_->cascadeSubWindows(); break;
    case StandardAction::ArrangeIcons: ArrangeIcons(); break;
    case StandardAction::PrinterSetup: {
      if (!printer_) printer_ = std::make_unique<QPrinter>();
      QPrintDialog dialog(printer_.get(), this);
      dialog.setWindowTitle(QString::fromUtf8("Установка принтера"));
      dialog.exec();
      break;
    }
    case StandardAction::Exit:
    case StandardAction::None: break;
  }
}

// Minimized windows in rows along the bottom of the area, left to right.
void FrameWindow::ArrangeIcons() {
  const QRect area = area_->viewport()->rect();
  int x = 0;
  int bottom = area.bottom() + 1;
  for (QMdiSubWindow* window : area_->subWindowList(QMdiArea::CreationOrder)) {
    if (!window->isMinimized()) continue;
    if (x > 0 && x + window->width() > area.width()) {
      x = 0;
      bottom -= window->height();
    }
    window->move(x, bottom - window->height());
    x += window->width();
  }
}

void FrameWindow::CloseForGood() {
  closing_ = true;
  close();
}

void FrameWindow::closeEvent(QCloseEvent* event) {
  if (closing_) {
    QMainWindow::closeEvent(event);
    return;
  }
  event->ignore();
  UserInput input;
  input.kind = UserInput::Kind::CloseBox;
  report_(std::move(input));
}

void FrameWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  placement_->Changed();
}

void FrameWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  placement_->Changed();
}

void FrameWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) placement_->Changed();
}

}  // namespace zelvo

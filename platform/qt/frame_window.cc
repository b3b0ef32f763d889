#include "platform/qt/frame_window.h"

#include <algorithm>

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
    : ProgramWindow(state, report), area_(new QMdiArea) {
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
  for (const ControlState& control : state.controls) menus_->Apply(control);
  form_->Apply(state, false);
  ApplyWindow(state);
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

}  // namespace zelvo

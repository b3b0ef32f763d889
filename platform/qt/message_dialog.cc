#include "platform/qt/message_dialog.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

#include "platform/qt/qt_text.h"

namespace zelvo {
namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

MessageDialog::MessageDialog(const MessageBoxRequest& request, ReportInput report, QWidget* parent)
    : QMessageBox(parent), report_(std::move(report)) {
  setWindowTitle(ToQString(request.caption));
  setText(ToQString(request.text).replace(u'|', u'\n'));
  setTextFormat(Qt::PlainText);
  setIcon(IconOf(request.icon));
  setWindowModality(Qt::WindowModal);
  const unsigned chosen = EffectiveDefault(request);
  unsigned buttons = request.buttons & 0xFFu;
  if (buttons == 0) buttons = kButtonOk;
  for (unsigned bit = kButtonOk; bit <= kButtonHelp; bit <<= 1) {
    if ((buttons & bit) == 0) continue;
    // The role only places the button: every button answers for itself.
    QPushButton* button = addButton(ToQString(ButtonLabel(bit)), QMessageBox::ActionRole);
    QObject::connect(button, &QPushButton::clicked, this, [this, bit] { Answer(bit); });
    buttons_.emplace_back(button, bit);
    if (bit == chosen) setDefaultButton(button);
  }
  if (buttons & kButtonCancel) escape_ = kButtonCancel;
  else if (buttons == kButtonOk) escape_ = kButtonOk;
}

bool MessageDialog::Press(unsigned button) {
  for (const auto& [widget, bit] : buttons_) {
    if (bit != button) continue;
    widget->click();
    return true;
  }
  return false;
}

void MessageDialog::Answer(unsigned button) {
  if (answered_) return;
  answered_ = true;
  UserInput input;
  input.kind = UserInput::Kind::MessageAnswer;
  input.value = static_cast<int>(button);
  report_(std::move(input));
  hide();
  deleteLater();
}

void MessageDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    if (escape_ != 0) Answer(escape_);
    return;
  }
  QMessageBox::keyPressEvent(event);
}

void MessageDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (escape_ != 0) Answer(escape_);
}

}  // namespace zelvo

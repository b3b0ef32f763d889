#include "platform/qt/entry_control.h"

#include <algorithm>
#include <cstdlib>

#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QStyleOptionSpinBox>

#include "platform/qt/key_translation.h"
#include "platform/qt/picture_metrics.h"
#include "platform/qt/qt_text.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {

bool KeepsLeadingBlanks(const std::optional<Picture>& picture) {
  return !picture || picture->kind() == PictureKind::String || picture->kind() == PictureKind::KeyIn;
}

QString Shown(const std::string& modelText, const std::optional<Picture>& picture) {
  const QString text = ToQString(modelText);
  if (!KeepsLeadingBlanks(picture)) return text.trimmed();
  qsizetype end = text.size();
  while (end > 0 && text[end - 1] == u' ') --end;
  return text.left(end);
}

// A line edit as wide as its picture.
class PictureLineEdit final : public QLineEdit {
 public:
  PictureLineEdit(int characters) : characters_(characters) {}

  QSize sizeHint() const override {
    ensurePolished();
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QMargins margins = textMargins();
    // The picture's characters and one more for the caret, as the line
    // edit's own hint adds its margins.
    const QSize contents(CharacterWidths(*this, characters_ + 1) + 4 + margins.left() + margins.right(),
                         QLineEdit::sizeHint().height());
    return {style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, this).width(), contents.height()};
  }
  QSize minimumSizeHint() const override { return sizeHint(); }

 private:
  int characters_;
};

}  // namespace

bool PendingEdits::IsEcho(const std::string& modelText) {
  const std::string before = std::exchange(seen_, modelText);
  if (pending_.empty()) return false;
  const auto typed = std::find(pending_.begin(), pending_.end(), modelText);
  if (typed != pending_.end()) {
    pending_.erase(pending_.begin(), typed + 1);
    return true;
  }
  return modelText == before;
}

LineText::LineText(QLineEdit& edit, const ControlDefinition& definition, ReportInput report)
    : edit_(edit), picture_(Picture::Parse(definition.picture)), id_(definition.id), report_(std::move(report)) {
  edit_.setValidator(new Cp1251Validator(&edit_));
  if (picture_) {
    edit_.setMaxLength(std::max(picture_->width(), 1));
    edit_.setAlignment(PictureAlignment(definition.picture));
  }
  edit_.setReadOnly(definition.readOnly);
  QObject::connect(&edit_, &QLineEdit::textEdited, &edit_, [this](const QString& text) { Typed(text); });
}

void LineText::Typed(const QString& text) {
  UserInput input;
  input.kind = UserInput::Kind::Edit;
  input.control = id_;
  input.text = ToCp1251(text);
  pending_.Typed(input.text);
  report_(std::move(input));
}

void LineText::Apply(const ControlState& state) {
  if (edit_.isReadOnly() != state.readOnly) edit_.setReadOnly(state.readOnly);
  if (pending_.IsEcho(state.text)) return;
  pending_.Settle();
  const QString shown = Shown(state.text, picture_);
  if (edit_.text() != shown) edit_.setText(shown);
}

bool LineText::KeepsKey(const QKeyEvent& event) const {
  if (TypesCharacter(event)) return true;
  const auto key = event.key();
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
  if (modifiers == Qt::NoModifier || modifiers == Qt::ControlModifier) {
    // Moving about and deleting; Ctrl moves by words.
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End ||
        key == Qt::Key_Backspace || key == Qt::Key_Delete)
      return true;
  }
  // The clipboard and undo.
  return event.matches(QKeySequence::Copy) || event.matches(QKeySequence::Cut) ||
         event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Undo) ||
         event.matches(QKeySequence::Redo) || event.matches(QKeySequence::SelectAll);
}

void LineText::Read(ControlView& view, const ControlState& state) const {
  view.shown = ToUtf8(edit_.text());
  view.value = Cp1251ToUtf8(state.value);  // what it holds, which a refused text does not show
}

EntryControl::EntryControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, report),
      edit_(new PictureLineEdit(std::max(PictureCharacters(definition.picture), 1))),
      text_(*edit_, definition, std::move(report)) {
  edit_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  Claim(edit_);
}

QWidget* EntryControl::Widget() const { return edit_; }

void EntryControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  text_.Apply(state);
}

void EntryControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  text_.Read(view, State());
}

// The spin box: its line is the entry, its arrows step the value.
class SpinControl::Box final : public QAbstractSpinBox {
 public:
  Box(SpinControl& owner, int characters) : owner_(owner), characters_(characters) {}

  QLineEdit* Line() const { return lineEdit(); }

  void stepBy(int steps) override { owner_.Step(steps); }
  StepEnabled stepEnabled() const override {
    return isReadOnly() ? StepNone : StepEnabled(StepUpEnabled | StepDownEnabled);
  }
  QValidator::State validate(QString& input, int& position) const override {
    return Cp1251Validator().validate(input, position);
  }
  QSize sizeHint() const override {
    ensurePolished();
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    const QSize contents(CharacterWidths(*this, characters_ + 1) + 2, lineEdit()->sizeHint().height());
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, contents, this);
  }
  QSize minimumSizeHint() const override { return sizeHint(); }

 private:
  SpinControl& owner_;
  int characters_;
};

SpinControl::SpinControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, report),
      box_(new Box(*this, std::max(PictureCharacters(definition.picture), 1))),
      text_(*box_->Line(), definition, std::move(report)) {
  box_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  box_->setAccelerated(false);
  Claim(box_);
}

QWidget* SpinControl::Widget() const { return box_; }

void SpinControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  if (box_->isReadOnly() != state.readOnly) box_->setReadOnly(state.readOnly);
  text_.Apply(state);
}

void SpinControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  text_.Read(view, State());
}

void SpinControl::Step(int steps) {
  UserInput input;
  input.kind = UserInput::Kind::Key;
  input.key = steps > 0 ? kUp : kDown;
  for (int i = 0; i < std::abs(steps); ++i) Report(input);
}

}  // namespace zelvo

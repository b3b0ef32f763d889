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

// Leading blanks are a text's own; a date's or a time's keep the separators
// where they stand, so an empty date shows its mask "  .  .".
bool KeepsLeadingBlanks(const std::optional<Picture>& picture) {
  if (!picture) return true;
  switch (picture->kind()) {
    case PictureKind::String:
    case PictureKind::KeyIn:
    case PictureKind::Date:
    case PictureKind::Time: return true;
    default: return false;
  }
}

QString Shown(const std::string& modelText, const std::optional<Picture>& picture) {
  const QString text = ToQString(modelText);
  if (!KeepsLeadingBlanks(picture)) return text.trimmed();
  qsizetype end = text.size();
  while (end > 0 && text[end - 1] == u' ') --end;
  return text.left(end);
}

// A line edit as wide as its picture, up to a width a form can show beside
// its prompts: a longer text ("@s255", a name) scrolls inside the line.
class PictureLineEdit final : public QLineEdit {
 public:
  static constexpr int kWidest = 60;  // characters
  PictureLineEdit(int characters) : characters_(std::min(characters, kWidest)) {}

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

// The spin box: its line is the entry, its arrows step the value.
class EntryControl::SpinBox final : public QAbstractSpinBox {
 public:
  SpinBox(EntryControl& owner, int characters) : owner_(owner), characters_(characters) {}

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
  EntryControl& owner_;
  int characters_;
};

EntryControl::EntryControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, std::move(report)), picture_(Picture::Parse(definition.picture)) {
  const int characters = std::max(picture_ ? picture_->width() : 0, 1);
  if (definition.kind == ControlKind::Spin) {
    auto* spin = new SpinBox(*this, characters);
    spin->setAccelerated(false);
    spin_ = spin;
    line_ = spin->Line();
  } else {
    line_ = new PictureLineEdit(characters);
  }
  Widget()->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  line_->setValidator(new Cp1251Validator(line_));
  if (picture_) {
    line_->setMaxLength(characters);
    line_->setAlignment(PictureAlignment(definition.picture));
  }
  line_->setReadOnly(definition.readOnly);
  QObject::connect(line_, &QLineEdit::textEdited, this, [this](const QString& text) { Typed(text); });
  Claim(Widget());
}

QWidget* EntryControl::Widget() const {
  if (spin_) return spin_;
  return line_;
}

void EntryControl::Typed(const QString& text) {
  UserInput input;
  input.kind = UserInput::Kind::Edit;
  input.text = ToCp1251(text);
  pending_.Typed(input.text);
  Report(std::move(input));
}

void EntryControl::Step(int steps) {
  UserInput input;
  input.kind = UserInput::Kind::Key;
  input.key = steps > 0 ? kUp : kDown;
  for (int i = 0; i < std::abs(steps); ++i) Report(input);
}

void EntryControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  if (line_->isReadOnly() != state.readOnly) {
    line_->setReadOnly(state.readOnly);
    if (spin_) spin_->setReadOnly(state.readOnly);
  }
  if (pending_.IsEcho(state.text)) return;
  pending_.Settle();
  const QString shown = Shown(state.text, picture_);
  if (line_->text() != shown) line_->setText(shown);
}

bool EntryControl::KeepsKey(const QKeyEvent& event) const {
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

void EntryControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  view.shown = ToUtf8(line_->text());
  view.value = Cp1251ToUtf8(State().value);  // what it holds, which a refused text does not show
}

}  // namespace zelvo

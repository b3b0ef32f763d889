#include "platform/qt/form_builder.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/qt/button_control.h"
#include "platform/qt/choice_controls.h"
#include "platform/qt/display_controls.h"
#include "platform/qt/entry_control.h"
#include "platform/qt/pages_control.h"
#include "platform/qt/list_control.h"
#include "platform/qt/sheet_control.h"

namespace zelvo {
namespace {

// The rows of one container as they are laid: a form layout while prompts,
// entries and check boxes follow each other, a button row while buttons do.
class Runs {
 public:
  explicit Runs(QVBoxLayout& column) : column_(column) {}

  QFormLayout& Form() {
    buttons_ = nullptr;
    if (!form_) {
      form_ = new QFormLayout;
      form_->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
      form_->setRowWrapPolicy(QFormLayout::DontWrapRows);
      form_->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      column_.addLayout(form_);
    }
    return *form_;
  }
  QHBoxLayout& Buttons() {
    form_ = nullptr;
    if (!buttons_) {
      buttons_ = new QHBoxLayout;
      buttons_->addStretch(1);
      column_.addLayout(buttons_);
    }
    return *buttons_;
  }
  QVBoxLayout& Column() {
    form_ = nullptr;
    buttons_ = nullptr;
    return column_;
  }

 private:
  QVBoxLayout& column_;
  QFormLayout* form_ = nullptr;
  QHBoxLayout* buttons_ = nullptr;
};

// A container takes the height its window gains when a list inside does.
void Grow(QWidget& container, bool grows) {
  container.setSizePolicy(QSizePolicy::Preferred, grows ? QSizePolicy::Expanding : QSizePolicy::Preferred);
}

bool TakesPrompt(ControlKind kind) {
  return kind == ControlKind::Entry || kind == ControlKind::Spin || kind == ControlKind::List ||
         kind == ControlKind::Radio;
}

}  // namespace

FormBuilder::FormBuilder(const std::vector<ControlDefinition>& definitions, ReportInput report, Controls& controls)
    : definitions_(definitions), report_(std::move(report)), controls_(controls) {}

std::unique_ptr<ControlWidget> FormBuilder::Make(const ControlDefinition& definition, ReportInput report) {
  switch (definition.kind) {
    case ControlKind::Prompt: return std::make_unique<PromptControl>(definition, std::move(report));
    case ControlKind::Spin:  // an entry with arrows
    case ControlKind::Entry: return std::make_unique<EntryControl>(definition, std::move(report));
    case ControlKind::Check: return std::make_unique<CheckControl>(definition, std::move(report));
    case ControlKind::Radio: return std::make_unique<RadioControl>(definition, std::move(report));
    case ControlKind::Button: return std::make_unique<ButtonControl>(definition, std::move(report));
    case ControlKind::List: return std::make_unique<ListControl>(definition, std::move(report));
    case ControlKind::Sheet: return std::make_unique<SheetControl>(definition, std::move(report));
    case ControlKind::Group: return std::make_unique<GroupControl>(definition, std::move(report));
    case ControlKind::Progress: return std::make_unique<ProgressControl>(definition, std::move(report));
    case ControlKind::Pages: return std::make_unique<PagesControl>(definition, std::move(report));
    // Options and tabs are made by their radio group and sheet; menus belong to the frame.
    case ControlKind::Option:
    case ControlKind::Tab:
    case ControlKind::Menu:
    case ControlKind::MenuItem: return nullptr;
  }
  return nullptr;
}

void FormBuilder::Build(QWidget& host) {
  bool grows = false;
  host.setLayout(LayOut(0, grows));
}

ControlWidget& FormBuilder::Add(std::unique_ptr<ControlWidget> control) {
  ControlWidget& added = *control;
  controls_[control->Id()] = std::move(control);
  return added;
}

ControlWidget& FormBuilder::Add(const ControlDefinition& definition) { return Add(Make(definition, report_)); }

std::vector<const ControlDefinition*> FormBuilder::Children(ControlId parent) const {
  std::vector<const ControlDefinition*> children;
  for (const ControlDefinition& control : definitions_)
    if (control.parent == parent) children.push_back(&control);
  return children;
}

QVBoxLayout* FormBuilder::LayOut(ControlId parent, bool& grows) {
  auto* column = new QVBoxLayout;
  Runs runs(*column);
  grows = false;
  const std::vector<const ControlDefinition*> children = Children(parent);
  for (std::size_t i = 0; i < children.size(); ++i) {
    const ControlDefinition& control = *children[i];
    const ControlDefinition* next = i + 1 < children.size() ? children[i + 1] : nullptr;
    switch (control.kind) {
      case ControlKind::Prompt: {
        auto& prompt = static_cast<PromptControl&>(Add(control));
        const bool names = next && TakesPrompt(next->kind) && next->prompt == control.text;
        if (names && (next->kind == ControlKind::Entry || next->kind == ControlKind::Spin)) {
          ControlWidget& field = Add(*next);
          prompt.SetBuddy(field.FocusTarget());
          runs.Form().addRow(prompt.Widget(), field.Widget());
          ++i;
        } else if (names) {
          runs.Column().addWidget(prompt.Widget());  // above its list or radio group
        } else {
          runs.Form().addRow(prompt.Widget());
        }
        break;
      }
      case ControlKind::Entry:
      case ControlKind::Spin:
      case ControlKind::Check:
        runs.Form().addRow(QString(), Add(control).Widget());
        break;
      case ControlKind::Button:
        runs.Buttons().addWidget(Add(control).Widget());
        break;
      case ControlKind::List:
        runs.Column().addWidget(Add(control).Widget());
        grows = true;
        break;
      case ControlKind::Radio: {
        auto& radio = static_cast<RadioControl&>(Add(control));
        std::vector<OptionControl*> options;
        for (const ControlDefinition* option : Children(control.id)) {
          if (option->kind != ControlKind::Option) continue;
          const int number = static_cast<int>(options.size()) + 1;
          options.push_back(&static_cast<OptionControl&>(Add(std::make_unique<OptionControl>(*option, report_, number))));
        }
        radio.SetOptions(std::move(options));
        runs.Form().addRow(radio.Caption(), radio.Widget());
        break;
      }
      case ControlKind::Group: {
        auto& group = static_cast<GroupControl&>(Add(control));
        bool listInside = false;
        group.Box()->setLayout(LayOut(control.id, listInside));
        Grow(*group.Widget(), listInside);
        runs.Column().addWidget(group.Widget());
        grows = grows || listInside;
        break;
      }
      case ControlKind::Sheet: {
        auto& sheet = static_cast<SheetControl&>(Add(control));
        bool listInside = false;
        for (const ControlDefinition* tab : Children(control.id)) {
          if (tab->kind != ControlKind::Tab) continue;
          auto& page = Add(std::make_unique<TabControl>(*tab, report_, sheet));
          bool pageGrows = false;
          page.Widget()->setLayout(LayOut(tab->id, pageGrows));
          listInside = listInside || pageGrows;
        }
        Grow(*sheet.Widget(), listInside);
        runs.Column().addWidget(sheet.Widget());
        grows = grows || listInside;
        break;
      }
      case ControlKind::Progress:
        runs.Column().addWidget(Add(control).Widget());
        break;
      case ControlKind::Pages:
        // Like a list, the pages take what the window gains.
        runs.Column().addWidget(Add(control).Widget());
        grows = true;
        break;
      case ControlKind::Option:
      case ControlKind::Tab:
      case ControlKind::Menu:
      case ControlKind::MenuItem:
        break;
    }
  }
  // No stretch factors: every control starts at the size it asks for, and
  // what the window gains goes to the lists (their size policy, and that of
  // the containers holding them), or, with none, below the controls.
  if (!grows) column->addStretch(1);
  return column;
}

}  // namespace zelvo

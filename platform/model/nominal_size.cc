#include "platform/model/nominal_size.h"

#include <algorithm>

#include "platform/mnemonic.h"
#include "runtime/picture.h"

namespace zelvo {
namespace {

constexpr int kMargin = 16;

int TextWidth(const std::string& text) {
  return static_cast<int>(WithoutMnemonics(text).size()) * kNominalCharacterWidth;
}

int PictureWidth(const std::string& picture) {
  std::optional<Picture> parsed = Picture::Parse(picture);
  return (parsed ? parsed->width() : 10) * kNominalCharacterWidth;
}

int ListWidth(const ControlDefinition& list) {
  int characters = 0;
  for (const ColumnDefinition& column : list.columns) {
    if (column.stacked) continue;  // shares the cell of the column before it
    int width = column.width;
    if (width == 0) {
      std::optional<Picture> parsed = Picture::Parse(column.picture);
      width = parsed ? parsed->width() : 10;
    }
    characters += std::max(width, static_cast<int>(column.header.size()));
  }
  return characters * kNominalCharacterWidth;
}

// Lays the children of `parent` out as the back ends do: one row per prompt
// and entry, consecutive buttons in one row, containers around their own.
NominalSize LayOut(const WindowDefinition& definition, ControlId parent) {
  NominalSize size;
  int buttonRow = 0;
  auto endButtonRow = [&] {
    if (buttonRow == 0) return;
    size.width = std::max(size.width, buttonRow);
    size.height += kNominalLineHeight;
    buttonRow = 0;
  };
  const std::vector<ControlDefinition>& controls = definition.Controls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlDefinition& control = controls[i];
    if (control.parent != parent) continue;
    if (control.kind != ControlKind::Button) endButtonRow();
    switch (control.kind) {
      case ControlKind::Button:
        buttonRow += TextWidth(control.text) + kMargin;
        break;
      case ControlKind::Prompt:
        // A prompt shares its row with the control it names.
        if (i + 1 < controls.size() && !controls[i + 1].prompt.empty()) break;
        size.width = std::max(size.width, TextWidth(control.text));
        size.height += kNominalLineHeight;
        break;
      case ControlKind::Entry:
      case ControlKind::Spin:
        size.width = std::max(size.width, TextWidth(control.prompt) + kMargin + PictureWidth(control.picture));
        size.height += kNominalLineHeight;
        break;
      case ControlKind::Check:
      case ControlKind::Progress:
        size.width = std::max(size.width, TextWidth(control.text) + kMargin);
        size.height += kNominalLineHeight;
        break;
      case ControlKind::Pages:  // as much as a list of twenty rows
        size.width = std::max(size.width, 60 * kNominalListRowHeight);
        size.height += 21 * kNominalListRowHeight;
        break;
      case ControlKind::List:
        size.width = std::max(size.width, ListWidth(control));
        size.height += (std::max(control.rows, 1) + 1) * kNominalListRowHeight;
        break;
      case ControlKind::Radio:
      case ControlKind::Group:
      case ControlKind::Tab: {
        NominalSize inner = LayOut(definition, control.id);
        size.width = std::max({size.width, inner.width + kMargin, TextWidth(control.text) + kMargin});
        size.height += inner.height + kNominalLineHeight;
        break;
      }
      case ControlKind::Option:
        size.width = std::max(size.width, TextWidth(control.text) + kMargin);
        size.height += kNominalLineHeight;
        break;
      case ControlKind::Sheet: {
        NominalSize pages;  // the tallest and widest page
        for (const ControlDefinition& tab : controls) {
          if (tab.parent != control.id || tab.kind != ControlKind::Tab) continue;
          NominalSize page = LayOut(definition, tab.id);
          pages.width = std::max(pages.width, page.width);
          pages.height = std::max(pages.height, page.height);
        }
        size.width = std::max(size.width, pages.width + kMargin);
        size.height += pages.height + kNominalLineHeight;
        break;
      }
      case ControlKind::Menu:
      case ControlKind::MenuItem:
        break;
    }
  }
  endButtonRow();
  return size;
}

}  // namespace

NominalSize NominalSizeOf(const WindowDefinition& definition) {
  if (definition.Kind() == WindowKind::Frame) return {kNominalFrameWidth, kNominalFrameHeight};
  NominalSize size = LayOut(definition, 0);
  size.width = std::max(size.width, TextWidth(definition.Caption()) + 4 * kMargin) + 2 * kMargin;
  size.height += kNominalLineHeight + 2 * kMargin;  // the caption bar and the margins
  return size;
}

int NominalVisibleRows(int definitionRows, int nominalHeight, int height) {
  const int change = height - nominalHeight;
  // Whole rows only, rounding towards the nominal size in both directions.
  const int rows = definitionRows + change / kNominalListRowHeight;
  return std::max(rows, 1);
}

}  // namespace zelvo

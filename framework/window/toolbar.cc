#include "framework/window/toolbar.h"

#include <algorithm>

namespace zelvo {
namespace {

struct ButtonText {
  ToolbarButton button;
  std::string_view text;
  std::string_view tooltip;
};

// In the order the row shows them.
constexpr ButtonText kButtons[] = {
    {ToolbarButton::Insert, "Insert", "Insert a new Record"},
    {ToolbarButton::FirstPage, "First", "Go to the First Page"},
    {ToolbarButton::PriorPage, "Page Up", "Go to the Prior Page"},
    {ToolbarButton::PriorRecord, "Prior", "Go to the Prior Record"},
    {ToolbarButton::NextRecord, "Next", "Go to the Next Record"},
    {ToolbarButton::NextPage, "Page Down", "Go to the Next Page"},
    {ToolbarButton::LastPage, "Last", "Go to the Last Page"},
    {ToolbarButton::Ditto, "Ditto", "Recall the value saved last"},
};

}  // namespace

std::string_view Toolbar::Tooltip(ToolbarButton button) {
  for (const ButtonText& b : kButtons)
    if (b.button == button) return b.tooltip;
  return {};
}

void Toolbar::Define(WindowDefinition& window) {
  for (const ButtonText& b : kButtons) {
    const ControlId control = window.Button(std::string(b.text));
    window[control].tip = std::string(b.tooltip);
    window[control].skip = true;  // Tab stays among the window's own controls
    buttons_.push_back({control, b.button});
  }
}

std::optional<ToolbarButton> Toolbar::ButtonOf(ControlId control) const {
  for (const Button& b : buttons_)
    if (b.control == control && control != 0) return b.button;
  return std::nullopt;
}

void Toolbar::AddTarget(ToolbarTarget& target, ControlId list) { targets_.push_back({&target, list}); }

void Toolbar::SetTarget(ControlId list) {
  const auto found = std::find_if(targets_.begin(), targets_.end(), [&](const Target& t) { return t.list == list; });
  if (found != targets_.end()) active_ = static_cast<std::size_t>(found - targets_.begin());
}

ToolbarTarget* Toolbar::ActiveTarget() const { return active_ < targets_.size() ? targets_[active_].target : nullptr; }

bool Toolbar::TakeEvent(const Event& event) {
  if (event.number != EventNumber::Accepted) return false;
  const std::optional<ToolbarButton> button = ButtonOf(event.control);
  if (!button || *button == ToolbarButton::Ditto) return false;
  if (ToolbarTarget* target = ActiveTarget()) target->TakeToolbarButton(*button);
  return true;
}

void Toolbar::Kill() {
  targets_.clear();
  active_ = 0;
}

}  // namespace zelvo

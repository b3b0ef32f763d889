#include "app/script/control_names.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "platform/mnemonic.h"

namespace zelvo {
namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

const char* KindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Prompt: return "prompt";
    case ControlKind::Entry: return "entry";
    case ControlKind::Check: return "check box";
    case ControlKind::Radio: return "radio group";
    case ControlKind::Option: return "option";
    case ControlKind::Spin: return "spin box";
    case ControlKind::Button: return "button";
    case ControlKind::List: return "list";
    case ControlKind::Sheet: return "sheet";
    case ControlKind::Tab: return "tab";
    case ControlKind::Group: return "group";
    case ControlKind::Progress: return "progress bar";
    case ControlKind::Pages: return "page display";
    case ControlKind::Menu: return "menu";
    case ControlKind::MenuItem: return "menu item";
  }
  return "control";
}

std::string Describe(const ControlView& control) {
  std::string text = KindName(control.kind);
  text += " " + control.name;
  if (!control.prompt.empty() && NormalControlName(control.prompt) != NormalControlName(control.name))
    text += " (" + NormalControlName(control.prompt) + ")";
  return text;
}

std::string Listed(const std::vector<const ControlView*>& controls) {
  std::string list;
  for (const ControlView* control : controls) list += (list.empty() ? "" : ", ") + Describe(*control);
  return list;
}

bool Named(const ControlView& control, const std::string& wanted) {
  for (const std::string* name : {&control.name, &control.text, &control.prompt})
    if (!name->empty() && NormalControlName(*name) == wanted) return true;
  return false;
}

// "list" is 1, "list2" is 2; 0 when the name is no list's.
int ListNumber(std::string_view name) {
  if (!name.starts_with("list")) return 0;
  name.remove_prefix(4);
  if (name.empty()) return 1;
  int n = 0;
  auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), n);
  return error == std::errc() && end == name.data() + name.size() && n >= 1 ? n : 0;
}

}  // namespace

std::string NormalControlName(std::string_view name) {
  std::string normal = WithoutMnemonics(Trim(name));
  std::string_view trimmed = Trim(normal);
  if (!trimmed.empty() && trimmed.back() == ':') trimmed = Trim(trimmed.substr(0, trimmed.size() - 1));
  return std::string(trimmed);
}

std::string ResolveControl(const WindowView& window, std::string_view name, ControlId* id) {
  const std::string where = " in \"" + window.caption + "\"";
  const std::string quoted = "\"" + std::string(name) + "\"";
  std::vector<const ControlView*> candidates;
  auto single = [&]() -> std::string {
    if (candidates.size() == 1) {
      *id = candidates.front()->id;
      return {};
    }
    if (candidates.empty()) return "no control " + quoted + where;
    return quoted + " names " + std::to_string(candidates.size()) + " controls" + where + ": " + Listed(candidates) +
           "; name one as NAME#N";
  };
  if (name == "@ok" || name == "@cancel") {
    const ButtonRole role = name == "@ok" ? ButtonRole::Ok : ButtonRole::Cancel;
    for (const ControlView& control : window.controls)
      if (control.kind == ControlKind::Button && control.role == role) candidates.push_back(&control);
    return single();
  }
  if (const int n = ListNumber(name); n > 0) {
    int seen = 0;
    for (const ControlView& control : window.controls)
      if (control.kind == ControlKind::List && ++seen == n) candidates.push_back(&control);
    return single();
  }
  std::string_view base = name;
  int nth = 0;
  if (const std::size_t hash = name.rfind('#'); hash != std::string_view::npos && hash + 1 < name.size()) {
    std::string_view digits = name.substr(hash + 1);
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), nth);
    if (error == std::errc() && end == digits.data() + digits.size() && nth >= 1)
      base = name.substr(0, hash);
    else
      nth = 0;
  }
  const std::string wanted = NormalControlName(base);
  for (const ControlView& control : window.controls)
    if (control.kind != ControlKind::Menu && control.kind != ControlKind::MenuItem && Named(control, wanted))
      candidates.push_back(&control);
  // A prompt and the control it names answer to the same text: that is the control.
  std::erase_if(candidates, [&](const ControlView* candidate) {
    return candidate->kind == ControlKind::Prompt &&
           std::any_of(candidates.begin(), candidates.end(), [&](const ControlView* other) {
             return other != candidate && !other->prompt.empty() && NormalControlName(other->prompt) == wanted;
           });
  });
  if (nth > 0) {
    if (nth > static_cast<int>(candidates.size()))
      return quoted + ": " + std::to_string(candidates.size()) + " controls are named \"" + std::string(base) +
             "\"" + where + (candidates.empty() ? "" : ": " + Listed(candidates));
    *id = candidates[static_cast<std::size_t>(nth) - 1]->id;
    return {};
  }
  return single();
}

std::string ResolveTab(const WindowView& window, std::string_view text, ControlId* sheet, int* tab) {
  const std::string wanted = NormalControlName(text);
  std::vector<const ControlView*> tabs;
  for (const ControlView& control : window.controls)
    if (control.kind == ControlKind::Tab && NormalControlName(control.text) == wanted) tabs.push_back(&control);
  if (tabs.size() != 1)
    return (tabs.empty() ? "no tab \"" : "several tabs \"") + std::string(text) + "\" in \"" + window.caption + "\"";
  *sheet = tabs.front()->parent;
  *tab = 0;
  for (const ControlView& control : window.controls) {
    if (control.kind != ControlKind::Tab || control.parent != *sheet) continue;
    ++*tab;
    if (&control == tabs.front()) break;
  }
  return {};
}

}  // namespace zelvo

// Arbitrary bytes as a scripted session. Reading never crashes: it gives the
// lines or an error that names a line of the text. Every line read splits
// again into the same words, and every control name it holds resolves (or is
// refused with the candidates named) against a small window.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/script/control_names.h"
#include "app/script/script.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

zelvo::WindowView Window() {
  zelvo::WindowView window;
  window.caption = "Form";
  auto add = [&](zelvo::ControlId id, zelvo::ControlKind kind, std::string name, std::string text,
                 std::string prompt) {
    zelvo::ControlView control;
    control.id = id;
    control.kind = kind;
    control.name = std::move(name);
    control.text = std::move(text);
    control.prompt = std::move(prompt);
    window.controls.push_back(control);
  };
  add(1, zelvo::ControlKind::Prompt, "&Дата:", "&Дата:", "");
  add(2, zelvo::ControlKind::Entry, "DNI:DATA", "", "&Дата:");
  add(3, zelvo::ControlKind::List, "?List", "", "");
  add(4, zelvo::ControlKind::Button, "Ok", "&Ok", "");
  add(5, zelvo::ControlKind::Button, "Ok", "Ok", "");
  return window;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const zelvo::WindowView window = Window();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  std::optional<zelvo::Script> script = zelvo::ParseScript(text, "f", &error);
  if (!script) {
    Check(error.starts_with("f:"));
    return 0;
  }
  for (const zelvo::ScriptLine& line : script->lines) {
    Check(line.number >= 1);
    for (const std::string& word : line.words) {
      zelvo::ControlId id = 0;
      const std::string why = zelvo::ResolveControl(window, word, &id);
      Check(!why.empty() || (id >= 1 && id <= 5));
    }
  }
  return 0;
}

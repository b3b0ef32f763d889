#include <charconv>

#include "app/script/script.h"
#include "platform/key_code.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {

enum class Argument { Text, Row, Count, Coordinate, Size, Number, Key, MenuState };

struct CommandSyntax {
  std::string_view name;
  ScriptCommand command;
  std::vector<Argument> required;
  int optional = 0;       // further Text words allowed
  bool repeats = false;   // the last required word may repeat
};

const std::vector<CommandSyntax>& Syntax() {
  using A = Argument;
  using C = ScriptCommand;
  static const std::vector<CommandSyntax> syntax{
      {"menu", C::Menu, {A::Text}},
      {"window", C::Window, {A::Text}},
      {"type", C::Type, {A::Text, A::Text}},
      {"press", C::Press, {A::Text}, 1},
      {"click", C::Click, {A::Text}},
      {"tab", C::Tab, {A::Text}},
      {"select", C::Select, {A::Text, A::Row}},
      {"key", C::Key, {A::Key}, 1},
      {"answer", C::Answer, {A::Text}},
      {"close", C::Close, {}},
      {"place", C::Place, {A::Coordinate, A::Coordinate, A::Size, A::Size}},
      {"maximize", C::Maximize, {}},
      {"minimize", C::Minimize, {}},
      {"restore", C::Restore, {}},
      {"expect-window", C::ExpectWindow, {A::Text}},
      {"expect-closed", C::ExpectClosed, {A::Text}},
      {"expect-windows", C::ExpectWindows, {A::Text, A::Count}},
      {"expect-message", C::ExpectMessage, {A::Text}, 1},
      {"expect-text", C::ExpectText, {A::Text, A::Text}},
      {"expect-value", C::ExpectValue, {A::Text, A::Number}},
      {"expect-checked", C::ExpectChecked, {A::Text}},
      {"expect-unchecked", C::ExpectUnchecked, {A::Text}},
      {"expect-row", C::ExpectRow, {A::Text, A::Row, A::Text}, 0, true},
      {"expect-rows", C::ExpectRows, {A::Text, A::Count}},
      {"expect-columns", C::ExpectColumns, {A::Text, A::Text}, 0, true},
      {"expect-enabled", C::ExpectEnabled, {A::Text}},
      {"expect-disabled", C::ExpectDisabled, {A::Text}},
      {"expect-hidden", C::ExpectHidden, {A::Text}},
      {"expect-visible", C::ExpectVisible, {A::Text}},
      {"expect-focus", C::ExpectFocus, {A::Text}},
      {"expect-menu", C::ExpectMenu, {A::Text, A::MenuState}},
      {"expect-status", C::ExpectStatus, {A::Text}},
      {"save-report", C::SaveReport, {A::Text}},
  };
  return syntax;
}

std::optional<long> WholeNumber(std::string_view text) {
  long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// Why `word` cannot be the argument, "" when it can.
std::string CheckArgument(Argument kind, const std::string& word) {
  switch (kind) {
    case Argument::Text:
      return {};
    case Argument::Row:
      if (std::optional<long> n = WholeNumber(word); n && *n >= 1 && *n <= 100000) return {};
      return "\"" + word + "\" is not a row number (1 is the top row shown)";
    case Argument::Count:
      if (std::optional<long> n = WholeNumber(word); n && *n >= 0 && *n <= 100000) return {};
      return "\"" + word + "\" is not a count";
    case Argument::Coordinate:
      if (std::optional<long> n = WholeNumber(word); n && *n >= -30000 && *n <= 30000) return {};
      return "\"" + word + "\" is not a coordinate in pixels";
    case Argument::Size:
      if (std::optional<long> n = WholeNumber(word); n && *n >= 1 && *n <= 30000) return {};
      return "\"" + word + "\" is not a size in pixels";
    case Argument::Number:
      return IsScriptNumber(word) ? std::string() : "\"" + word + "\" is not a number";
    case Argument::Key:
      return KeyFromName(word) ? std::string() : "\"" + word + "\" is not a key";
    case Argument::MenuState:
      return word == "enabled" || word == "disabled" ? std::string()
                                                     : "\"" + word + "\" is neither enabled nor disabled";
  }
  return {};
}

std::string Arity(const CommandSyntax& syntax) {
  const std::size_t n = syntax.required.size();
  std::string words = std::to_string(n) + (n == 1 ? " word" : " words");
  if (syntax.repeats) return "at least " + words;
  if (syntax.optional > 0) return words + " or " + std::to_string(n + static_cast<std::size_t>(syntax.optional));
  return n == 0 ? "no words" : words;
}

}  // namespace

bool IsScriptNumber(std::string_view text) {
  if (!text.empty() && text.front() == '-') text.remove_prefix(1);
  bool digits = false, point = false;
  for (char c : text) {
    if (c >= '0' && c <= '9') {
      digits = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digits;
}

std::optional<std::vector<std::string>> SplitScriptWords(std::string_view line, std::string* why) {
  std::vector<std::string> words;
  std::size_t i = 0;
  auto blank = [&](std::size_t at) { return line[at] == ' ' || line[at] == '\t'; };
  while (i < line.size()) {
    if (blank(i)) {
      ++i;
      continue;
    }
    std::string word;
    if (line[i] == '"') {
      bool closed = false;
      for (++i; i < line.size(); ++i) {
        if (line[i] != '"') {
          word += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          word += '"';
          ++i;
        } else {
          closed = true;
          ++i;
          break;
        }
      }
      if (!closed) {
        *why = "a quoted word is not closed";
        return std::nullopt;
      }
      if (i < line.size() && !blank(i)) {
        *why = "a quoted word must be followed by a blank";
        return std::nullopt;
      }
    } else {
      for (; i < line.size() && !blank(i); ++i) {
        if (line[i] == '"') {
          *why = "a word with a double quote is written in double quotes";
          return std::nullopt;
        }
        word += line[i];
      }
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::optional<Script> ParseScript(std::string_view text, std::string fileName, std::string* error) {
  Script script;
  script.fileName = std::move(fileName);
  int number = 0;
  auto fail = [&](const std::string& why) {
    *error = script.fileName + ":" + std::to_string(number) + ": " + why;
    return std::nullopt;
  };
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!IsValidUtf8(line)) return fail("the line is not UTF-8 text");
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    std::string why;
    std::optional<std::vector<std::string>> words = SplitScriptWords(line, &why);
    if (!words) return fail(why);
    const std::string name = words->front();
    const CommandSyntax* syntax = nullptr;
    for (const CommandSyntax& s : Syntax())
      if (s.name == name) syntax = &s;
    if (syntax == nullptr) return fail("\"" + name + "\" is not a command");
    ScriptLine parsed;
    parsed.number = number;
    parsed.command = syntax->command;
    parsed.name = name;
    parsed.words.assign(words->begin() + 1, words->end());
    const std::size_t count = parsed.words.size(), required = syntax->required.size();
    const bool tooFew = count < required;
    const bool tooMany = !syntax->repeats && count > required + static_cast<std::size_t>(syntax->optional);
    if (tooFew || tooMany) return fail(name + " takes " + Arity(*syntax) + ", not " + std::to_string(count));
    for (std::size_t w = 0; w < count; ++w) {
      const Argument kind = w < required ? syntax->required[w] : syntax->repeats ? syntax->required.back()
                                                                                  : Argument::Text;
      if (std::string wrong = CheckArgument(kind, parsed.words[w]); !wrong.empty()) return fail(wrong);
    }
    script.lines.push_back(std::move(parsed));
  }
  return script;
}

}  // namespace zelvo

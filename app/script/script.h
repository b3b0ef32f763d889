// Script: a scripted session as parsed — one command a line, with its words.
// A script is UTF-8 text; "#" starts a comment line, blank lines are skipped;
// a word with blanks or double quotes is written in double quotes, a double
// quote inside doubled:
//
//     # the constants window
//     menu "Базовые данные/Константы"
//     window Konst
//     type "Значение:" 8500.00
//     expect-message "say ""yes"""
//     key Ctrl+'
//
// ParseScript reads every line before anything runs; a malformed line (an
// unknown command, a word too many or too few, a number that is not one, an
// unknown key, an unclosed quote) makes the whole script unusable.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo {

enum class ScriptCommand {
  Menu, Window, Type, Press, Click, Tab, Select, Key, Answer, Close, Place, Maximize, Minimize, Restore,
  ExpectWindow, ExpectClosed, ExpectWindows, ExpectMessage, ExpectText, ExpectValue, ExpectChecked,
  ExpectUnchecked, ExpectRow, ExpectRows, ExpectColumns, ExpectEnabled, ExpectDisabled, ExpectHidden,
  ExpectVisible, ExpectFocus, ExpectMenu, ExpectStatus, SaveReport,
};

struct ScriptLine {
  int number = 0;                  // 1-based line of the file
  ScriptCommand command = ScriptCommand::Menu;
  std::string name;                // the command as written: "expect-text"
  std::vector<std::string> words;  // its arguments, unquoted
};

struct Script {
  std::string fileName;  // as messages name it
  std::vector<ScriptLine> lines;
};

// The words of one line, quotes removed; nullopt with `why` when a quote is
// left open or a word runs into a quoted one.
std::optional<std::vector<std::string>> SplitScriptWords(std::string_view line, std::string* why);

// The whole script, or nullopt with `error` set to "FILE:LINE: what is wrong"
// for the first malformed line.
std::optional<Script> ParseScript(std::string_view text, std::string fileName, std::string* error);

// "12", "-3.5": a number as scripts write it (digits, at most one point, an
// optional leading minus).
bool IsScriptNumber(std::string_view text);

}  // namespace zelvo

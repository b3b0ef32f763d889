// The environment file beside the program (ApplyEnvironmentFile of
// runtime/locale.h): its line format and the effect of every key.
#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <span>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/cp1251.h"
#include "runtime/cp866.h"
#include "runtime/locale.h"
#include "runtime/windows_character_tables.h"

namespace zelvo {
namespace {

constexpr char kEndOfFile = 26;
constexpr std::size_t kMaxDigraphs = 16;
constexpr std::size_t kMaxMonthName = 12;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string UpperLatin(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

// One "key=value" line, the key already without blanks and upper-cased.
struct Entry {
  int line = 0;
  std::string key;
  std::string_view value;  // raw, leading blanks skipped
};

// A line's use failed; the text says why, for the administrator.
using Problem = std::optional<std::string>;

class TextDecoder {
 public:
  explicit TextDecoder(bool oem) : oem_(oem) {}

  // One text of a value: quoted or plain, then the <ddd> codes, then the
  // character set. `problem` is set when the text cannot be used.
  std::optional<std::string> Text(std::string_view raw, std::string& problem) const {
    while (!raw.empty() && IsBlank(raw.front())) raw.remove_prefix(1);
    std::string text;
    if (!raw.empty() && raw.front() == '"') {
      std::size_t i = 1;
      for (;; ++i) {
        if (i >= raw.size()) {
          problem = "the closing quote is missing";
          return std::nullopt;
        }
        if (raw[i] != '"') {
          text += raw[i];
        } else if (i + 1 < raw.size() && raw[i + 1] == '"') {
          text += '"';
          ++i;
        } else {
          break;
        }
      }
      std::string_view rest = raw.substr(i + 1);
      if (!std::all_of(rest.begin(), rest.end(), IsBlank)) {
        problem = "text follows the closing quote";
        return std::nullopt;
      }
    } else {
      while (!raw.empty() && IsBlank(raw.back())) raw.remove_suffix(1);
      text = raw;
    }
    text = ExpandCodes(text);
    if (!oem_) return text;
    std::size_t bad = 0;
    auto converted = OemToWindows(text, &bad);
    if (!converted) {
      problem = "OEM character " + std::to_string(static_cast<unsigned char>(text[bad])) +
                " has no Windows form";
    }
    return converted;
  }

  // A comma-separated list; a quoted item may hold commas.
  std::optional<std::vector<std::string>> List(std::string_view raw, std::string& problem) const {
    std::vector<std::string> items;
    for (std::size_t start = 0;;) {
      std::size_t pos = start;
      while (pos < raw.size() && IsBlank(raw[pos])) ++pos;
      if (pos < raw.size() && raw[pos] == '"') {
        // Step over the quoted part, where "" is one quote.
        for (++pos; pos < raw.size(); ++pos) {
          if (raw[pos] != '"') continue;
          if (pos + 1 < raw.size() && raw[pos + 1] == '"') {
            ++pos;
          } else {
            ++pos;
            break;
          }
        }
      }
      const std::size_t comma = std::min(raw.find(',', pos), raw.size());
      auto item = Text(raw.substr(start, comma - start), problem);
      if (!item) return std::nullopt;
      items.push_back(*std::move(item));
      if (comma == raw.size()) return items;
      start = comma + 1;
    }
  }

 private:
  // "<ddd>" with a decimal number 0..255 stands for the byte with that code.
  static std::string ExpandCodes(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '<') {
        const std::size_t close = text.find('>', i + 1);
        unsigned code = 0;
        if (close != std::string_view::npos && close > i + 1 && close - i - 1 <= 3) {
          const char* first = text.data() + i + 1;
          const char* last = text.data() + close;
          const auto [end, error] = std::from_chars(first, last, code);
          if (error == std::errc() && end == last && code <= 255) {
            out += static_cast<char>(code);
            i = close;
            continue;
          }
        }
      }
      out += text[i];
    }
    return out;
  }

  bool oem_;
};

bool IsWord(std::string_view text, std::string_view word) { return UpperLatin(text) == word; }

// Case tables: the built-in Latin pairs stay; codes from 128 up are paired
// only as `pairs` say. A code in two pairs keeps the later one, and its old
// partner loses its case, so every pair maps back.
void SetHighCasePairs(LocaleTables& t, std::span<const CasePair> pairs) {
  for (int c = 128; c < 256; ++c) t.caseMap[c] = t.classFlags[c] = 0;
  const auto unlink = [&](std::uint8_t c) {
    if (t.caseMap[c]) t.caseMap[t.caseMap[c]] = t.classFlags[t.caseMap[c]] = 0;
    t.caseMap[c] = t.classFlags[c] = 0;
  };
  for (const CasePair& p : pairs) {
    if (p.upper < 128 || p.lower < 128 || p.upper == p.lower) continue;
    unlink(p.upper);
    unlink(p.lower);
    t.caseMap[p.upper] = p.lower;
    t.caseMap[p.lower] = p.upper;
    t.classFlags[p.upper] = kUpper;
    t.classFlags[p.lower] = kLower;
  }
}

Problem ApplyCase(const std::vector<std::string>& lists, LocaleTables& t) {
  if (lists.size() > 2) return "needs \"WINDOWS\" or two lists (capitals, then small letters)";
  const bool paired = lists.size() == 2 && !lists[0].empty() && lists[0].size() == lists[1].size();
  if (!paired) {
    // "WINDOWS", and equally lists of different or no length.
    SetHighCasePairs(t, WindowsCasePairs());
    return std::nullopt;
  }
  std::vector<CasePair> pairs;
  for (std::size_t i = 0; i < lists[0].size(); ++i) {
    pairs.push_back({static_cast<std::uint8_t>(lists[0][i]), static_cast<std::uint8_t>(lists[1][i])});
  }
  SetHighCasePairs(t, pairs);
  return std::nullopt;
}

// OEM weights follow the Windows ones through each OEM code's CP1251
// character; codes without one (pseudo-graphics) come last, in code order.
void DeriveOemCollation(LocaleTables& t) {
  std::array<int, 256> key{};
  std::array<std::uint8_t, 256> codes{};
  for (int c = 0; c < 256; ++c) {
    const auto windows = OemCodeToWindows(static_cast<std::uint8_t>(c));
    key[c] = windows ? t.collation[*windows] : 256 + c;
    codes[c] = static_cast<std::uint8_t>(c);
  }
  std::stable_sort(codes.begin(), codes.end(), [&](std::uint8_t a, std::uint8_t b) { return key[a] < key[b]; });
  for (int rank = 0; rank < 256; ++rank) t.oemCollation[codes[rank]] = static_cast<std::uint8_t>(rank);
}

Problem ApplyCollation(const std::string& sequence, LocaleTables& t) {
  std::array<std::uint8_t, 256> weights;
  for (int c = 0; c < 256; ++c) weights[c] = static_cast<std::uint8_t>(c);
  if (IsWord(sequence, "WINDOWS")) {
    weights = WindowsCollationWeights();
  } else if (!sequence.empty()) {
    std::vector<std::uint8_t> slots(sequence.begin(), sequence.end());
    std::sort(slots.begin(), slots.end());
    if (std::adjacent_find(slots.begin(), slots.end()) != slots.end()) {
      return "a character appears twice in the sequence";
    }
    for (std::size_t i = 0; i < sequence.size(); ++i) {
      weights[static_cast<std::uint8_t>(sequence[i])] = slots[i];
    }
  }
  t.collation = weights;
  if (sequence.empty()) {
    t.oemCollation = weights;
  } else {
    DeriveOemCollation(t);
  }
  return std::nullopt;
}

template <std::size_t N>
Problem ApplyMonths(const std::vector<std::string>& items, std::size_t minLength, std::size_t maxLength,
                    std::array<std::string, N>& target, const char* what) {
  const bool fits = items.size() == N && std::all_of(items.begin(), items.end(), [&](const std::string& s) {
                      return s.size() >= minLength && s.size() <= maxLength;
                    });
  if (!fits) return std::string("needs 12 comma-separated ") + what;
  std::copy(items.begin(), items.end(), target.begin());
  return std::nullopt;
}

Problem ApplyAmPm(const std::vector<std::string>& items, LocaleTables& t) {
  if (items.size() == 1 && IsWord(items[0], "WINDOWS")) {
    t.am = t.regional.s1159.substr(0, 2);
    t.pm = t.regional.s2359.substr(0, 2);
    return std::nullopt;
  }
  if (items.size() != 2 || items[0].size() > 2 || items[1].size() > 2) {
    return "needs \"WINDOWS\" or two texts of up to 2 characters";
  }
  t.am = items[0];
  t.pm = items[1];
  return std::nullopt;
}

Problem ApplyDigraphs(const std::vector<std::string>& items, LocaleTables& t) {
  std::vector<std::array<char, 3>> digraphs;
  if (!(items.size() == 1 && items[0].empty())) {
    for (const std::string& item : items) {
      if (item.empty() || item.size() % 3 != 0) return "needs triples of characters";
      for (std::size_t i = 0; i < item.size(); i += 3) digraphs.push_back({item[i], item[i + 1], item[i + 2]});
    }
  }
  if (digraphs.size() > kMaxDigraphs) return "holds more than 16 digraphs";
  t.digraphs = std::move(digraphs);
  return std::nullopt;
}

class EnvironmentApplier {
 public:
  EnvironmentApplier(LocaleTables& tables, bool oem) : t_(tables), decode_(oem) {}

  Problem Apply(const Entry& e) {
    std::string problem;
    const auto list = [&]() { return decode_.List(e.value, problem); };
    const auto text = [&]() { return decode_.Text(e.value, problem); };

    if (e.key == "QORCHARSET") {
      return std::nullopt;  // read before the other lines
    }
    if (e.key == "QORCOLSEQ") {
      auto v = text();
      return v ? ApplyCollation(*v, t_) : Problem(problem);
    }
    if (e.key == "QORCASE") {
      auto v = list();
      return v ? ApplyCase(*v, t_) : Problem(problem);
    }
    if (e.key == "QORMONTH") {
      auto v = list();
      return v ? ApplyMonths(*v, 1, kMaxMonthName, t_.monthNames, "names of up to 12 characters")
               : Problem(problem);
    }
    if (e.key == "QORMON") {
      auto v = list();
      return v ? ApplyMonths(*v, 3, 3, t_.monthAbbreviations, "abbreviations of 3 characters")
               : Problem(problem);
    }
    if (e.key == "QORAMPM") {
      auto v = list();
      return v ? ApplyAmPm(*v, t_) : Problem(problem);
    }
    if (e.key == "QORDIGRAPH") {
      auto v = list();
      return v ? ApplyDigraphs(*v, t_) : Problem(problem);
    }
    if (e.key == "QORBUTTON") {
      auto v = list();
      if (!v) return problem;
      if (v->size() == 1 && v->front().empty()) v->clear();
      t_.buttonCaptions = *std::move(v);
      return std::nullopt;
    }
    if (e.key == "QORLFN") {
      auto v = text();
      if (!v) return problem;
      if (!IsWord(*v, "ON") && !IsWord(*v, "OFF")) return "needs \"on\" or \"off\"";
      t_.longFileNames = IsWord(*v, "ON");
      return std::nullopt;
    }
    if (e.key == "QORSYSTEMCHARSET") {
      auto v = text();
      if (!v) return problem;
      t_.systemCharset = *std::move(v);
      return std::nullopt;
    }
    constexpr std::string_view kMessage = "QORMSG";
    if (e.key.starts_with(kMessage) && e.key.size() > kMessage.size()) {
      const char* first = e.key.data() + kMessage.size();
      const char* last = e.key.data() + e.key.size();
      int number = 0;
      const auto [end, error] = std::from_chars(first, last, number);
      if (error != std::errc() || end != last || number < 0) return "needs a message number after QORMSG";
      auto v = text();
      if (!v) return problem;
      t_.messages[number] = *std::move(v);
      return std::nullopt;
    }
    return "unknown key";
  }

 private:
  LocaleTables& t_;
  TextDecoder decode_;
};

// Cuts the text into entries; lines that are no "key=value" are reported.
std::vector<Entry> ReadEntries(std::string_view text, const std::function<void(int, std::string)>& report) {
  text = text.substr(0, text.find(kEndOfFile));
  std::vector<Entry> entries;
  int lineNumber = 0;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (std::all_of(line.begin(), line.end(), IsBlank)) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      report(lineNumber, "no '=' on the line");
      continue;
    }
    Entry entry;
    entry.line = lineNumber;
    for (char c : line.substr(0, equals)) {
      if (!IsBlank(c)) entry.key += c;
    }
    entry.key = UpperLatin(entry.key);
    entry.value = line.substr(equals + 1);
    while (!entry.value.empty() && IsBlank(entry.value.front())) entry.value.remove_prefix(1);
    if (entry.key.empty()) {
      report(lineNumber, "no key before '='");
      continue;
    }
    entries.push_back(entry);
  }
  return entries;
}

}  // namespace

void ApplyEnvironmentFile(std::string_view text, LocaleTables& tables,
                          std::vector<LocaleDiagnostic>* diagnostics, std::string_view source) {
  const auto report = [&](int line, std::string message) {
    if (diagnostics) diagnostics->push_back({std::string(source), line, std::move(message)});
  };
  const std::vector<Entry> entries = ReadEntries(text, report);

  // The character set governs every text of the file, wherever the line is.
  bool oem = false;
  for (const Entry& e : entries) {
    std::string unused;
    if (e.key == "QORCHARSET") oem = IsWord(TextDecoder(false).Text(e.value, unused).value_or(""), "OEM");
  }
  tables.oemCharset = oem;

  const LocaleTables builtIn = LocaleTables::BuiltIn();
  tables.caseMap = builtIn.caseMap;
  tables.classFlags = builtIn.classFlags;

  EnvironmentApplier applier(tables, oem);
  for (const Entry& e : entries) {
    if (Problem problem = applier.Apply(e)) report(e.line, Cp1251ToUtf8(e.key) + ": " + *problem + "; line skipped");
  }
}

}  // namespace zelvo

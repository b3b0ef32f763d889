#include "framework/data/message_text.h"

#include <array>
#include <vector>

namespace zelvo {
namespace {

constexpr std::array<std::string_view, 11> kPlaceholders = {
    "%File",    "%ErrorCode", "%ErrorText", "%Error",     "%FileErrorCode", "%FileError",
    "%Message", "%Field",     "%Procedure", "%Category", "%Previous",
};

// Whether a longer placeholder starts at `at` that begins with `name`.
bool LongerPlaceholderAt(std::string_view text, std::size_t at, std::string_view name) {
  for (std::string_view other : kPlaceholders)
    if (other.size() > name.size() && other.starts_with(name) && text.substr(at).starts_with(other))
      return true;
  return false;
}

// The working text: pieces of the message's own text, which placeholders are
// looked for in, and inserted values, which are left alone.
struct Piece {
  std::string text;
  bool inserted = false;
};

void Replace(std::vector<Piece>& pieces, std::string_view name, std::string_view value) {
  std::vector<Piece> out;
  for (Piece& piece : pieces) {
    if (piece.inserted) {
      out.push_back(std::move(piece));
      continue;
    }
    std::string_view rest = piece.text;
    std::string literal;
    std::size_t from = 0;
    for (;;) {
      const std::size_t at = rest.find(name, from);
      if (at == std::string_view::npos) break;
      if (LongerPlaceholderAt(rest, at, name)) {
        from = at + 1;
        continue;
      }
      literal.append(rest.substr(0, at));
      if (!literal.empty()) out.push_back({std::move(literal), false});
      literal.clear();
      out.push_back({std::string(value), true});
      rest.remove_prefix(at + name.size());
      from = 0;
    }
    literal.append(rest);
    if (!literal.empty()) out.push_back({std::move(literal), false});
  }
  // The working text holds at most kMaxMessageText characters.
  std::size_t length = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (length + out[i].text.size() > kMaxMessageText) {
      out[i].text.resize(kMaxMessageText - length);
      out.resize(i + 1);
      break;
    }
    length += out[i].text.size();
  }
  pieces = std::move(out);
}

}  // namespace

std::string SubstitutePlaceholders(std::string_view text, const PlaceholderValues& v) {
  std::vector<Piece> pieces{{std::string(text.substr(0, kMaxMessageText)), false}};
  const std::string code = std::to_string(v.errorCode);
  const std::string errorText = v.errorCode == 90 ? v.fileError + " (" + v.fileErrorCode + ")"
                                                  : v.error + " (" + code + ")";
  Replace(pieces, "%File", v.file);
  Replace(pieces, "%ErrorCode", code);
  Replace(pieces, "%ErrorText", errorText);
  Replace(pieces, "%Error", v.error);
  Replace(pieces, "%FileErrorCode", v.fileErrorCode);
  Replace(pieces, "%FileError", v.fileError);
  Replace(pieces, "%Message", v.message);
  Replace(pieces, "%Field", v.field);
  Replace(pieces, "%Procedure", v.procedure);
  Replace(pieces, "%Category", v.category);
  Replace(pieces, "%Previous", v.previous.value_or(""));
  std::string result;
  for (const Piece& piece : pieces) result += piece.text;
  return result;
}

}  // namespace zelvo

#include "app/cli/json_document.h"

#include <utility>
#include <vector>

namespace zelvo {
namespace {

// Builds the document from the parser's events, as the library's own builder
// does, except for the number texts and duplicate names.
class DocumentBuilder {
 public:
  explicit DocumentBuilder(Json& root) : root_(root) {}

  bool null() { return Add(nullptr); }
  bool boolean(bool value) { return Add(value); }
  bool number_integer(Json::number_integer_t value) { return Add(value); }
  bool number_unsigned(Json::number_unsigned_t value) { return Add(value); }
  bool number_float(Json::number_float_t, const Json::string_t& text) {
    return Add(Json::binary(Json::binary_t::container_type(text.begin(), text.end()),
                            kNumberTextSubtype));
  }
  bool string(Json::string_t& value) { return Add(value); }
  bool binary(Json::binary_t& value) { return Add(Json::binary(value)); }
  bool start_object(std::size_t) { return Open(Json::object()); }
  bool end_object() { return Close(); }
  bool start_array(std::size_t) { return Open(Json::array()); }
  bool end_array() { return Close(); }
  bool key(Json::string_t& name) {
    Json& object = *open_.back();
    if (object.contains(name)) {
      error_ = "duplicate member \"" + name + "\" in one object";
      return false;
    }
    pendingKey_ = name;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& failure) {
    // The library's text starts with its own exception tag; the rest says where.
    std::string text = failure.what();
    if (const auto end = text.find("] "); text.starts_with("[json.") && end != std::string::npos)
      text.erase(0, end + 2);
    error_ = std::move(text);
    return false;
  }

  const std::string& Error() const { return error_; }

 private:
  // Places a value where the parser is: the root, the next array element or
  // the member whose name was just read. Returns where it went.
  Json* Place(Json value) {
    if (open_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Json& parent = *open_.back();
    if (parent.is_array()) {
      parent.push_back(std::move(value));
      return &parent.back();
    }
    Json& member = parent[pendingKey_];
    member = std::move(value);
    return &member;
  }
  bool Add(Json value) {
    Place(std::move(value));
    return true;
  }
  bool Open(Json container) {
    open_.push_back(Place(std::move(container)));
    return true;
  }
  bool Close() {
    open_.pop_back();
    return true;
  }

  Json& root_;
  // The containers being filled. Pointers into the document stay valid: a
  // container is only appended to while it is the innermost open one, and
  // its own parent is not touched until it closes.
  std::vector<Json*> open_;
  std::string pendingKey_;
  std::string error_;
};

}  // namespace

JsonDocument ParseJsonDocument(std::string_view text) {
  JsonDocument document;
  DocumentBuilder builder(document.value);
  const bool read = Json::sax_parse(text.begin(), text.end(), &builder,
                                    Json::input_format_t::json, /*strict=*/true);
  if (!read) {
    document.value = nullptr;
    document.error = builder.Error().empty() ? std::string("malformed JSON") : builder.Error();
  }
  return document;
}

std::optional<std::string> NumberText(const Json& value) {
  if (value.is_number_integer()) return value.dump();
  if (value.is_binary() && value.get_binary().has_subtype() &&
      value.get_binary().subtype() == kNumberTextSubtype) {
    const auto& bytes = value.get_binary();
    return std::string(bytes.begin(), bytes.end());
  }
  return std::nullopt;
}

}  // namespace zelvo

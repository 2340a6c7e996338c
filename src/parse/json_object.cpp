#include "parse/json_object.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "text/gbk.h"
#include "text/numbers.h"

namespace parse {

namespace {

// Members keep the order in which they were read or added, as a script object enumerates them.
using Json = nlohmann::ordered_json;

// Deeper nesting than this is refused when reading: serialising and copying recurse, and a reply
// of a hundred thousand brackets must not exhaust the stack.
constexpr std::size_t kMaxDepth = 512;

// Arrays grown by SetMember beyond their end are padded with null up to this length at most, so a
// wild position cannot allocate without bound.
constexpr std::size_t kMaxPaddedLength = 1u << 20;

// Builds the value from the parser's events. Compared with the library's own builder it refuses
// deep nesting before descending, and it finds repeated keys through an index once an object grows
// large (the ordered map searches linearly, which would make a reply with many keys quadratic).
// A repeated key keeps its first position and takes the last value, as a script reader does.
class BoundedBuilder {
 public:
  using number_integer_t = Json::number_integer_t;
  using number_unsigned_t = Json::number_unsigned_t;
  using number_float_t = Json::number_float_t;
  using string_t = Json::string_t;
  using binary_t = Json::binary_t;

  Json root;

  bool null() { return place(Json(nullptr)) != nullptr; }
  bool boolean(bool v) { return place(Json(v)) != nullptr; }
  bool number_integer(number_integer_t v) { return place(Json(v)) != nullptr; }
  bool number_unsigned(number_unsigned_t v) { return place(Json(v)) != nullptr; }
  bool number_float(number_float_t v, const string_t&) { return place(Json(v)) != nullptr; }
  bool string(string_t& v) { return place(Json(std::move(v))) != nullptr; }
  bool binary(binary_t&) { return false; }
  bool start_object(std::size_t) { return open(Json::object()); }
  bool start_array(std::size_t) { return open(Json::array()); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }
  bool key(string_t& k) {
    Frame& f = frames_.back();
    // The ordered map's operator[] takes a key; index the underlying vector instead.
    auto& members = static_cast<Json::object_t::Container&>(f.node->get_ref<Json::object_t&>());
    constexpr std::size_t kIndexFrom = 16;
    std::optional<std::size_t> found;
    if (f.index.empty() && members.size() < kIndexFrom) {
      for (std::size_t i = 0; i < members.size(); ++i)
        if (members[i].first == k) found = i;
    } else {
      if (f.index.empty())
        for (std::size_t i = 0; i < members.size(); ++i) f.index.emplace(members[i].first, i);
      const auto it = f.index.find(k);
      if (it != f.index.end()) found = it->second;
    }
    if (found) {
      slot_ = &members[*found].second;
      *slot_ = nullptr;
      return true;
    }
    if (!f.index.empty()) f.index.emplace(k, members.size());
    members.emplace_back(std::move(k), Json());
    slot_ = &members.back().second;
    return true;
  }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

 private:
  struct Frame {
    Json* node;
    std::unordered_map<std::string, std::size_t> index;
  };
  std::vector<Frame> frames_;
  Json* slot_ = nullptr;

  Json* place(Json&& v) {
    if (frames_.empty()) {
      root = std::move(v);
      return &root;
    }
    Json* parent = frames_.back().node;
    if (parent->is_array()) {
      auto& elements = parent->get_ref<Json::array_t&>();
      elements.push_back(std::move(v));
      return &elements.back();
    }
    if (!slot_) return nullptr;
    *slot_ = std::move(v);
    Json* placed = slot_;
    slot_ = nullptr;
    return placed;
  }
  bool open(Json&& container) {
    if (frames_.size() >= kMaxDepth) return false;
    Json* node = place(std::move(container));
    if (!node) return false;
    frames_.push_back(Frame{node, {}});
    return true;
  }
  bool close() {
    frames_.pop_back();
    return true;
  }
};

// Strict JSON (no comments, no single quotes, nothing after the value) in UTF-8.
std::optional<Json> readJson(std::string_view utf8) {
  BoundedBuilder builder;
  if (!Json::sax_parse(utf8, &builder, nlohmann::json::input_format_t::json, true, false)) return std::nullopt;
  return std::move(builder.root);
}

std::optional<Json> readGbkJson(const std::string& gbk) { return readJson(text::gbkToUtf8(gbk)); }

// A number as a script writes it: the shortest digits that read back to the same value, a plain
// integer without a point, exponent form only below 1e-6 or from 1e21.
std::string numberText(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
  if (v == 0) return "0";
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific);
  const std::string_view sci(buffer, static_cast<std::size_t>(r.ptr - buffer));
  const std::size_t e = sci.find('e');
  int exponent = 0;
  std::from_chars(sci.data() + e + (sci[e + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
  if (-7 < exponent && exponent < 21) return text::plainDecimal(sci);
  // The shortest digits are the mantissa as written; the exponent loses its leading zeros.
  std::string out(sci.substr(0, e));
  out.push_back('e');
  out.push_back(exponent >= 0 ? '+' : '-');
  out += std::to_string(std::abs(exponent));
  return out;
}

void appendQuoted(std::string& out, const std::string& s) {
  out.push_back('"');
  for (const char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char esc[8];
          std::snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += esc;
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
}

// Compact serialisation in UTF-8, numbers in script form; a number that is not finite is null.
void appendJson(std::string& out, const Json& v) {
  switch (v.type()) {
    case Json::value_t::object: {
      out.push_back('{');
      bool first = true;
      for (const auto& [key, value] : v.get_ref<const Json::object_t&>()) {
        if (!first) out.push_back(',');
        first = false;
        appendQuoted(out, key);
        out.push_back(':');
        appendJson(out, value);
      }
      out.push_back('}');
      break;
    }
    case Json::value_t::array: {
      out.push_back('[');
      bool first = true;
      for (const auto& element : v.get_ref<const Json::array_t&>()) {
        if (!first) out.push_back(',');
        first = false;
        appendJson(out, element);
      }
      out.push_back(']');
      break;
    }
    case Json::value_t::string: appendQuoted(out, v.get_ref<const std::string&>()); break;
    case Json::value_t::boolean: out += v.get<bool>() ? "true" : "false"; break;
    case Json::value_t::number_integer: out += std::to_string(v.get<std::int64_t>()); break;
    case Json::value_t::number_unsigned: out += std::to_string(v.get<std::uint64_t>()); break;
    case Json::value_t::number_float: {
      const double d = v.get<double>();
      out += std::isfinite(d) ? numberText(d) : "null";
      break;
    }
    default: out += "null"; break;
  }
}

std::string jsonText(const Json& v) {
  std::string out;
  appendJson(out, v);
  return text::utf8ToGbk(out);
}

// The value as plain text: a string's characters, a number in script form, true/false as words,
// an object or array in its JSON form; "" for null or nothing.
std::string valueText(const Json* v, bool asJson) {
  if (!v || v->is_null()) return {};
  if (asJson) return jsonText(*v);
  switch (v->type()) {
    case Json::value_t::string: return text::utf8ToGbk(v->get_ref<const std::string&>());
    case Json::value_t::boolean: return v->get<bool>() ? "true" : "false";
    case Json::value_t::number_integer: return std::to_string(v->get<std::int64_t>());
    case Json::value_t::number_unsigned: return std::to_string(v->get<std::uint64_t>());
    case Json::value_t::number_float: return numberText(v->get<double>());
    default: return jsonText(*v);
  }
}

Json* findMember(Json& object, const std::string& name) {
  if (!object.is_object()) return nullptr;
  auto& members = object.get_ref<Json::object_t&>();
  const auto it = members.find(name);
  return it == members.end() ? nullptr : &it->second;
}

// One step of a path: a member name, or a position in brackets. A bracket may also hold a quoted
// member name (["a b"] or ['a b']) for keys that are not plain identifiers.
struct Step {
  std::string name;
  std::optional<std::size_t> position;
};

// Splits "a.b[2].c", "[0].a" or "a['x.y']" into steps; nullopt when the path is malformed.
std::optional<std::vector<Step>> splitPath(std::string_view p) {
  std::vector<Step> steps;
  std::size_t i = 0;
  auto readName = [&]() -> std::optional<std::string> {
    const std::size_t start = i;
    while (i < p.size() && p[i] != '.' && p[i] != '[') ++i;
    if (i == start) return std::nullopt;
    return std::string(p.substr(start, i - start));
  };
  if (!p.empty() && p[0] != '[') {
    auto name = readName();
    if (!name) return std::nullopt;
    steps.push_back({std::move(*name), std::nullopt});
  }
  while (i < p.size()) {
    if (p[i] == '.') {
      ++i;
      auto name = readName();
      if (!name) return std::nullopt;
      steps.push_back({std::move(*name), std::nullopt});
    } else if (p[i] == '[') {
      std::size_t close;
      if (i + 1 < p.size() && (p[i + 1] == '"' || p[i + 1] == '\'')) {
        // A quoted name may hold "." or "]": it ends at its closing quote, which "]" must follow.
        const std::size_t quote = p.find(p[i + 1], i + 2);
        if (quote == std::string_view::npos || quote + 1 >= p.size() || p[quote + 1] != ']') return std::nullopt;
        steps.push_back({std::string(p.substr(i + 2, quote - i - 2)), std::nullopt});
        close = quote + 1;
      } else {
        close = p.find(']', i + 1);
        if (close == std::string_view::npos) return std::nullopt;
        const std::string_view inside = p.substr(i + 1, close - i - 1);
        std::size_t position = 0;
        const auto r = std::from_chars(inside.data(), inside.data() + inside.size(), position);
        if (inside.empty() || r.ec != std::errc() || r.ptr != inside.data() + inside.size()) return std::nullopt;
        steps.push_back({std::string(inside), position});
      }
      i = close + 1;
    } else {
      return std::nullopt;
    }
  }
  return steps;
}

// Follows the path from the root. With `createLast`, a missing last member of an object is added
// as null so that a writer can fill it. nullptr when the path names nothing.
Json* resolve(Json& root, const std::string& gbkPath, bool createLast = false) {
  const auto steps = splitPath(text::gbkToUtf8(gbkPath));
  if (!steps) return nullptr;
  Json* node = &root;
  for (std::size_t s = 0; s < steps->size(); ++s) {
    const Step& step = (*steps)[s];
    const bool last = s + 1 == steps->size();
    if (node->is_array()) {
      if (!step.position) return nullptr;
      auto& elements = node->get_ref<Json::array_t&>();
      if (*step.position >= elements.size()) return nullptr;
      node = &elements[*step.position];
    } else if (node->is_object()) {
      // On an object a position names the member spelled by its digits, as in a script.
      Json* member = findMember(*node, step.name);
      if (!member && createLast && last) {
        auto& members = node->get_ref<Json::object_t&>();
        members.emplace_back(step.name, Json());
        member = &members.back().second;
      }
      if (!member) return nullptr;
      node = member;
    } else {
      return nullptr;
    }
  }
  return node;
}

// A value argument: a text stored as a string, or, when it is JSON, the value it reads as.
std::optional<Json> valueArgument(const std::string& value, bool isJson) {
  if (!isJson) return Json(text::gbkToUtf8(value));
  return readGbkJson(value);
}

void setMember(Json& object, const std::string& gbkKey, Json&& value) {
  if (!object.is_object()) return;
  object[text::gbkToUtf8(gbkKey)] = std::move(value);
}

const Json* rootMember(const Json& root, const std::string& gbkKey) {
  return findMember(const_cast<Json&>(root), text::gbkToUtf8(gbkKey));
}

}  // namespace

struct JsonObject::Impl {
  Json root = Json::object();
};

JsonObject::JsonObject() : impl_(std::make_unique<Impl>()) {}
JsonObject::~JsonObject() = default;
JsonObject::JsonObject(const JsonObject& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
JsonObject& JsonObject::operator=(const JsonObject& other) {
  if (this != &other) {
    try {
      impl_->root = other.impl_->root;
    } catch (...) {
      impl_->root = nullptr;
    }
  }
  return *this;
}

bool JsonObject::Parse(const std::string& json) {
  try {
    impl_->root = nullptr;
    auto value = readGbkJson(json);
    if (!value || value->is_null()) return false;
    impl_->root = std::move(*value);
    return true;
  } catch (...) {
    impl_->root = nullptr;
    return false;
  }
}

int JsonObject::MemberCount(const std::string& path) const {
  try {
    const Json* v = resolve(impl_->root, path);
    if (!v || !(v->is_array() || v->is_object())) return 0;
    return static_cast<int>(v->size());
  } catch (...) {
    return 0;
  }
}

std::string JsonObject::PropertyText(const std::string& path, bool asJson) const {
  try {
    return valueText(resolve(impl_->root, path), asJson);
  } catch (...) {
    return {};
  }
}

std::string JsonObject::ToJson() const {
  try {
    return jsonText(impl_->root);
  } catch (...) {
    return {};
  }
}

void JsonObject::SetProperty(const std::string& key, const std::string& value, bool valueIsJson) {
  try {
    auto v = valueIsJson && value.empty() ? std::optional<Json>(Json::object()) : valueArgument(value, valueIsJson);
    if (v) setMember(impl_->root, key, std::move(*v));
  } catch (...) {
  }
}

void JsonObject::SetPropertyJson(const std::string& key, const std::string& json) {
  try {
    if (auto v = readGbkJson(json)) setMember(impl_->root, key, std::move(*v));
  } catch (...) {
  }
}

void JsonObject::SetNumber(const std::string& key, double value) {
  try {
    setMember(impl_->root, key, Json(value));
  } catch (...) {
  }
}

double JsonObject::GetNumber(const std::string& key) const {
  try {
    const Json* v = rootMember(impl_->root, key);
    return v && v->is_number() ? v->get<double>() : 0.0;
  } catch (...) {
    return 0.0;
  }
}

std::string JsonObject::GetPropertyJson(const std::string& key) const {
  try {
    return valueText(rootMember(impl_->root, key), true);
  } catch (...) {
    return {};
  }
}

JsonObject JsonObject::PropertyObject(const std::string& path) const {
  JsonObject copy;
  try {
    const Json* v = resolve(impl_->root, path);
    copy.impl_->root = v ? *v : Json(nullptr);
  } catch (...) {
    copy.impl_->root = nullptr;
  }
  return copy;
}

void JsonObject::AddMember(const std::string& value, const std::string& path, bool notAString) {
  try {
    auto v = valueArgument(value, notAString);
    if (!v) return;
    Json* target = resolve(impl_->root, path, true);
    if (!target) return;
    if (!target->is_array()) *target = Json::array();
    target->push_back(std::move(*v));
  } catch (...) {
  }
}

JsonObject JsonObject::MemberObject(int position, const std::string& path) const {
  JsonObject copy;
  try {
    copy.impl_->root = nullptr;
    const Json* array = resolve(impl_->root, path);
    if (array && array->is_array() && position >= 0 && static_cast<std::size_t>(position) < array->size())
      copy.impl_->root = (*array)[static_cast<std::size_t>(position)];
  } catch (...) {
    copy.impl_->root = nullptr;
  }
  return copy;
}

std::string JsonObject::MemberText(int position, const std::string& path, bool asJson) const {
  try {
    const Json* array = resolve(impl_->root, path);
    if (!array || !array->is_array() || position < 0 || static_cast<std::size_t>(position) >= array->size())
      return {};
    return valueText(&(*array)[static_cast<std::size_t>(position)], asJson);
  } catch (...) {
    return {};
  }
}

void JsonObject::SetMember(int position, const std::string& value, bool notAString) {
  try {
    Json& root = impl_->root;
    if (!root.is_array() || position < 0) return;
    auto v = valueArgument(value, notAString);
    if (!v) return;
    const auto at = static_cast<std::size_t>(position);
    auto& elements = root.get_ref<Json::array_t&>();
    if (at >= elements.size()) {
      if (at >= kMaxPaddedLength) return;
      elements.resize(at + 1);  // the gap reads as null, as holes in a script array do
    }
    elements[at] = std::move(*v);
  } catch (...) {
  }
}

void JsonObject::RemoveMember(int position) {
  try {
    Json& root = impl_->root;
    if (!root.is_array() || position < 0 || static_cast<std::size_t>(position) >= root.size()) return;
    root.erase(static_cast<std::size_t>(position));
  } catch (...) {
  }
}

void JsonObject::Reset(int type) {
  if (type == 0 || type == 4) impl_->root = Json::object();
  else if (type == 5) impl_->root = Json::array();
}

void JsonObject::SetRoot(const std::string& value, bool notAString) {
  try {
    if (auto v = valueArgument(value, notAString)) impl_->root = std::move(*v);
  } catch (...) {
  }
}

bool JsonObject::Has(const std::string& key) const {
  try {
    const Json* v = rootMember(impl_->root, key);
    return v && !v->is_null();
  } catch (...) {
    return false;
  }
}

int JsonObject::Keys(std::vector<std::string>& list, const std::string& path) const {
  try {
    list.clear();
    const Json* v = resolve(impl_->root, path);
    if (!v || !v->is_object()) return 0;
    for (const auto& member : v->get_ref<const Json::object_t&>()) list.push_back(text::utf8ToGbk(member.first));
    return static_cast<int>(list.size());
  } catch (...) {
    list.clear();
    return 0;
  }
}

int JsonObject::TypeOf(const std::string& path) const {
  try {
    const Json* v = resolve(impl_->root, path);
    if (!v || v->is_null()) return 0;
    if (v->is_number()) return 2;
    if (v->is_object()) return 4;
    if (v->is_array()) return 5;
    if (v->is_string()) return 6;
    return -1;
  } catch (...) {
    return 0;
  }
}

void JsonObject::Clear() { impl_->root = Json::object(); }

}  // namespace parse

#include "onebot/message_convert.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "onebot/json_frame.h"
#include "text/gbk.h"
#include "text/search.h"

namespace onebot {

namespace {

constexpr std::string_view kAt = "[IR:at=";
constexpr std::string_view kPic = "[IR:pic=";
constexpr std::string_view kCodeStart = "[IR:";
constexpr std::string_view kNeutralStart = "[IR\xEF\xBC\x9A";  // "[IR："

bool isWebAddress(std::string_view s) {
  std::string_view rest;
  if (text::startsWithIgnoreCase(s, "http://")) rest = s.substr(7);
  else if (text::startsWithIgnoreCase(s, "https://")) rest = s.substr(8);
  else return false;
  if (rest.empty() || rest.front() == '/') return false;
  for (char c : s)
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return false;
  return true;
}

std::string stringField(const nlohmann::json& data, const char* name) {
  if (!data.is_object()) return "";
  const auto it = data.find(name);
  if (it == data.end()) return "";
  if (it->is_string()) return it->get<std::string>();
  if (it->is_number_integer()) return it->dump();
  return "";
}

std::string replaceAll(std::string s, std::string_view from, std::string_view to) {
  for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
  return s;
}

std::string cqUnescape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&') {
      const std::string_view rest = s.substr(i);
      if (rest.starts_with("&amp;")) { out += '&'; i += 4; continue; }
      if (rest.starts_with("&#91;")) { out += '['; i += 4; continue; }
      if (rest.starts_with("&#93;")) { out += ']'; i += 4; continue; }
      if (rest.starts_with("&#44;")) { out += ','; i += 4; continue; }
    }
    out += s[i];
  }
  return out;
}

void appendUtf8(std::string& out, unsigned long cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// XML character references of a UTF-8 text decoded; an unknown one stays as it is.
std::string xmlUnescape(std::string_view s) {
  std::string out;
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t semi = s[i] == '&' ? s.find(';', i) : std::string_view::npos;
    if (semi == std::string_view::npos || semi - i > 10) {
      out += s[i++];
      continue;
    }
    const std::string_view name = s.substr(i + 1, semi - i - 1);
    bool known = true;
    if (name == "lt") out += '<';
    else if (name == "gt") out += '>';
    else if (name == "amp") out += '&';
    else if (name == "quot") out += '"';
    else if (name == "apos") out += '\'';
    else if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string digits(name.substr(hex ? 2 : 1));
      char* end = nullptr;
      const unsigned long cp = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
      known = !digits.empty() && end && *end == '\0';
      if (known) appendUtf8(out, cp);
    } else {
      known = false;
    }
    if (known) {
      i = semi + 1;
    } else {
      out += s[i++];
    }
  }
  return out;
}

}  // namespace

std::string cardText(std::string_view gbkXml) {
  if (gbkXml.find('<') == std::string_view::npos) return std::string(gbkXml);
  const std::string xml = text::gbkToUtf8(gbkXml);
  std::string lines;
  bool inButton = false;
  std::size_t i = 0;
  auto addText = [&](std::string_view run) {
    if (inButton) return;
    std::size_t start = 0;
    while (start <= run.size()) {
      std::size_t end = run.find('\n', start);
      if (end == std::string_view::npos) end = run.size();
      std::string_view line = run.substr(start, end - start);
      while (!line.empty() && (line.front() == ' ' || line.front() == '\t' || line.front() == '\r')) line.remove_prefix(1);
      while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r')) line.remove_suffix(1);
      if (!line.empty()) {
        if (!lines.empty()) lines += "\r\n";
        lines += xmlUnescape(line);
      }
      start = end + 1;
    }
  };
  while (i < xml.size()) {
    const std::size_t open = xml.find('<', i);
    addText(std::string_view(xml).substr(i, (open == std::string::npos ? xml.size() : open) - i));
    if (open == std::string::npos) break;
    const std::size_t close = xml.find('>', open);
    if (close == std::string::npos) break;
    const std::string_view tag = std::string_view(xml).substr(open + 1, close - open - 1);
    if (tag.starts_with("button")) inButton = !tag.ends_with("/");
    else if (tag.starts_with("/button")) inButton = false;
    i = close + 1;
  }
  return text::utf8ToGbk(lines);
}

PictureTable::PictureTable(std::size_t capacity) : capacity_(capacity ? capacity : 1), next_(0) {}

std::string PictureTable::remember(PictureRef picture) {
  std::lock_guard lock(mutex_);
  char key[17];
  std::snprintf(key, sizeof key, "%016llX", ++next_);
  byKey_.emplace(key, std::move(picture));
  order_.emplace_back(key);
  while (order_.size() > capacity_) {
    byKey_.erase(order_.front());
    order_.pop_front();
  }
  return key;
}

std::optional<PictureRef> PictureTable::find(std::string_view codeOrKey) const {
  std::string_view key = codeOrKey;
  if (key.starts_with(kPic)) key.remove_prefix(kPic.size());
  if (key.ends_with("]")) key.remove_suffix(1);
  if (key.ends_with(".jpg")) key.remove_suffix(4);
  std::lock_guard lock(mutex_);
  const auto it = byKey_.find(std::string(key));
  if (it == byKey_.end()) return std::nullopt;
  return it->second;
}

std::string neutraliseCodes(std::string_view utf8) { return replaceAll(std::string(utf8), kCodeStart, kNeutralStart); }

nlohmann::json parseCqString(std::string_view s) {
  nlohmann::json segments = nlohmann::json::array();
  std::string textRun;
  auto flushText = [&] {
    if (!textRun.empty()) segments.push_back({{"type", "text"}, {"data", {{"text", cqUnescape(textRun)}}}});
    textRun.clear();
  };
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t open = s.find("[CQ:", i);
    if (open == std::string_view::npos) {
      textRun.append(s.substr(i));
      break;
    }
    const std::size_t close = s.find(']', open);
    if (close == std::string_view::npos) {
      textRun.append(s.substr(i));
      break;
    }
    textRun.append(s.substr(i, open - i));
    const std::string_view body = s.substr(open + 4, close - open - 4);
    const std::size_t comma = body.find(',');
    const std::string_view type = body.substr(0, comma);
    if (type.empty()) {
      textRun.append(s.substr(open, close + 1 - open));
    } else {
      flushText();
      nlohmann::json data = nlohmann::json::object();
      std::string_view params = comma == std::string_view::npos ? std::string_view{} : body.substr(comma + 1);
      while (!params.empty()) {
        const std::size_t next = params.find(',');
        const std::string_view pair = params.substr(0, next);
        const std::size_t eq = pair.find('=');
        if (eq != std::string_view::npos)
          data[std::string(pair.substr(0, eq))] = cqUnescape(pair.substr(eq + 1));
        if (next == std::string_view::npos) break;
        params.remove_prefix(next + 1);
      }
      segments.push_back({{"type", std::string(type)}, {"data", std::move(data)}});
    }
    i = close + 1;
  }
  flushText();
  return segments;
}

std::string toHostText(const nlohmann::json& message, PictureTable& pictures) {
  const nlohmann::json segments = message.is_string() ? parseCqString(message.get<std::string>()) : message;
  if (!segments.is_array()) return "";
  // Pieces in UTF-8; typed text is gathered across dropped segments before it is neutralised, so
  // that "[IR" and ":at=1]" in two pieces cannot meet as a code.
  std::string out, typed;
  auto flushTyped = [&] {
    out += neutraliseCodes(typed);
    typed.clear();
  };
  for (const auto& segment : segments) {
    if (!segment.is_object()) continue;
    const std::string type = stringField(segment, "type");
    const auto dataIt = segment.find("data");
    const nlohmann::json data = dataIt == segment.end() ? nlohmann::json::object() : *dataIt;
    if (type == "text") {
      typed += stringField(data, "text");
    } else if (type == "at") {
      const std::string qq = stringField(data, "qq");
      if (isQqNumber(qq) || qq == "all") {
        flushTyped();
        out += std::string(kAt) + qq + "]";
      }
    } else if (type == "image") {
      PictureRef picture;
      picture.file = stringField(data, "file");
      const std::string url = stringField(data, "url");
      if (isWebAddress(url)) picture.url = url;
      else if (isWebAddress(picture.file)) picture.url = picture.file;
      flushTyped();
      out += std::string(kPic) + pictures.remember(std::move(picture)) + ".jpg]";
    }
  }
  flushTyped();
  return text::utf8ToGbk(out);
}

nlohmann::json toSegments(std::string_view gbkText, const PictureTable* pictures) {
  const std::string s = replaceAll(text::gbkToUtf8(gbkText), "\r\n", "\n");
  nlohmann::json segments = nlohmann::json::array();
  std::string textRun;
  auto flushText = [&] {
    if (!textRun.empty()) segments.push_back({{"type", "text"}, {"data", {{"text", textRun}}}});
    textRun.clear();
  };
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t open = s.find(kCodeStart, i);
    if (open == std::string::npos) {
      textRun.append(s, i);
      break;
    }
    textRun.append(s, i, open - i);
    const std::size_t close = s.find(']', open);
    const std::string_view code = close == std::string::npos ? std::string_view{} : std::string_view(s).substr(open, close + 1 - open);
    bool taken = false;
    if (code.starts_with(kAt)) {
      const std::string_view qq = code.substr(kAt.size(), code.size() - kAt.size() - 1);
      if (isQqNumber(qq)) {
        flushText();
        segments.push_back({{"type", "at"}, {"data", {{"qq", std::string(qq)}}}});
        taken = true;
      }
    } else if (code.starts_with(kPic)) {
      const std::string_view address = code.substr(kPic.size(), code.size() - kPic.size() - 1);
      std::string url;
      if (isWebAddress(address)) url = address;
      else if (pictures)
        if (auto known = pictures->find(address); known && isWebAddress(known->url)) url = known->url;
      if (!url.empty()) {
        flushText();
        segments.push_back({{"type", "image"}, {"data", {{"file", url}}}});
        taken = true;
      }
    }
    if (taken) {
      i = close + 1;
    } else {
      textRun.append(kCodeStart);
      i = open + kCodeStart.size();
    }
  }
  flushText();
  return segments;
}

}  // namespace onebot

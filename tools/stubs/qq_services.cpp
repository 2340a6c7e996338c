#include "stubs/qq_services.h"

#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "text/gbk.h"

namespace stubs {

namespace {

// The value of `key` in the query of `target` ("" when absent).
std::string queryValue(const std::string& target, const std::string& key) {
  const std::size_t q = target.find('?');
  if (q == std::string::npos) return {};
  std::size_t pos = q + 1;
  while (pos <= target.size()) {
    std::size_t end = target.find('&', pos);
    if (end == std::string::npos) end = target.size();
    const std::string item = target.substr(pos, end - pos);
    const std::size_t eq = item.find('=');
    if (item.substr(0, eq) == key) return eq == std::string::npos ? std::string() : item.substr(eq + 1);
    pos = end + 1;
  }
  return {};
}

std::string jsonString(const std::string& utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20) {
      static const char hex[] = "0123456789abcdef";
      out += "\\u00";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

struct PortraitService::State {
  std::mutex mu;
  std::map<std::string, std::string> nicknames;
};

PortraitService::PortraitService(StubServer& server) : state_(std::make_shared<State>()) {
  server.on("/fcg-bin/cgi_get_portrait.fcg", [state = state_](const RecordedRequest& req) {
    const std::string qq = queryValue(req.target, "uins");
    std::string nickname;
    {
      std::lock_guard<std::mutex> lock(state->mu);
      auto it = state->nicknames.find(qq);
      if (it != state->nicknames.end()) nickname = it->second;
    }
    return answerWith("portraitCallBack({\"" + qq + "\":[\"http://qlogo1.store.qq.com/qzone/" + qq + "/" + qq +
                          "/100\",0,0,0,0,0,0,0,\"" + nickname + "\",0]})",
                      {{"Content-Type", "application/x-javascript"}});
  });
}

void PortraitService::setNickname(const std::string& qq, const std::string& gbkNickname) {
  std::lock_guard<std::mutex> lock(state_->mu);
  state_->nicknames[qq] = gbkNickname;
}

AvatarService::AvatarService(StubServer& server) {
  server.on("/headimg_dl", [](const RecordedRequest& req) {
    return answerWith(pictureFor(queryValue(req.target, "dst_uin")), {{"Content-Type", "image/jpeg"}});
  });
}

std::string AvatarService::pictureFor(const std::string& qq) {
  static const char start[] = {'\xFF', '\xD8', '\xFF', '\xE0', '\x00', '\x10', 'J', 'F', 'I', 'F', '\x00'};
  return std::string(start, sizeof start) + "avatar " + qq + std::string("\xFF\xD9", 2);
}

struct RecognitionService::State {
  std::mutex mu;
  std::vector<std::pair<std::string, std::vector<std::string>>> script;
};

RecognitionService::RecognitionService(StubServer& server) : state_(std::make_shared<State>()) {
  server.on("/v2/ocr/json", [state = state_](const RecordedRequest& req) {
    std::vector<std::string> texts;
    {
      std::lock_guard<std::mutex> lock(state->mu);
      for (const auto& [marker, t] : state->script)
        if (req.body.find(marker) != std::string::npos) {
          texts = t;
          break;
        }
    }
    std::string json = "{\"result\":[";
    for (std::size_t i = 0; i < texts.size(); ++i)
      json += (i ? ",{\"content\":" : "{\"content\":") + jsonString(texts[i]) + "}";
    json += "]}";
    StubAnswer a;
    a.headers.emplace_back("Content-Type", "application/json; charset=utf-8");
    a.body = json;
    return a;
  });
}

void RecognitionService::addTexts(const std::string& marker, std::vector<std::string> utf8Texts) {
  std::lock_guard<std::mutex> lock(state_->mu);
  state_->script.emplace_back(marker, std::move(utf8Texts));
}

void RecognitionService::clear() {
  std::lock_guard<std::mutex> lock(state_->mu);
  state_->script.clear();
}

struct UpdateService::State {
  std::mutex mu;
  std::optional<std::string> text, log;
};

UpdateService::UpdateService(StubServer& server) : state_(std::make_shared<State>()) {
  auto serve = [state = state_](std::optional<std::string> State::*member, const char* type) {
    return [state, member, type](const RecordedRequest&) {
      std::lock_guard<std::mutex> lock(state->mu);
      const std::optional<std::string>& body = (*state).*member;
      if (!body) {
        StubAnswer missing;
        missing.status = 404;
        missing.reason = "Not Found";
        return missing;
      }
      return answerWith(*body, {{"Content-Type", type}});
    };
  };
  server.on("/pro/probbh.txt", serve(&State::text, "text/plain"));
  server.on("/pro/changelog.html", serve(&State::log, "text/html; charset=gbk"));
}

void UpdateService::setUpdateText(const std::string& gbkText) {
  std::lock_guard<std::mutex> lock(state_->mu);
  state_->text = gbkText;
}

void UpdateService::setChangeLog(const std::string& gbkHtml) {
  std::lock_guard<std::mutex> lock(state_->mu);
  state_->log = gbkHtml;
}

std::string UpdateService::updateText(const std::string& version, const std::string& gbkName,
                                      const std::string& gbkDate, const std::string& address) {
  static const std::string marker = text::gbk("苍梧");
  return marker + "#" + version + "#" + gbkName + "#" + gbkDate + "#" + address;
}

}  // namespace stubs

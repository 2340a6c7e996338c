// The stand-ins of a session: loopback servers, each on a free port, that play the outside web
// services a plug-in calls, so that a session never reaches the internet. They are named by the
// variables a session uses for their base addresses: PORTRAIT (QQ's portrait service, which gives
// nicknames), AVATAR (QQ's avatar pictures), PICTURES (pictures posted in groups), RECOGNITION
// (image text recognition), YILE (a 亿乐 community site), JIUWU (a 玖伍 community site) and UPDATE
// (the update text and change log that the settings window reads).
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace irhost {

// The one account the two community stand-ins accept (玖伍 checks the MD5 of the password).
inline constexpr const char* kSiteAccount = "demo";
inline constexpr const char* kSitePassword = "demo123";

class StandIns {
 public:
  StandIns();  // starts every server
  ~StandIns();
  StandIns(const StandIns&) = delete;
  StandIns& operator=(const StandIns&) = delete;

  // {variable name, base address such as "http://127.0.0.1:40123"}, in a fixed order.
  const std::vector<std::pair<std::string, std::string>>& addresses() const;

  // What the portrait service answers for `qq` (both GBK).
  void setNickname(const std::string& qq, const std::string& nickname);

  // PICTURES serves a small picture at "/" + `name`; the recognition service reads `utf8Texts`
  // (one block each) in exactly that picture's bytes.
  void addPicture(const std::string& name, const std::vector<std::string>& utf8Texts);

  // One line for each request the servers received since the last call, server by server in the
  // order of addresses(); a community order also shows whether the site accepted it.
  void printNewRequests(std::ostream& out);

  // Every order each community site received so far, with the site's verdict.
  void printOrders(std::ostream& out) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace irhost

// OneBot frames read as IR_Event calls; the duplicates implementations send are dropped.
#include <gtest/gtest.h>

#include "onebot/events.h"
#include "stubs/onebot_standin.h"
#include "text/gbk.h"

using nlohmann::json;
using onebot::EventCall;
using onebot::FrameKind;
using stubs::OneBotStandin;

namespace {

onebot::Frame read(const json& j, onebot::PictureTable& pictures) { return onebot::readFrame(j.dump(), pictures); }

TEST(ReadFrame, EventsBecomeCallsWithTheirFields) {
  struct Case {
    const char* name;
    json frame;
    int kind;
    std::string group, active, passive, message, messageId, flag;
  } cases[] = {
      {"group message", OneBotStandin::groupMessage("10001", 20002, 30003, -414206850, json::array({{{"type", "text"}, {"data", {{"text", "签到"}}}}})),
       2, "20002", "30003", "", "签到", "-414206850", ""},
      {"approved join", OneBotStandin::memberIncrease("10001", 20002, 30003, 40004, "approve"), 212, "20002", "40004", "30003", "", "", ""},
      {"invited", OneBotStandin::memberIncrease("10001", 20002, 30003, 40004, "invite"), 219, "20002", "40004", "30003", "", "", ""},
      {"invite with operator 0 is a join", OneBotStandin::memberIncrease("10001", 20002, 30003, 0, "invite"), 212, "20002", "", "30003", "", "", ""},
      {"join request", OneBotStandin::joinRequest("10001", 20002, 30003, "问题：来自哪\n答案：贴吧", "seq-1"), 213, "20002", "30003", "",
       "问题：来自哪\n答案：贴吧", "", "seq-1"},
      {"request proposed by a member", OneBotStandin::joinRequest("10001", 20002, 30003, "", "seq-2", 40004), 214, "20002", "30003", "40004", "", "", "seq-2"},
      {"numbers sent as strings", json{{"self_id", "10001"}, {"post_type", "request"}, {"request_type", "group"}, {"sub_type", "add"},
                                       {"group_id", "20002"}, {"user_id", "30003"}, {"comment", nullptr}, {"flag", "f"}},
       213, "20002", "30003", "", "", "", "f"},
  };
  for (const auto& c : cases) {
    onebot::PictureTable pictures;
    const auto f = read(c.frame, pictures);
    ASSERT_EQ(f.kind, FrameKind::Event) << c.name << ": " << f.what;
    const EventCall& e = *f.event;
    EXPECT_EQ(e.robot, "10001") << c.name;
    EXPECT_EQ(e.kind, c.kind) << c.name;
    EXPECT_EQ(e.group, c.group) << c.name;
    EXPECT_EQ(e.active, c.active) << c.name;
    EXPECT_EQ(e.passive, c.passive) << c.name;
    EXPECT_EQ(text::gbkToUtf8(e.message), c.message) << c.name;
    EXPECT_EQ(e.messageNo, c.messageId) << c.name;
    EXPECT_EQ(e.messageId, c.messageId) << c.name;
    EXPECT_EQ(e.flag, c.flag) << c.name;
  }
}

TEST(ReadFrame, WhatThePlugInDoesNotGet) {
  auto own = OneBotStandin::groupMessage("10001", 20002, 10001, 1, json::array());
  auto sent = OneBotStandin::groupMessage("10001", 20002, 30003, 1, json::array());
  sent["post_type"] = "message_sent";
  auto privateMessage = OneBotStandin::groupMessage("10001", 0, 30003, 1, json::array());
  privateMessage["message_type"] = "private";
  auto botInvited = OneBotStandin::joinRequest("10001", 20002, 30003, "", "f");
  botInvited["sub_type"] = "invite";
  struct Case {
    const char* name;
    std::string frame;
    FrameKind kind;
  } cases[] = {
      {"own message", own.dump(), FrameKind::Skipped},
      {"own message as message_sent", sent.dump(), FrameKind::Skipped},
      {"private message", privateMessage.dump(), FrameKind::Skipped},
      {"heartbeat", OneBotStandin::heartbeat("10001").dump(), FrameKind::Skipped},
      {"robot invited into a group", botInvited.dump(), FrameKind::Skipped},
      {"robot itself joined", OneBotStandin::memberIncrease("10001", 20002, 10001, 0, "approve").dump(), FrameKind::Skipped},
      {"group decrease", json{{"self_id", 1}, {"post_type", "notice"}, {"notice_type", "group_decrease"}}.dump(), FrameKind::Skipped},
      {"reply", R"({"status":"ok","retcode":0,"data":null,"echo":"x"})", FrameKind::Reply},
      {"malformed JSON", "{\"post_type\":", FrameKind::Malformed},
      {"not an object", "[1,2]", FrameKind::Malformed},
      {"nesting bomb", std::string(100000, '[') + std::string(100000, ']'), FrameKind::Malformed},
      {"event without robot", R"({"post_type":"message","message_type":"group","group_id":1,"user_id":2})", FrameKind::Malformed},
      {"request without flag", R"({"self_id":1,"post_type":"request","request_type":"group","sub_type":"add","group_id":1,"user_id":2})",
       FrameKind::Malformed},
  };
  for (const auto& c : cases) {
    onebot::PictureTable pictures;
    const auto f = onebot::readFrame(c.frame, pictures);
    EXPECT_EQ(f.kind, c.kind) << c.name << ": " << f.what;
    EXPECT_FALSE(f.event) << c.name;
  }
}

EventCall increase(const std::string& group, const std::string& member, int kind = 212) {
  EventCall e;
  e.robot = "1";
  e.kind = kind;
  e.group = group;
  e.passive = member;
  return e;
}

TEST(DuplicateFilter, DropsRepeatedRequestsAndIncreasesWithinTheWindow) {
  using namespace std::chrono_literals;
  onebot::DuplicateFilter filter(60s);
  const auto t0 = onebot::DuplicateFilter::Clock::time_point{} + 1000s;

  EventCall request;
  request.robot = "1";
  request.kind = 213;
  request.flag = "g|1|add";
  EXPECT_TRUE(filter.admit(request, t0));
  EXPECT_FALSE(filter.admit(request, t0 + 3600s)) << "a flag answers one request only";
  request.kind = 214;
  EXPECT_FALSE(filter.admit(request, t0)) << "same flag, told as a proposal";
  request.flag = "g|2|add";
  EXPECT_TRUE(filter.admit(request, t0));

  EXPECT_TRUE(filter.admit(increase("g", "m"), t0));
  EXPECT_FALSE(filter.admit(increase("g", "m", 219), t0 + 1s)) << "invite told after approve (NapCat)";
  EXPECT_TRUE(filter.admit(increase("g", "other"), t0 + 1s));
  EXPECT_TRUE(filter.admit(increase("h", "m"), t0 + 1s));
  EXPECT_FALSE(filter.admit(increase("g", "m"), t0 + 59s));
  EXPECT_TRUE(filter.admit(increase("g", "m"), t0 + 60s)) << "a member may leave and come back";

  EventCall message;
  message.robot = "1";
  message.kind = 2;
  EXPECT_TRUE(filter.admit(message, t0));
  EXPECT_TRUE(filter.admit(message, t0));
}

TEST(RequestFlags, LatestFlagOfAnApplicant) {
  onebot::RequestFlags flags;
  EventCall r;
  r.robot = "1";
  r.group = "g";
  r.active = "a";
  r.flag = "f1";
  flags.remember(r);
  r.flag = "f2";
  flags.remember(r);
  EXPECT_EQ(flags.find("1", "g", "a"), "f2");
  EXPECT_EQ(flags.find("1", "h", "a"), "");
  EXPECT_EQ(flags.find("2", "g", "a"), "");
}

}  // namespace

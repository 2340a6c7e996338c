// The binding made at load: this executable exports the recording host's Api_* functions, so the
// binding found them by name, as it finds a real host's.
#include "hostapi/host_api.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/recording_host.h"
#include "text/gbk.h"

namespace {

using support::HostCall;

class HostApiBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hostapi::setHostApi(nullptr);
    support::host().clear();
  }
};

TEST_F(HostApiBindingTest, EveryFunctionReachesTheHostWithItsArgumentsInOrder) {
  auto& api = hostapi::hostApi();
  const std::string text = text::gbk("欢迎[IR:at=10001]");
  api.SendMsg("10000", 2, "20002", "10001", text, 0);
  api.SendXML("10000", 1, 2, "20002", "10001", "<msg/>", 2);
  api.HandleEvent("10000", 213, "10001", "20002", 20, text::gbk("等级不足"));
  api.GetObjLevel("10000", "10001");
  api.GetSign("10000", "10001");
  api.ShutUP("10000", "20002", "10001", 600);
  api.KickGroupMBR("10000", "20002", "10001", false);
  api.KickGroupMBR("10000", "20002", "10001", true);
  api.WithdrawMsg("10000", "20002", "55", "66");
  api.GetPicLink("10000", 1, "20002", "[IR:pic=abc.jpg]");
  api.OutPutLog("line");
  api.GetQQList();
  api.GetGroupList("10000");
  api.GetNick("10000", "10001");

  const std::vector<HostCall> expected = {
      {"Api_SendMsg", {"10000", "2", "20002", "10001", text, "0"}},
      {"Api_SendXML", {"10000", "1", "2", "20002", "10001", "<msg/>", "2"}},
      {"Api_HandleEvent", {"10000", "213", "10001", "20002", "20", text::gbk("等级不足")}},
      {"Api_GetObjLevel", {"10000", "10001"}},
      {"Api_GetSign", {"10000", "10001"}},
      {"Api_ShutUP", {"10000", "20002", "10001", "600"}},
      {"Api_KickGroupMBR", {"10000", "20002", "10001", "0"}},
      {"Api_KickGroupMBR", {"10000", "20002", "10001", "1"}},
      {"Api_WithdrawMsg", {"10000", "20002", "55", "66"}},
      {"Api_GetPicLink", {"10000", "1", "20002", "[IR:pic=abc.jpg]"}},
      {"Api_OutPutLog", {"line"}},
      {"Api_GetQQList", {}},
      {"Api_GetGroupList", {"10000"}},
      {"Api_GetNick", {"10000", "10001"}},
  };
  EXPECT_EQ(support::host().calls(), expected);
}

TEST_F(HostApiBindingTest, AnswersComeBackAsOwnedCopies) {
  auto& host = support::host();
  host.setLevel("10001", 33);
  host.setLevel("*", 5);
  host.setSign("10001", text::gbk("签名一"));
  host.setSign("10002", text::gbk("签名二"));
  host.setNick("10001", text::gbk("小明"));
  host.setPicLink("[IR:pic=abc.jpg]", "http://127.0.0.1/abc.jpg");
  host.setGroupList("{groups}");
  host.setQQList("10000");

  auto& api = hostapi::hostApi();
  EXPECT_EQ(api.GetObjLevel("10000", "10001"), 33);
  EXPECT_EQ(api.GetObjLevel("10000", "19999"), 5);
  // The host reuses its buffer on the next call; the first answer must not change with it.
  std::string first = api.GetSign("10000", "10001");
  std::string second = api.GetSign("10000", "10002");
  EXPECT_EQ(first, text::gbk("签名一"));
  EXPECT_EQ(second, text::gbk("签名二"));
  EXPECT_EQ(api.GetNick("10000", "10001"), text::gbk("小明"));
  EXPECT_EQ(api.GetPicLink("10000", 1, "20002", "[IR:pic=abc.jpg]"), "http://127.0.0.1/abc.jpg");
  EXPECT_EQ(api.GetGroupList("10000"), "{groups}");
  EXPECT_EQ(api.GetQQList(), "10000");
}

TEST_F(HostApiBindingTest, NullTextsFromTheHostReadAsEmpty) {
  auto& host = support::host();
  host.setSign("*", "x");
  host.setNick("*", "x");
  host.setPicLink("[IR:pic=a.jpg]", "x");
  host.setGroupList("x");
  host.setQQList("x");
  host.answerNullTexts(true);
  auto& api = hostapi::hostApi();
  EXPECT_EQ(api.GetSign("1", "2"), "");
  EXPECT_EQ(api.GetNick("1", "2"), "");
  EXPECT_EQ(api.GetPicLink("1", 1, "3", "[IR:pic=a.jpg]"), "");
  EXPECT_EQ(api.GetGroupList("1"), "");
  EXPECT_EQ(api.GetQQList(), "");
}

TEST_F(HostApiBindingTest, InstalledBindingTakesOverUntilRemoved) {
  auto fake = std::make_shared<support::RecordingHost>();
  EXPECT_EQ(hostapi::setHostApi(fake), nullptr);
  hostapi::hostApi().OutPutLog("to the fake");
  EXPECT_EQ(fake->calls().size(), 1u);
  EXPECT_TRUE(support::host().calls().empty());

  EXPECT_EQ(hostapi::setHostApi(nullptr), fake);
  hostapi::hostApi().OutPutLog("to the host");
  EXPECT_EQ(fake->calls().size(), 1u);
  EXPECT_EQ(support::host().calls().size(), 1u);
}

}  // namespace

// A process without the host's functions: every function is a harmless no-op.
#include <gtest/gtest.h>

#include "hostapi/host_api.h"

TEST(HostApiWithoutHost, FunctionsAreNoOpsAnsweringZeroAndEmpty) {
  auto& api = hostapi::hostApi();
  api.SendMsg("1", 2, "3", "4", "x", 0);
  api.SendXML("1", 1, 2, "3", "4", "x", 2);
  api.HandleEvent("1", 213, "4", "3", 10, "");
  api.ShutUP("1", "3", "4", 60);
  api.KickGroupMBR("1", "3", "4", false);
  api.WithdrawMsg("1", "3", "5", "6");
  api.OutPutLog("x");
  EXPECT_EQ(api.GetObjLevel("1", "4"), 0);
  EXPECT_EQ(api.GetSign("1", "4"), "");
  EXPECT_EQ(api.GetPicLink("1", 1, "3", "[IR:pic=a.jpg]"), "");
  EXPECT_EQ(api.GetQQList(), "");
  EXPECT_EQ(api.GetGroupList("1"), "");
  EXPECT_EQ(api.GetNick("1", "4"), "");
}

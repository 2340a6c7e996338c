// Group messages and join requests delivered through IR_Event: the features run in their fixed
// order, each with the profile the core switch gives it.
#include "export_fixture.h"

namespace events_test {
namespace {

const std::string kBoundary = "2ac82af7-ef49-404b-8717-f4f9bd7e9f47";

class MessageExportTest : public ExportTest {
 protected:
  // Moderation and keyword reply on in `folder`: words 广告#代刷, 38 minutes, no withdrawal,
  // fuzzy library 领取---好的, and a picture whose text holds 广告.
  void moderateAndAnswer(const std::string& folder) {
    makeProfile(folder);
    setKey(folder, "群管系统", "禁言关键词", gbk("广告#代刷#名片赞"));
    setKey(folder, "群管系统", "是否撤回消息", gbk("假"));
    setKey(folder, "关键词回复", "词库", gbk("领取---好的"));
    support::host().setPicLink(gbk("[IR:pic={P1}.jpg]"), qq_.baseUrl() + "/headimg_dl?dst_uin=777&spec=100&img_type=jpg");
    recognition_.addTexts(stubs::AvatarService::pictureFor("777"), {"打广告"});
  }
  std::vector<stubs::RecordedRequest> requestsTo(const std::string& path) const {
    std::vector<stubs::RecordedRequest> out;
    for (const auto& r : qq_.requests())
      if (r.target.substr(0, r.target.find('?')) == path) out.push_back(r);
    return out;
  }
  static std::string ban(const std::string& qq) { return "ShutUP(10000|20002|" + qq + "|2280)"; }
  static std::string textNotice(const std::string& qq, const std::string& word) {
    return "SendMsg(10000|2|20002|" + qq + "|[IR:at=" + qq + "]\r\n因为您发送了违禁词[" + word + "]\r\n为此禁言您38分钟|0)";
  }
  static std::string pictureNotice(const std::string& qq, const std::string& word) {
    return "SendMsg(10000|2|20002|" + qq + "|[IR:at=" + qq + "]\r\n因为您的图片包含违禁词[" + word +
           "]\r\n为此禁言您38分钟|0)";
  }
};

TEST_F(MessageExportTest, ClaimModerationAndReplyAllRunInOrder) {
  setSharedSwitch("假");
  moderateAndAnswer("20002");
  deliver(2, "20002", "10001", "", gbk("领取名片赞"));
  EXPECT_EQ(actions(), (std::vector<std::string>{"SendMsg(10000|2|20002|10001|当前群未开启每日领取|-1)", ban("10001"),
                                                 textNotice("10001", "名片赞"), "SendMsg(10000|2|20002|10001|好的|0)"}));
}

TEST_F(MessageExportTest, APictureIsDownloadedAndItsTextChecked) {
  setSharedSwitch("真");
  moderateAndAnswer("默认配置");
  const std::string message = gbk("看[IR:pic={P1}.jpg]");
  deliver(2, "20002", "10001", "", message);

  EXPECT_EQ(allCalls(support::host()),
            (std::vector<std::string>{"GetPicLink(10000|1|20002|[IR:pic={P1}.jpg])", "OutPutLog(\r\n打广告)", ban("10001"),
                                      pictureNotice("10001", "广告")}));
  const auto downloads = requestsTo("/headimg_dl");
  ASSERT_EQ(downloads.size(), 1u);
  EXPECT_EQ(downloads[0].method, "GET");
  EXPECT_EQ(downloads[0].target, "/headimg_dl?dst_uin=777&spec=100&img_type=jpg");
  const auto uploads = requestsTo("/v2/ocr/json");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(uploads[0].method, "POST");
  EXPECT_EQ(uploads[0].header("Content-Type"), "multipart/form-data;boundary=" + kBoundary);
  EXPECT_EQ(uploads[0].body, "--" + kBoundary +
                                 "\r\nContent-Disposition:form-data; name=\"pic\"; filename=\"1499218399351408d5c68463b2705.jpg\""
                                 "\r\nContent-Type:image/pjpeg\r\n\r\n" +
                                 stubs::AvatarService::pictureFor("777") + "\r\n--" + kBoundary + "--");
}

TEST_F(MessageExportTest, WithoutTheCoreKeyOnlyThePictureCheckStaysOff) {
  // The core file exists (it holds the service addresses) but not the switch.
  moderateAndAnswer("20002");
  deliver(2, "20002", "10001", "", gbk("代刷[IR:pic={P1}.jpg]"));
  EXPECT_EQ(allCalls(support::host()), (std::vector<std::string>{ban("10001"), textNotice("10001", "代刷")}));
  EXPECT_TRUE(qq_.requests().empty());

  support::host().clearCalls();
  deliver(2, "20002", "10001", "", gbk("领取"));
  EXPECT_EQ(actions(), std::vector<std::string>{"SendMsg(10000|2|20002|10001|好的|0)"});
}

TEST_F(MessageExportTest, AnotherCoreTextLeavesOnlyJoinsHandled) {
  setSharedSwitch("是");
  moderateAndAnswer("20002");
  deliver(2, "20002", "10001", "", gbk("代刷领取[IR:pic={P1}.jpg]"));
  deliver(213, "20002", "10001", "");
  EXPECT_EQ(allCalls(support::host()), std::vector<std::string>{});
  setKey("20002", "自定义话语", "入群消息", gbk("[入群QQ]来了"));
  deliver(212, "20002", "40004", "10001");
  EXPECT_EQ(actions(), std::vector<std::string>{"SendMsg(10000|212|20002|40004|10001来了|0)"});
  EXPECT_EQ(config::ReadValue(config::RecordsPath("20002", gbk("入群账号.ini")), "10001", gbk("已入群号")), "20002");
  // No profile applies to the order.
  EXPECT_TRUE(orderBodies().empty());
}

TEST_F(MessageExportTest, AGroupWithoutAProfileOnlyAnswersTheClaim) {
  setSharedSwitch("假");
  deliver(2, "20002", "10001", "", gbk("领取名片赞"));
  deliver(2, "20002", "10001", "", gbk("代刷[IR:pic={P1}.jpg]"));
  EXPECT_EQ(allCalls(support::host()), std::vector<std::string>{"SendMsg(10000|2|20002|10001|当前群未开启每日领取|-1)"});
}

TEST_F(MessageExportTest, JoinRequestsAreScreened) {
  setSharedSwitch("假");
  makeProfile("20002");
  setKey("20002", "QQ名字关键词", "QQ名字关键词", gbk("代刷"));
  portrait_.setNickname("10001", gbk("专业代刷"));
  deliver(213, "20002", "10001", "");
  deliver(214, "20002", "10001", "");
  deliver(215, "20002", "10001", "");
  EXPECT_EQ(actions(), (std::vector<std::string>{"HandleEvent(10000|213|10001|20002|20|您的QQ名称带有违禁词)",
                                                 "HandleEvent(10000|213|10001|20002|10|)",
                                                 "HandleEvent(10000|213|10001|20002|10|)"}));
  const auto lookups = requestsTo("/fcg-bin/cgi_get_portrait.fcg");
  ASSERT_FALSE(lookups.empty());
  EXPECT_EQ(lookups[0].target, "/fcg-bin/cgi_get_portrait.fcg?uins=10001");
}

}  // namespace
}  // namespace events_test

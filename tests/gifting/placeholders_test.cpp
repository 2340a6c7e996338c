// Template filling and the host's inline codes.
#include "gifting/placeholders.h"
#include "gifting_fixture.h"

namespace gifting_test {
namespace {

using gifting::FillStep;

std::function<std::optional<std::string>()> give(std::string value) {
  return [value] { return std::optional<std::string>(value); };
}

TEST(FillTemplate, StepsRunInOrderIgnoringLetterCase) {
  int orderSteps = 0;
  const std::vector<FillStep> steps = {
      {"[A]", give("a[B][C]")},  // a value holding a later placeholder has it filled too
      {"[Order]", [&] { ++orderSteps; return std::optional<std::string>("placed"); }},
      {"[B]", give("b[A]")},     // an earlier placeholder stays
      {"[Skip]", [] { return std::optional<std::string>(); }},
      {"[C]", give("c")},
  };
  EXPECT_EQ(gifting::fillTemplate("[a]|[b]|[Skip]|[x]", steps), "ab[A]c|b[A]|[Skip]|[x]");
  EXPECT_EQ(orderSteps, 1);  // produced even though the template lacks it
}

TEST(FillTemplate, GbkTrailBytesNeverStartAPlaceholder) {
  // 乕 is 81 5B: its trail byte is "[", which must not open a placeholder.
  const std::string text = gbk("乕") + "A]";
  EXPECT_EQ(gifting::fillTemplate(text, {{"[A]", give("!")}}), text);
}

class InlineCodesTest : public GiftingTest {};

TEST_F(InlineCodesTest, CodesUseTheConfiguredAvatarService) {
  EXPECT_EQ(gifting::atCode("10001"), "[IR:at=10001]");
  writeCore(gbk("服务地址"), gbk("头像服务"), "http://avatars.test/");
  EXPECT_EQ(gifting::avatarCode("10001", 100), "[IR:pic=http://avatars.test/headimg_dl?dst_uin=10001&spec=100&img_type=jpg]");
}

TEST_F(InlineCodesTest, TailFallsBackToALineMarkerAndLosesLineBreaks) {
  const std::string profile = config::ProfilePath("20002");
  EXPECT_EQ(gifting::tailText(profile), gbk("[换行]"));
  writeProfile("20002", "自定义话语", "小尾巴", gbk("尾[换行]巴"));
  EXPECT_EQ(gifting::tailText(profile), gbk("尾[换行]巴"));
  writeProfile("20002", "自定义话语", "小尾巴", "");
  EXPECT_EQ(gifting::tailText(profile), "");
}

}  // namespace
}  // namespace gifting_test

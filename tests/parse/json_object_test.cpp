#include "parse/json_object.h"

#include <gtest/gtest.h>

#include "text/gbk.h"

using parse::JsonObject;
using text::gbk;

namespace {

const std::string kRecognitionReply = gbk(
    R"({"code":0,"result":[{"content":"第一行","score":0.98},{"content":"second"},)"
    R"({"content":"加群送赞","box":[1,2]}],"meta":{"n":12,"half":1.5,"big":1e21,"tiny":1e-7,"neg":-0.25}})");

TEST(JsonObject, ReadsRecognitionReplyByPath) {
  JsonObject j;
  ASSERT_TRUE(j.Parse(kRecognitionReply));
  EXPECT_EQ(j.MemberCount("result"), 3);
  EXPECT_EQ(j.PropertyText("result[0].content"), gbk("第一行"));
  EXPECT_EQ(j.PropertyText("result[2].content"), gbk("加群送赞"));
  EXPECT_EQ(j.MemberCount(), 3);  // keys of the root object
  EXPECT_EQ(j.MemberCount("result[2].box"), 2);
}

TEST(JsonObject, PathsThatNameNothingReadAsEmpty) {
  JsonObject j;
  ASSERT_TRUE(j.Parse(kRecognitionReply));
  for (const char* path : {"result[5].content", "result[1].missing", "nothing", "nothing.deeper", "result.content",
                           "code.x", "result[x]", "result[", "result[-1]", "result..content", "[0]", "meta."}) {
    EXPECT_EQ(j.PropertyText(path), "") << path;
    EXPECT_EQ(j.PropertyText(path, true), "") << path;
    EXPECT_EQ(j.MemberCount(path), 0) << path;
    EXPECT_EQ(j.TypeOf(path), 0) << path;
  }
}

TEST(JsonObject, NumbersInShortestDecimalForm) {
  JsonObject j;
  ASSERT_TRUE(j.Parse(kRecognitionReply));
  const std::pair<const char*, const char*> cases[] = {
      {"meta.n", "12"},       {"meta.half", "1.5"},  {"meta.big", "1e+21"}, {"meta.tiny", "1e-7"},
      {"meta.neg", "-0.25"},  {"code", "0"},         {"result[0].score", "0.98"},
  };
  for (auto [path, expected] : cases) EXPECT_EQ(j.PropertyText(path), expected) << path;
  ASSERT_TRUE(j.Parse(R"([12.0, 100, 123456789012, 0.1, 1e300, -0.0, 18446744073709551615])"));
  const char* expected[] = {"12", "100", "123456789012", "0.1", "1e+300", "0", "18446744073709551615"};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(j.MemberText(i), expected[i]) << i;
}

TEST(JsonObject, AsJsonGivesCompactSerialisation) {
  JsonObject j;
  ASSERT_TRUE(j.Parse(gbk(R"({ "a" : { "s" : "引\"号\n", "list" : [ 1 , 2.50 , true , null ] } })")));
  EXPECT_EQ(j.PropertyText("a", true), gbk(R"({"s":"引\"号\n","list":[1,2.5,true,null]})"));
  EXPECT_EQ(j.PropertyText("a.s", true), gbk(R"("引\"号\n")"));
  EXPECT_EQ(j.PropertyText("a.s"), gbk("引\"号\n"));
  EXPECT_EQ(j.PropertyText("a.list[3]", true), "");  // null reads as nothing
  EXPECT_EQ(j.PropertyText("a.list[2]"), "true");
  EXPECT_EQ(j.ToJson(), gbk(R"({"a":{"s":"引\"号\n","list":[1,2.5,true,null]}})"));
}

TEST(JsonObject, RootArrayPathsAndQuotedKeys) {
  JsonObject j;
  ASSERT_TRUE(j.Parse(R"([{"a":1},{"a":"two","b c":{"x.y":3}},[5,6],7])"));
  EXPECT_EQ(j.MemberCount(), 4);
  EXPECT_EQ(j.PropertyText("[1].a"), "two");
  EXPECT_EQ(j.PropertyText("[2][1]"), "6");
  EXPECT_EQ(j.PropertyText("[3]"), "7");
  EXPECT_EQ(j.PropertyText("[1][\"b c\"]['x.y']"), "3");
  EXPECT_EQ(j.PropertyText("a"), "");  // a name on an array names nothing
  EXPECT_EQ(j.TypeOf(), 5);
  EXPECT_EQ(j.TypeOf("[0]"), 4);
  EXPECT_EQ(j.TypeOf("[0].a"), 2);
  EXPECT_EQ(j.TypeOf("[1].a"), 6);
}

TEST(JsonObject, ParseRejectsWhatIsNotAValue) {
  const char* bad[] = {"", "null", "  null  ", R"({"result":[1,2)", "{'a':1}", "{a:1}", "[1,]", "[1] x",
                       "// c\n[1]", "1e400", "\"unclosed", "{\"a\":1}}"};
  for (const char* text : bad) {
    JsonObject j;
    EXPECT_FALSE(j.Parse(text)) << text;
    EXPECT_EQ(j.PropertyText(""), "");
    EXPECT_EQ(j.MemberCount(), 0);
    EXPECT_EQ(j.ToJson(), "null");
  }
  JsonObject scalar;
  EXPECT_TRUE(scalar.Parse(" \"text\" "));
  EXPECT_EQ(scalar.PropertyText(""), "text");
  EXPECT_TRUE(scalar.Parse("false"));
}

TEST(JsonObject, SecondParseReplacesFirstRoot) {
  JsonObject j;
  ASSERT_TRUE(j.Parse(kRecognitionReply));
  ASSERT_TRUE(j.Parse(R"({"other":[1,2,3,4]})"));
  EXPECT_EQ(j.PropertyText("result[0].content"), "");
  EXPECT_EQ(j.MemberCount("result"), 0);
  EXPECT_EQ(j.MemberCount("other"), 4);
  EXPECT_FALSE(j.Parse("{broken"));
  EXPECT_EQ(j.MemberCount("other"), 0);
}

TEST(JsonObject, RepeatedKeysKeepFirstPositionAndLastValue) {
  std::string many = "{";
  for (int i = 0; i < 40; ++i) many += "\"k" + std::to_string(i % 20) + "\":" + std::to_string(i) + ",";
  many += "\"z\":0}";
  JsonObject j;
  ASSERT_TRUE(j.Parse(many));
  EXPECT_EQ(j.MemberCount(), 21);
  EXPECT_EQ(j.PropertyText("k3"), "23");
  std::vector<std::string> keys;
  EXPECT_EQ(j.Keys(keys), 21);
  EXPECT_EQ(keys.front(), "k0");
  EXPECT_EQ(keys[19], "k19");
  EXPECT_EQ(keys.back(), "z");
  ASSERT_TRUE(j.Parse(R"({"b":1,"a":2,"b":3})"));
  EXPECT_EQ(j.ToJson(), R"({"b":3,"a":2})");
}

TEST(JsonObject, InvalidGbkNeverBreaksReading) {
  JsonObject j;
  // A lone lead byte and an FF byte inside a string read as substitutes; outside a string they are
  // not JSON.
  ASSERT_TRUE(j.Parse(std::string("{\"a\":\"x\x81\xFFy\"}")));
  EXPECT_EQ(j.PropertyText("a"), "x??y");
  EXPECT_FALSE(j.Parse(std::string("{\"a\":1\xFF}")));
  // A character GBK lacks comes back as the substitute.
  ASSERT_TRUE(j.Parse(R"({"e":"\ud83d\ude00!"})"));
  EXPECT_EQ(j.PropertyText("e"), "?!");
  EXPECT_EQ(j.PropertyText(std::string("e\x81")), "");
}

TEST(JsonObject, WritingOperations) {
  JsonObject j;
  EXPECT_EQ(j.ToJson(), "{}");
  j.SetProperty("name", gbk("小明"));
  j.SetProperty("obj", "", true);
  j.SetProperty("list", "[1,2]", true);
  j.SetProperty("bad", "[1,", true);  // not JSON: no change
  j.SetPropertyJson("n", "null");
  j.SetNumber("x", 2.5);
  EXPECT_EQ(j.ToJson(), gbk(R"({"name":"小明","obj":{},"list":[1,2],"n":null,"x":2.5})"));
  EXPECT_EQ(j.GetNumber("x"), 2.5);
  EXPECT_EQ(j.GetNumber("name"), 0.0);
  EXPECT_EQ(j.GetPropertyJson("list"), "[1,2]");
  EXPECT_TRUE(j.Has("name"));
  EXPECT_FALSE(j.Has("n"));
  EXPECT_FALSE(j.Has("missing"));

  j.AddMember("3", "list", true);
  j.AddMember("s", "fresh");  // a missing member becomes an array first
  j.AddMember("t", "name");   // so does one that is not an array
  EXPECT_EQ(j.PropertyText("list", true), "[1,2,3]");
  EXPECT_EQ(j.PropertyText("fresh", true), R"(["s"])");
  EXPECT_EQ(j.PropertyText("name", true), R"(["t"])");

  JsonObject part = j.PropertyObject("list");
  EXPECT_EQ(part.MemberCount(), 3);
  part.SetMember(1, "b");
  part.SetMember(4, "{\"k\":1}", true);
  part.RemoveMember(0);
  part.RemoveMember(9);
  EXPECT_EQ(part.ToJson(), R"(["b",3,null,{"k":1}])");
  EXPECT_EQ(j.PropertyText("list", true), "[1,2,3]");  // the copy is independent
  EXPECT_EQ(part.MemberObject(3).PropertyText("k"), "1");
  EXPECT_EQ(part.MemberText(3, "", true), R"({"k":1})");
  EXPECT_EQ(part.MemberObject(7).ToJson(), "null");

  std::vector<std::string> keys{"stale"};
  EXPECT_EQ(j.Keys(keys), 6);
  EXPECT_EQ(keys[0], "name");
  EXPECT_EQ(j.Keys(keys, "list"), 0);
  EXPECT_TRUE(keys.empty());

  j.Reset(5);
  EXPECT_EQ(j.ToJson(), "[]");
  j.Reset(7);
  EXPECT_EQ(j.ToJson(), "[]");
  j.Reset(4);
  EXPECT_EQ(j.ToJson(), "{}");
  j.SetRoot("[true]", true);
  EXPECT_EQ(j.TypeOf("[0]"), -1);
  j.SetRoot(gbk("文"));
  EXPECT_EQ(j.ToJson(), gbk("\"文\""));
  j.Clear();
  EXPECT_EQ(j.ToJson(), "{}");
}

}  // namespace

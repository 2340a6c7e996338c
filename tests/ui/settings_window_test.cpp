// The settings window driven through its controls, found by name, on a real plug-in folder: every
// assertion about storage reads the bytes of the INI files.
#include "window_fixture.h"

namespace {

using namespace ui_test;
using ui::LinkLabel;
using ui::SettingsWindow;

TEST_F(WindowTest, AFreshInstallationGetsTheBuiltinProfileTheCardTemplateAndShowsTheirValues) {
  open();
  EXPECT_EQ(fileBytes(defaultProfile()), config::builtinProfileText());  // loading stored nothing
  EXPECT_EQ(fileBytes(config::CardTemplatePath()), gifting::defaultCardTemplate());
  EXPECT_EQ(c<QPlainTextEdit>("编辑框61")->toPlainText().replace('\n', "\r\n").toStdString(),
            text::gbkToUtf8(gifting::defaultCardTemplate()));
  for (const char* box : {"编辑框18", "编辑框19", "编辑框20"}) EXPECT_EQ(c<QLineEdit>(box)->text(), q("100")) << box;
  EXPECT_EQ(c<QLineEdit>("编辑框37")->text(), q("领取名片赞"));
  EXPECT_TRUE(c<QRadioButton>("单选框2")->isChecked());
  EXPECT_FALSE(c<QRadioButton>("单选框1")->isChecked());
  EXPECT_EQ(c<QComboBox>("组合框2")->currentIndex(), 1);
  EXPECT_EQ(c<QTabWidget>("选择夹4")->currentIndex(), 1);
  EXPECT_TRUE(c<QCheckBox>("选择框3")->isChecked());
  EXPECT_FALSE(c<QCheckBox>("选择框2")->isChecked());  // absent from the built-in text
  EXPECT_EQ(c<QPlainTextEdit>("编辑框23")->toPlainText().count('\n'), 6);  // "[换行]" shown as line breaks
  EXPECT_FALSE(fs::exists(config::CorePath()));
  EXPECT_EQ(window->size(), QSize(768, 590));
  EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(WindowTest, AnExistingEmptyProfileIsNotRefilledAndLoadsFallbacks) {
  fs::create_directories(fs::path(defaultProfile()).parent_path());
  std::ofstream(defaultProfile(), std::ios::binary).close();
  open();
  EXPECT_EQ(fileBytes(defaultProfile()), "");
  EXPECT_TRUE(c<QRadioButton>("单选框1")->isChecked());
  EXPECT_EQ(c<QComboBox>("组合框2")->currentIndex(), 0);
  EXPECT_EQ(c<QLineEdit>("编辑框18")->text(), QString());
}

TEST_F(WindowTest, SideMenuShowsEachPageAndColoursOnlyTheChosenItem) {
  open();
  const char* const items[] = {"插件界面", "社区配置", "代刷配置", "回复设置", "群管设置",
                               "赠送统计", "运行日志", "版本更新", "关于我们"};
  const int pages[] = {0, 5, 6, 1, 2, 3, 4, 7, 8};
  EXPECT_EQ(page(), 0);
  for (const char* item : items) EXPECT_EQ(colourOf(item), QColor(128, 0, 128)) << item;
  for (int i : {8, 2, 0, 7, 1, 3, 4, 5, 6}) {
    press(items[i]);
    EXPECT_EQ(page(), pages[i]) << items[i];
    for (int j = 0; j < 9; ++j) {
      const QColor expected = i == j ? QColor(255, 80, 128) : QColor(128, 0, 128);
      EXPECT_EQ(colourOf(items[j]), expected) << items[i] << " then " << items[j];
      EXPECT_EQ(colourOf((std::string(items[j]) + "图片").c_str()), expected);
    }
  }
}

TEST_F(WindowTest, PagingLinksMoveBetweenTheTwoModerationPages) {
  open();
  press("群管设置");
  press("第二页按钮");
  EXPECT_EQ(page(), 9);
  EXPECT_EQ(colourOf("第二页按钮1"), QColor(255, 0, 0));
  press("第一页按钮1");
  EXPECT_EQ(page(), 2);
  EXPECT_EQ(colourOf("第一页按钮1"), QColor(255, 0, 255));
  EXPECT_EQ(colourOf("第二页按钮"), QColor(255, 128, 0));
  press("第一页按钮");
  EXPECT_EQ(page(), 2);
  EXPECT_EQ(colourOf("第一页按钮"), QColor(255, 0, 0));
}

TEST_F(WindowTest, ListAndChooserSwitchTheirPagesAndStoreNothing) {
  open();
  const std::string before = fileBytes(defaultProfile());
  for (int row : {2, 0, 3, 1}) {
    c<QListWidget>("列表框1")->setCurrentRow(row);
    EXPECT_EQ(c<QTabWidget>("选择夹2")->currentIndex(), row);
  }
  for (int index : {3, 4, 0, 2}) {
    c<QComboBox>("组合框2")->setCurrentIndex(index);
    EXPECT_EQ(c<QTabWidget>("选择夹4")->currentIndex(), index);
  }
  EXPECT_EQ(fileBytes(defaultProfile()), before);
}

TEST_F(WindowTest, ShowHideLinksToggleThePasswordBoxesWithTheirColours) {
  open();
  struct Case {
    const char* link;
    const char* box;
    std::optional<QColor> pressColour, releaseColour;
  };
  const Case cases[] = {{"超级链接框13", "yl_4", std::nullopt, std::nullopt},
                        {"超级链接框15", "jw_1_5", QColor(255, 0, 255), QColor(0, 128, 128)},
                        {"超级链接框16", "jw_2_5", QColor(255, 0, 255), QColor(128, 0, 128)}};
  for (const Case& t : cases) {
    SCOPED_TRACE(t.link);
    auto* box = c<QLineEdit>(t.box);
    EXPECT_EQ(box->echoMode(), QLineEdit::Password);
    const QColor rest = colourOf(t.link);
    press(t.link);
    EXPECT_EQ(box->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(c<LinkLabel>(t.link)->text(), q("隐藏"));
    EXPECT_EQ(colourOf(t.link), t.pressColour.value_or(rest));
    release(t.link);
    EXPECT_EQ(colourOf(t.link), t.releaseColour.value_or(rest));
    pressAndRelease(t.link);
    EXPECT_EQ(box->echoMode(), QLineEdit::Password);
    EXPECT_EQ(c<LinkLabel>(t.link)->text(), q("显示"));
  }
}

TEST_F(WindowTest, ButtonsShowTheirPressAndReleaseColours) {
  open();
  MessageBoxCatcher modal;  // "使用说明" opens the help window modally
  struct Case {
    const char* link;
    QColor pressed, released;
  };
  const Case cases[] = {
      {"超级链接框2", QColor(255, 0, 255), QColor(255, 0, 0)},  {"超级链接框3", QColor(0, 224, 128), QColor(0, 128, 0)},
      {"超级链接框4", QColor(255, 0, 255), QColor(192, 96, 0)}, {"超级链接框5", QColor(255, 0, 255), QColor(128, 0, 128)},
      {"超级链接框6", QColor(255, 0, 255), QColor(128, 0, 0)},  {"超级链接框9", QColor(255, 0, 0), QColor(255, 80, 128)},
      {"超级链接框18", QColor(255, 80, 128), QColor(0, 128, 128)},
  };
  for (const Case& t : cases) {
    press(t.link);
    EXPECT_EQ(colourOf(t.link), t.pressed) << t.link;
    release(t.link);
    EXPECT_EQ(colourOf(t.link), t.released) << t.link;
  }
  EXPECT_EQ(ui::colorFromRef(0x8050FF), QColor(255, 80, 128));
}

// Each control's immediate save, into the default profile, a group's profile or the core file.
TEST_F(WindowTest, EveryControlStoresItsValueTheMomentItChanges) {
  open();
  fetchGroups(groupObject("20001", "甲"));
  struct Case {
    const char* control;
    std::function<void(QWidget*)> change;
    const char* section;
    const char* key;
    const char* expected;
  };
  auto type = [](const char* utf8) { return [s = q(utf8)](QWidget* w) { typeText(w, s); }; };
  auto retype = [](const char* utf8) {
    return [s = q(utf8)](QWidget* w) {
      if (auto* line = qobject_cast<QLineEdit*>(w)) line->clear();
      if (auto* lines = qobject_cast<QPlainTextEdit*>(w)) lines->clear();
      typeText(w, s);
    };
  };
  auto twoLines = [](QWidget* w) {
    qobject_cast<QPlainTextEdit*>(w)->clear();
    typeText(w, q("第一行"));
    QTest::keyClick(w, Qt::Key_Return);
    typeText(w, q("第二行"));
  };
  auto toggle = [](QWidget* w) { qobject_cast<QAbstractButton*>(w)->click(); };
  const Case cases[] = {
      {"编辑框17", twoLines, "关键词回复", "词库", "第一行[换行]第二行"},
      {"单选框1", toggle, "关键词回复", "消息匹配模式", "0"},
      {"单选框2", toggle, "关键词回复", "消息匹配模式", "1"},
      {"编辑框18", retype("250"), "名片赞数量", "入群赠送", "250"},
      {"编辑框19", retype("30"), "名片赞数量", "邀请赠送", "30"},
      {"编辑框20", retype("7"), "名片赞数量", "每日领取", "7"},
      {"编辑框37", retype("领赞"), "软件参数", "每日领取口令", "领赞"},
      {"选择框2", toggle, "软件参数", "入群是否赠送", "真"},
      {"选择框3", toggle, "软件参数", "邀请是否赠送", "假"},
      {"选择框4", toggle, "软件参数", "是否开启每日领取", "真"},
      {"选择框5", toggle, "软件参数", "是否踢出名称违禁", "真"},
      {"选择框6", toggle, "软件参数", "是否踢出低等级", "真"},
      {"选择框7", toggle, "软件参数", "是否踢出刷屏", "真"},
      {"选择框8", toggle, "软件参数", "是否踢出个签违禁", "真"},
      {"选择框9", toggle, "软件参数", "xml", "真"},
      {"选择框14", toggle, "软件参数", "是否踢出广告", "真"},
      {"编辑框26", type("赌博#代练"), "群管系统", "禁言关键词", "赌博#代练"},
      {"编辑框28", retype("60"), "群管系统", "关键词禁言时间", "60"},
      {"编辑框25", type("10001#10002"), "群管系统", "QQ白名单", "10001#10002"},
      {"选择框10", toggle, "群管系统", "是否撤回消息", "假"},
      {"选择框11", toggle, "群管系统", "是否开启图片文字检测", "假"},
      {"选择框12", toggle, "群管系统", "是否开启群管", "假"},
      {"编辑框27", retype("16"), "低等级", "等级", "16"},
      {"选择框16", toggle, "低等级", "是否开启", "真"},
      {"编辑框29", type("广告"), "QQ名字关键词", "QQ名字关键词", "广告"},
      {"编辑框30", type("加我"), "QQ签名关键词", "QQ签名关键词", "加我"},
      {"编辑框21", twoLines, "自定义话语", "入群消息", "第一行[换行]第二行"},
      {"编辑框22", twoLines, "自定义话语", "邀请消息", "第一行[换行]第二行"},
      {"编辑框23", twoLines, "自定义话语", "每日领取", "第一行[换行]第二行"},
      {"编辑框31", twoLines, "自定义话语", "今日已领取", "第一行[换行]第二行"},
      {"编辑框32", twoLines, "自定义话语", "重复入群", "第一行[换行]第二行"},
      {"编辑框24", twoLines, "自定义话语", "小尾巴", "第一行[换行]第二行"},
      {"编辑框4", retype("欢迎[QQ]"), "进群私聊", "进群私聊", "欢迎[QQ]"},
      {"选择框15", toggle, "进群私聊", "是否开启", "真"},
  };
  for (int row : {0, 1}) {  // the default profile, then group 20001
    selectGroupRow(row);
    const std::string path = row == 0 ? defaultProfile() : groupProfile("20001");
    for (const Case& t : cases) {
      SCOPED_TRACE(std::string(t.control) + (row ? " in a group" : " in the default profile"));
      t.change(c<QWidget>(t.control));
      EXPECT_EQ(stored(path, t.section, t.key), g(t.expected));
    }
  }
  // The other profile kept its own values: the group's edits never reached the default profile.
  EXPECT_EQ(stored(defaultProfile(), "名片赞数量", "入群赠送"), "250");
  EXPECT_EQ(stored(groupProfile("20001"), "名片赞数量", "入群赠送"), "250");
}

TEST_F(WindowTest, TypingStoresEveryPrefixAndTheCoreControlsWriteTheCoreFile) {
  open();
  auto* amount = c<QLineEdit>("编辑框18");
  amount->clear();
  std::vector<std::string> seen;
  for (char digit : std::string("250")) {
    QTest::keyClick(amount, digit);
    seen.push_back(stored(defaultProfile(), "名片赞数量", "入群赠送").value_or("?"));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"2", "25", "250"}));

  fetchGroups(groupObject("20001", "甲"));
  selectGroupRow(1);
  c<QCheckBox>("选择框1")->click();
  EXPECT_EQ(stored(config::CorePath(), "软件参数", "是否所有群使用默认配置"), g("真"));
  typeText(c<QLineEdit>("编辑框15"), "123456");
  EXPECT_EQ(stored(config::CorePath(), "主人QQ", "主人QQ"), "123456");
  EXPECT_EQ(stored(groupProfile("20001"), "软件参数", "是否所有群使用默认配置"), std::nullopt);
  EXPECT_EQ(window->selectionText(), "20001");  // the switch does not change the edited profile
  c<QCheckBox>("选择框1")->click();
  EXPECT_EQ(stored(config::CorePath(), "软件参数", "是否所有群使用默认配置"), g("假"));
}

TEST_F(WindowTest, LineBreaksInABoxStoredAsTypedAddNoLinesToTheProfile) {
  open();
  auto* welcome = c<QPlainTextEdit>("编辑框4");
  welcome->clear();
  typeText(welcome, "a");
  QTest::keyClick(welcome, Qt::Key_Return);
  typeText(welcome, "[x]=1");
  EXPECT_EQ(stored(defaultProfile(), "进群私聊", "进群私聊"), "a  [x]=1");
  EXPECT_EQ(stored(defaultProfile(), "x", "x"), std::nullopt);
  // As many lines as the built-in text, the changed line in place: nothing added.
  std::string bytes = fileBytes(defaultProfile());
  if (bytes.ends_with("\r\n")) bytes.resize(bytes.size() - 2);  // the rewritten last line ends in CR LF
  const std::string& builtin = config::builtinProfileText();
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), std::count(builtin.begin(), builtin.end(), '\n'));
}

TEST_F(WindowTest, GroupSelectionFollowsTheThousandRuleAndCreatesProfilesFromTheBuiltinText) {
  open();
  fetchGroups(groupObject("20001", "甲") + "," + groupObject("1000", "千") + "," + groupObject("999", "小"));
  // The default profile edited first does not leak into a new group's profile.
  c<QLineEdit>("编辑框18")->setText(q("5"));
  selectGroupRow(1);
  EXPECT_EQ(window->selectionText(), "20001");
  EXPECT_EQ(fileBytes(groupProfile("20001")), config::builtinProfileText());
  EXPECT_EQ(c<QLineEdit>("编辑框18")->text(), q("100"));

  selectGroupRow(2);  // 1000: nothing is created, loaded or stored
  c<QLineEdit>("编辑框18")->setText(q("77"));
  c<QCheckBox>("选择框4")->click();
  EXPECT_FALSE(fs::exists(config::FolderPath("1000")));
  EXPECT_EQ(stored(groupProfile("20001"), "名片赞数量", "入群赠送"), "100");
  EXPECT_EQ(stored(defaultProfile(), "名片赞数量", "入群赠送"), "5");

  selectGroupRow(3);  // 999 edits the default profile
  EXPECT_FALSE(fs::exists(config::FolderPath("999")));
  EXPECT_EQ(c<QLineEdit>("编辑框18")->text(), q("5"));
  c<QLineEdit>("编辑框18")->setText(q("9"));
  EXPECT_EQ(stored(defaultProfile(), "名片赞数量", "入群赠送"), "9");

  selectGroupRow(0);  // "默认配置"
  EXPECT_EQ(window->selectionText(), "1");
}

TEST_F(WindowTest, AbsentKeysShowEmptyUnchangedOrUncheckedByProfileKind) {
  // Default profile and group 20001 both of 社区类型 "1", neither with a 玖伍 account; group
  // 20002 has one, a check box stored as "1", and the 亿乐 type.
  fs::create_directories(fs::path(defaultProfile()).parent_path());
  std::ofstream(defaultProfile(), std::ios::binary) << g("[对接参数]\r\n社区类型=1\r\n");
  store(groupProfile("20001"), "对接参数", "社区类型", "1");
  store(groupProfile("20002"), "对接参数", "社区类型", "1");
  store(groupProfile("20002"), "玖伍社区", "账号", "acct");
  store(groupProfile("20002"), "软件参数", "xml", "1");
  store(groupProfile("20002"), "软件参数", "是否踢出广告", "假");
  store(groupProfile("20003"), "对接参数", "社区类型", "3");
  open();
  fetchGroups(groupObject("20001", "a") + groupObject("20002", "b") + groupObject("20003", "c"));
  auto* account = c<QLineEdit>("jw_1_4");

  selectGroupRow(2);
  EXPECT_EQ(account->text(), q("acct"));
  EXPECT_TRUE(c<QCheckBox>("选择框9")->isChecked());
  EXPECT_FALSE(c<QCheckBox>("选择框14")->isChecked());
  selectGroupRow(1);  // a group without the key keeps what was shown
  EXPECT_EQ(account->text(), q("acct"));
  EXPECT_FALSE(c<QCheckBox>("选择框9")->isChecked());
  selectGroupRow(2);
  selectGroupRow(0);  // the default profile without the key empties it
  EXPECT_EQ(account->text(), QString());

  // 社区类型 3 changes no community control.
  c<QComboBox>("组合框2")->setCurrentIndex(2);
  c<QLineEdit>("jw_2_1")->setText(q("kept"));
  selectGroupRow(3);
  EXPECT_EQ(c<QComboBox>("组合框2")->currentIndex(), 2);
  EXPECT_EQ(c<QTabWidget>("选择夹4")->currentIndex(), 2);
  EXPECT_EQ(c<QLineEdit>("jw_2_1")->text(), q("kept"));
  // Loads wrote nothing into the profiles they read.
  EXPECT_EQ(stored(groupProfile("20001"), "玖伍社区", "账号"), std::nullopt);
}

TEST_F(WindowTest, SaveGlobalStoresTheChosenCommunityOnly) {
  struct Case {
    int item;
    std::optional<const char*> kind;
    std::vector<std::tuple<const char*, const char*, const char*>> keys;  // section, key, value
  };
  const Case cases[] = {
      {0, "0", {{"亿乐社区", "地址", "http://y"}, {"亿乐社区", "商品id", "11"}, {"亿乐社区", "账号", "ya"}, {"亿乐社区", "密码", "yp"}}},
      {1, "1", {{"玖伍社区", "地址", "http://j1"}, {"玖伍社区", "goodsid", "21"}, {"玖伍社区", "goodtype", "22"},
                {"玖伍社区", "账号", "j1a"}, {"玖伍社区", "密码", "j1p"}}},
      {2, "2", {{"玖伍社区", "地址", "http://j2"}, {"玖伍社区", "goodsid", "31"}, {"玖伍社区", "goodtype", "32"},
                {"玖伍社区", "账号", "j2a"}, {"玖伍社区", "密码", "j2p"}}},
      {3, std::nullopt, {}},
      {4, std::nullopt, {}},
  };
  const std::pair<const char*, const char*> fields[] = {
      {"yl_1", "http://y"},    {"yl_2", "11"},   {"yl_3", "ya"},     {"yl_4", "yp"},     {"jw_1_1", "http://j1"},
      {"jw_1_2", "21"},        {"jw_1_3", "22"}, {"jw_1_4", "j1a"},  {"jw_1_5", "j1p"},  {"jw_2_1", "http://j2"},
      {"jw_2_2", "31"},        {"jw_2_3", "32"}, {"jw_2_4", "j2a"},  {"jw_2_5", "j2p"}};
  for (const Case& t : cases) {
    SCOPED_TRACE(t.item);
    TearDown();
    SetUp();
    open();
    for (auto [box, text] : fields) c<QLineEdit>(box)->setText(q(text));
    const std::string before = fileBytes(defaultProfile());
    c<QComboBox>("组合框2")->setCurrentIndex(t.item);
    EXPECT_EQ(fileBytes(defaultProfile()), before);  // choosing stores nothing
    pressAndRelease("超级链接框2");
    if (!t.kind) {
      EXPECT_EQ(fileBytes(defaultProfile()), before);
      continue;
    }
    EXPECT_EQ(stored(defaultProfile(), "对接参数", "社区类型"), *t.kind);
    for (auto [section, key, value] : t.keys) EXPECT_EQ(stored(defaultProfile(), section, key), value) << key;
    if (t.item == 0) EXPECT_EQ(stored(defaultProfile(), "玖伍社区", "地址"), std::nullopt);
    else EXPECT_EQ(stored(defaultProfile(), "亿乐社区", "地址"), std::nullopt);
  }
}

TEST_F(WindowTest, SaveCardWritesTheBoxToTheTemplateFileEvenWhenEmpty) {
  open();
  auto* card = c<QPlainTextEdit>("编辑框61");
  card->setPlainText(q("<msg>\n[内容]\n</msg>"));
  press("超级链接框9");
  EXPECT_EQ(fileBytes(config::CardTemplatePath()), g("<msg>\r\n[内容]\r\n</msg>"));
  EXPECT_EQ(colourOf("超级链接框9"), QColor(255, 0, 0));
  card->clear();
  pressAndRelease("超级链接框9");
  EXPECT_TRUE(fs::exists(config::CardTemplatePath()));
  EXPECT_EQ(fileBytes(config::CardTemplatePath()), "");
  // The next opening keeps the user's (empty) template.
  window.reset();
  open();
  EXPECT_EQ(c<QPlainTextEdit>("编辑框61")->toPlainText(), QString());
}

TEST_F(WindowTest, GetGroupsListsOnlyExactObjectsAndReportsAnEmptyAnswer) {
  open();
  host_->setQQList("10000");
  const std::string answer = "[" + groupObject("20001", "甲群") + "," +
                             g(R"({"auth":1,"flag":0,"groupid":20002,"groupname":"auth"},)") +
                             g(R"({"auth":0,"flag":1,"groupid":20003,"groupname":"flag"},)") +
                             g(R"({"flag":0,"auth":0,"groupid":20004,"groupname":"order"},)") +
                             g(R"({"auth": 0,"flag": 0,"groupid": 20005,"groupname": "blanks"},)") +
                             g(R"({"AUTH":0,"FLAG":0,"GROUPID":20006,"GROUPNAME":"\u7fa4"})") + "]";
  for (int pass = 0; pass < 2; ++pass) {  // a second press gives the same list, not a doubled one
    MessageBoxCatcher boxes;
    host_->setGroupList(answer);
    press("超级链接框1");
    EXPECT_TRUE(boxes.shown.empty());
    auto* list = c<QListWidget>("列表框2");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), q("默认配置"));
    EXPECT_EQ(list->item(1)->text(), q("20001-甲群"));
    EXPECT_EQ(list->item(2)->text(), q("20006-\\u7fa4"));
    EXPECT_EQ(window->groupNumbers(), (std::vector<std::string>{"1", "20001", "20006"}));
  }
  const auto asked = host_->callsTo("Api_GetGroupList");
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked.back().arg(0), "10000");
  EXPECT_EQ(window->selectionText(), "1");  // fetching does not change the edited profile

  for (const char* empty : {"", "not json", "[]"}) {
    MessageBoxCatcher boxes;
    host_->setGroupList(empty);
    press("超级链接框1");
    ASSERT_EQ(boxes.shown.size(), 1u) << empty;
    EXPECT_EQ(boxes.shown[0].text, q("无法正常获取您的群\n可能是您没有加入群或者腾讯协议更新\n请联系朔禾团队"));
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.shown[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(c<QListWidget>("列表框2")->count(), 1);
  }
}

TEST_F(WindowTest, PanelsShowTheRobotAndTheOwnerFromTheHostAndTheServices) {
  stubs::StubServer services;
  stubs::PortraitService portrait(services);
  stubs::AvatarService avatars(services);
  portrait.setNickname("10000", g("机器人"));
  fs::create_directories(config::pluginDir());
  std::ofstream(config::CorePath(), std::ios::binary)
      << g("[服务地址]\r\n昵称服务=") << services.baseUrl() << g("\r\n头像服务=") << services.baseUrl()
      << g("\r\n[主人QQ]\r\n主人QQ=20000\r\n");
  host_->setQQList("10000");
  host_->setNick("20000", g("主人"));
  open();
  EXPECT_EQ(c<QLabel>("透明标签2")->text(), q("机器人"));
  EXPECT_EQ(c<QLabel>("透明标签21")->text(), q("10000"));
  EXPECT_EQ(c<QLabel>("透明标签44")->text(), q("主人"));
  EXPECT_EQ(c<QLabel>("透明标签46")->text(), q("20000"));
  EXPECT_EQ(c<QLineEdit>("编辑框15")->text(), q("20000"));
  bool robotAvatar = false, ownerAvatar = false;
  for (const auto& request : services.requests()) {
    robotAvatar |= request.target == "/headimg_dl?dst_uin=10000&spec=160&img_type=jpg";
    ownerAvatar |= request.target == "/headimg_dl?dst_uin=20000&spec=160&img_type=jpg";
  }
  EXPECT_TRUE(robotAvatar);
  EXPECT_TRUE(ownerAvatar);
  const auto nickCalls = host_->callsTo("Api_GetNick");
  ASSERT_EQ(nickCalls.size(), 1u);
  EXPECT_EQ(nickCalls[0].args, (std::vector<std::string>{"10000", "20000"}));
}

// A picture of every page for a person to look at; the test checks only that each was written.
TEST_F(WindowTest, ScreenshotsOfEveryPage) {
  open();
  fetchGroups(groupObject("20001", "甲群") + groupObject("20002", "乙群"));
  QDir().mkpath(q(IR_SCREENSHOT_DIR));
  auto* pages = c<QTabWidget>("选择夹1");
  for (int i = 0; i < pages->count(); ++i) {
    pages->setCurrentIndex(i);
    QApplication::processEvents();
    const QString file = q(IR_SCREENSHOT_DIR) + QStringLiteral("/page-%1.png").arg(i);
    ASSERT_TRUE(window->grab().save(file)) << file.toStdString();
  }
}

}  // namespace

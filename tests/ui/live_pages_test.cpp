// The window's live pages against the loopback stand-ins: goods choosers, counters and chart,
// statistics list, run log fed from other threads, converter and help windows, update notice.
#include <QElapsedTimer>
#include <QLabel>
#include <QTextBrowser>
#include <QTreeWidget>
#include <atomic>
#include <thread>

#include "gifting/gift_ledger.h"
#include "gifting/order_service.h"
#include "stubs/community_sites.h"
#include "text/search.h"
#include "ui/likes_chart.h"
#include "ui/small_windows.h"
#include "window_fixture.h"

namespace {

using namespace ui_test;
using ui::LinkLabel;
using Strings = std::vector<std::string>;

QStringList itemsOf(QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

// The address as an operator types it: without the scheme.
std::string bareHost(const std::string& baseUrl) { return baseUrl.substr(std::string("http://").size()); }

class LivePagesTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    clock_ = text::LocalTime{2024, 3, 5, 14, 7, 0};
    text::setClockSource([this] { return clock_; });
  }

  void choose(const char* combo, int index) {
    auto* box = c<QComboBox>(combo);
    box->setCurrentIndex(index);
    emit box->activated(index);  // what the operator's pick sends
  }
  // 时钟1 fired as its period would fire it.
  void tick() {
    auto* timer = c<QTimer>("时钟1");
    ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout"));
  }
  QString labelText(const char* name) { return c<QLabel>(name)->text(); }

  text::LocalTime clock_;
};

// ---- goods choosers ----

TEST_F(LivePagesTest, YileGoodsFillTheChooserAndTheChosenIdFillsTheField) {
  stubs::YileSite site("a", "p");
  site.setGoods({{"101", g("名片赞 10个"), ""}, {"102", g("名片赞 100个"), ""}, {"103", "visitors", ""}});
  open();
  c<QLineEdit>("yl_1")->setText(q(bareHost(site.baseUrl()).c_str()));
  c<QLineEdit>("yl_2")->setText(q("55"));
  {
    MessageBoxCatcher boxes;
    pressAndRelease("超级链接框12");
    EXPECT_TRUE(boxes.shown.empty());
  }
  EXPECT_EQ(c<QLineEdit>("yl_1")->text(), q(site.baseUrl().c_str()));  // the field shows the prefix
  ASSERT_EQ(site.server().requests().size(), 1u);
  EXPECT_EQ(site.server().requests()[0].target, "/api/web/getGoodsList.html");
  auto* box = c<QComboBox>("组合框3");
  EXPECT_EQ(itemsOf(box), (QStringList{q("名片赞 10个"), q("名片赞 100个"), q("visitors")}));
  EXPECT_EQ(box->currentIndex(), -1);
  EXPECT_EQ(c<QLineEdit>("yl_2")->text(), q("55"));  // filling chooses nothing
  choose("组合框3", 1);
  EXPECT_EQ(c<QLineEdit>("yl_2")->text(), q("102"));
  // Chosen fields wait for "保存全局".
  EXPECT_EQ(stored(defaultProfile(), "亿乐社区", "商品id"), std::nullopt);

  // A second fetch replaces the list; a reply without goods leaves both empty with the box.
  site.setGoods({{"201", "one", ""}});
  pressAndRelease("超级链接框12");
  EXPECT_EQ(itemsOf(box), QStringList{q("one")});
  EXPECT_EQ(window->yileGoodsIds(), Strings{"201"});
  site.setGoodsPage("{\"code\":-1}");
  MessageBoxCatcher boxes;
  pressAndRelease("超级链接框12");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, q("匹配失败，请检检查正则语句是否有误，数量：0"));
  EXPECT_EQ(boxes.shown[0].icon, QMessageBox::Critical);
  EXPECT_EQ(box->count(), 0);
  EXPECT_TRUE(window->yileGoodsIds().empty());
}

TEST_F(LivePagesTest, JiuwuNamesFillIdAndTypeByPositionAndAShortListFillsNothing) {
  stubs::JiuwuSite site("a", "p");
  open();
  c<QLineEdit>("jw_1_1")->setText(q(bareHost(site.baseUrl()).c_str()));
  press("超级链接框14");
  EXPECT_EQ(colourOf("超级链接框14"), QColor(255, 0, 255));
  release("超级链接框14");
  EXPECT_EQ(colourOf("超级链接框14"), QColor(0, 128, 0));
  EXPECT_EQ(itemsOf(c<QComboBox>("组合框4")), (QStringList{q("名片赞（余额）"), q("名片赞（点数）"), q("空间人气")}));
  for (auto [k, id, type] : {std::tuple{2, "15", "1"}, std::tuple{0, "12", "3"}}) {
    choose("组合框4", k);
    EXPECT_EQ(c<QLineEdit>("jw_1_2")->text(), q(id));
    EXPECT_EQ(c<QLineEdit>("jw_1_3")->text(), q(type));
  }
  // Three names, two links: the third name has no id or type and leaves both fields alone.
  site.setGoodsPage("<a href=\"?id=7&goods_type=1\">\n<a href=\"?id=8&goods_type=2\">\n"
                    "<img alt=\"x\" title><img alt=\"y\" title><img alt=\"z\" title>\n");
  pressAndRelease("超级链接框14");
  ASSERT_EQ(c<QComboBox>("组合框4")->count(), 3);
  choose("组合框4", 1);
  choose("组合框4", 2);
  EXPECT_EQ(c<QLineEdit>("jw_1_2")->text(), q("8"));
  EXPECT_EQ(c<QLineEdit>("jw_1_3")->text(), q("2"));
}

TEST_F(LivePagesTest, ThePointsTabLinkOnlyNormalisesItsAddress) {
  stubs::JiuwuSite site("a", "p");
  open();
  c<QLineEdit>("jw_2_1")->setText(q(bareHost(site.baseUrl()).c_str()));
  press("超级链接框17");
  EXPECT_EQ(colourOf("超级链接框17"), QColor(255, 0, 255));
  EXPECT_EQ(c<QLineEdit>("jw_2_1")->text(), q(site.baseUrl().c_str()));
  release("超级链接框17");
  EXPECT_EQ(colourOf("超级链接框17"), QColor(128, 0, 0));
  EXPECT_TRUE(site.server().requests().empty());
  EXPECT_EQ(c<QComboBox>("组合框5")->count(), 0);
}

TEST_F(LivePagesTest, ASlowGoodsListKeepsTheWindowServedAndRefusesASecondFetch) {
  stubs::YileSite yile("a", "p");
  stubs::JiuwuSite jiuwu("a", "p");
  stubs::StubAnswer slow = stubs::answerWith(stubs::yileGoodsJson({{"1", "late", ""}}));
  slow.fault = stubs::Fault::Delay;
  slow.delay = std::chrono::milliseconds(2500);
  yile.server().enqueue(slow);
  open();
  c<QLineEdit>("yl_1")->setText(q(yile.baseUrl().c_str()));
  c<QLineEdit>("jw_1_1")->setText(q(jiuwu.baseUrl().c_str()));

  int ticks = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
  ticker.start(20);
  bool pressedAgain = false;
  QTimer::singleShot(300, [&] {
    pressAndRelease("超级链接框12");
    pressAndRelease("超级链接框14");
    pressedAgain = true;
  });
  press("超级链接框12");
  EXPECT_TRUE(pressedAgain);  // the presses were handled during the fetch ...
  // ... and so were the timers, all through the silent wait: a 20 ms timer fires 125 times in
  // 2.5 s, and a window served only when curl wakes on its own (once a second) sees about 4.
  EXPECT_GE(ticks, 20);
  EXPECT_EQ(yile.server().requests().size(), 1u);  // ... but started nothing
  EXPECT_TRUE(jiuwu.server().requests().empty());
  EXPECT_EQ(itemsOf(c<QComboBox>("组合框3")), QStringList{q("late")});
  RecordProperty("timer_ticks_during_2500ms_fetch", ticks);
  // The guard is gone afterwards.
  pressAndRelease("超级链接框14");
  EXPECT_EQ(jiuwu.server().requests().size(), 1u);
}

// ---- counters, chart and statistics list ----

TEST_F(LivePagesTest, TheTimerShowsTheLedgerAndFollowsTheDay) {
  open();
  auto* timer = c<QTimer>("时钟1");
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 6000);
  EXPECT_EQ(labelText("透明标签55"), q("9999999"));  // until the first tick
  struct Step {
    const char* what;
    std::function<void()> before;
    const char *total, *today;
  };
  const Step steps[] = {
      {"no ledger", [] {}, "0", "0"},
      {"an order of 100", [] { gifting::recordGift("100"); }, "100", "100"},
      {"another of 100", [] { gifting::recordGift("100"); }, "200", "200"},
      {"midnight", [this] { clock_ = text::LocalTime{2024, 3, 6, 0, 0, 0}; }, "200", "0"},
      {"an order the next day", [] { gifting::recordGift("5"); }, "205", "5"},
  };
  for (const Step& s : steps) {
    s.before();
    tick();
    EXPECT_EQ(labelText("透明标签55"), q(s.total)) << s.what;
    EXPECT_EQ(labelText("透明标签56"), q(s.today)) << s.what;
  }
  const auto& days = window->findChild<ui::LikesChart*>(q("赠送走势图"))->days();
  ASSERT_EQ(days.size(), 30u);
  EXPECT_EQ(days.back().likes, 5);
  EXPECT_EQ(days[days.size() - 2].likes, 200);
  EXPECT_EQ(days.back().day.day, 6);
}

TEST_F(LivePagesTest, TheStatisticsListShowsSortsAndSearchesTheEditedFolderReadOnly) {
  const std::string records = config::RecordsPath(config::defaultFolder(), g("入群数据.ini"));
  fs::create_directories(fs::path(records).parent_path());
  const std::string bytes = g(
      "[10001]\r\n拉入人数=1\r\n退群人数=0\r\n获得名片赞=100\r\n"
      "[30003]\r\n拉入人数=12\r\n退群人数=0\r\n获得名片赞=1300\r\n"
      "[2000]\r\n拉入人数=3\r\n退群人数=0\r\n获得名片赞=20\r\n");
  std::ofstream(records, std::ios::binary) << bytes;
  open();
  press("赠送统计");
  auto* list = c<QTreeWidget>("超级列表框2");
  auto column = [&](int col) {
    QStringList values;
    for (int i = 0; i < list->topLevelItemCount(); ++i) values << list->topLevelItem(i)->text(col);
    return values;
  };
  EXPECT_EQ(column(0), (QStringList{q("2000"), q("10001"), q("30003")}));  // numbers sort by value
  list->sortByColumn(3, Qt::DescendingOrder);
  EXPECT_EQ(column(3), (QStringList{q("1300"), q("100"), q("20")}));
  list->sortByColumn(1, Qt::AscendingOrder);
  EXPECT_EQ(column(1), (QStringList{q("1"), q("3"), q("12")}));

  c<QLineEdit>("编辑框62")->setText(q("000"));
  press("超级链接框8");
  EXPECT_EQ(colourOf("超级链接框8"), QColor(255, 80, 128));
  release("超级链接框8");
  EXPECT_EQ(colourOf("超级链接框8"), QColor(128, 0, 128));
  QStringList selected, shown;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = list->topLevelItem(i);
    if (row->isSelected()) selected << row->text(0);
    if (!row->isHidden()) shown << row->text(0);
  }
  EXPECT_EQ(selected, (QStringList{q("10001"), q("2000"), q("30003")}));
  c<QLineEdit>("编辑框62")->setText(q("3000"));
  pressAndRelease("超级链接框8");
  EXPECT_EQ(list->selectedItems().size(), 1);
  EXPECT_EQ(list->selectedItems()[0]->text(0), q("30003"));

  // 刷新列表 rereads the file and shows every row again.
  std::ofstream(records, std::ios::binary | std::ios::app) << g("[40004]\r\n拉入人数=0\r\n");
  press("超级链接框7");
  EXPECT_EQ(colourOf("超级链接框7"), QColor(255, 80, 128));
  release("超级链接框7");
  EXPECT_EQ(colourOf("超级链接框7"), QColor(128, 0, 0));
  EXPECT_EQ(list->topLevelItemCount(), 4);
  int hidden = 0;
  for (int i = 0; i < list->topLevelItemCount(); ++i) hidden += list->topLevelItem(i)->isHidden();
  EXPECT_EQ(hidden, 0);
  EXPECT_EQ(fileBytes(records), bytes + g("[40004]\r\n拉入人数=0\r\n"));  // nothing written

  // A group's folder has its own records: none yet.
  fetchGroups(groupObject("20001", "甲"));
  selectGroupRow(1);
  pressAndRelease("超级链接框7");
  EXPECT_EQ(list->topLevelItemCount(), 0);
}

// ---- run log ----

TEST_F(LivePagesTest, LogButtonsShowTheirPageAndOnlyThePressedOneIsRed) {
  open();
  press("运行日志");
  const char* const buttons[] = {"全部日志", "下单成功", "下单失败", "加群日志", "退群日志"};
  const QColor rest[] = {QColor(255, 0, 255), QColor(128, 0, 128), QColor(128, 128, 0), QColor(128, 128, 255),
                         QColor(0, 128, 128)};
  EXPECT_EQ(c<QTabWidget>("选择夹3")->currentIndex(), 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(colourOf(buttons[i]), rest[i]) << buttons[i];
  for (int pressed : {2, 0, 4, 1, 3}) {
    press(buttons[pressed]);
    EXPECT_EQ(c<QTabWidget>("选择夹3")->currentIndex(), pressed);
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(colourOf(buttons[i]), i == pressed ? QColor(255, 0, 0) : rest[i]) << buttons[pressed] << " " << i;
  }
}

// Orders placed through the order service on eight threads while the window runs: every line
// reaches the views, the newest on top, and only the window's thread writes to the boxes.
TEST_F(LivePagesTest, OrdersFromEightThreadsReachTheRunLogViews) {
  stubs::YileSite site("alice", "secret");
  const std::string profile = config::ProfilePath("20002");
  fs::create_directories(fs::path(profile).parent_path());
  for (auto [key, value] : {std::pair{"地址", site.baseUrl()}, std::pair{"商品id", std::string("7")},
                            std::pair{"账号", std::string("alice")}, std::pair{"密码", std::string("secret")}})
    ASSERT_TRUE(config::writeIniValue(profile, g("亿乐社区"), g(key), value));
  ASSERT_TRUE(config::writeIniValue(profile, g("对接参数"), g("社区类型"), "0"));
  site.answerNext("1", g("余额不足"));  // one failure among the orders
  open();
  std::atomic<int> foreignWrites{0};
  for (const char* box : {"yxrz_1", "yxrz_2", "yxrz_3"})
    QObject::connect(c<QPlainTextEdit>(box), &QPlainTextEdit::textChanged, [&] {
      if (QThread::currentThread() != qApp->thread()) ++foreignWrites;
    });

  constexpr int kThreads = 8, kOrdersEach = 25;
  std::atomic<int> done{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t, &done] {
      for (int i = 0; i < kOrdersEach; ++i) gifting::placeOrder(std::to_string(10000 + t * 100 + i), "10", "20002");
      ++done;
    });
  while (done < kThreads) QTest::qWait(20);
  for (auto& t : threads) t.join();
  QTest::qWait(250);  // the last wake-up

  EXPECT_EQ(foreignWrites, 0);
  for (int view = 0; view < 3; ++view) {
    const std::string logged = gifting::viewText(view);
    EXPECT_EQ(c<QPlainTextEdit>(("yxrz_" + std::to_string(view + 1)).c_str())->toPlainText().toStdString(),
              text::gbkToUtf8(text::replaceAll(logged, "\r\n", "\n")))
        << view;
  }
  const std::string all = gifting::viewText(0);
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), kThreads * kOrdersEach);
  const std::string failed = gifting::viewText(2);
  EXPECT_EQ(std::count(failed.begin(), failed.end(), '\n'), 1);
}

TEST_F(LivePagesTest, ABurstOfTenThousandLinesIsShownWithFewRedrawsAndTheNewestOnTop) {
  open();
  press("运行日志");
  int redraws = 0;
  QObject::connect(c<QPlainTextEdit>("yxrz_1"), &QPlainTextEdit::textChanged, [&] { ++redraws; });
  std::atomic<bool> done{false};
  std::thread burst([&] {
    for (int i = 0; i < 10000; ++i) gifting::appendRunLog(0, "order " + std::to_string(i));
    done = true;
  });
  // The window's loop keeps running: the longest gap between two ticks is reported.
  QElapsedTimer sinceTick;
  qint64 longestGap = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    if (sinceTick.isValid()) longestGap = std::max(longestGap, sinceTick.elapsed());
    sinceTick.restart();
  });
  ticker.start(10);
  while (!done) QTest::qWait(10);
  burst.join();
  QTest::qWait(250);
  RecordProperty("longest_gap_ms", int(longestGap));
  RecordProperty("redraws", redraws);
  const QString shown = c<QPlainTextEdit>("yxrz_1")->toPlainText();
  EXPECT_TRUE(shown.startsWith(q(text::gbkToUtf8(text::nowText()).c_str()) + q("  order 9999\n")));
  EXPECT_EQ(shown.count('\n'), 10000);
  EXPECT_LT(redraws, 1000);  // coalesced: not one redraw per line
}

// ---- converter and help ----

TEST_F(LivePagesTest, JoinLinesMarksEachCrLf) {
  const std::pair<const char*, const char*> cases[] = {
      {"a\r\nb\r\nc", "a[/n]b[/n]c"}, {"", ""}, {"one line", "one line"},
      {"ends\r\n", "ends[/n]"},       {"lone\rcr\nlf", "lone\rcr\nlf"}, {"\r\n\r\n", "[/n][/n]"},
  };
  for (auto [source, result] : cases) EXPECT_EQ(ui::joinLines(source), result) << source;
}

TEST_F(LivePagesTest, TheConverterIsModelessFreshAtEveryPressAndConvertsTypedLines) {
  open();
  auto converters = [] {
    std::vector<ui::TextConverter*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* t = qobject_cast<ui::TextConverter*>(w); t && t->isVisible()) found.push_back(t);
    return found;
  };
  pressAndRelease("超级链接框4");
  ASSERT_EQ(converters().size(), 1u);
  ui::TextConverter* first = converters()[0];
  EXPECT_EQ(first->size(), QSize(452, 488));
  EXPECT_FALSE(first->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  auto* source = first->findChild<QPlainTextEdit*>(q("编辑框1"));
  typeText(source, q("第一行"));
  QTest::keyClick(source, Qt::Key_Return);
  typeText(source, q("two"));
  QTest::keyClick(source, Qt::Key_Return);
  typeText(source, q("三"));
  auto* convert = first->findChild<LinkLabel*>(q("超级链接框1"));
  QTest::mousePress(convert, Qt::LeftButton);
  EXPECT_EQ(convert->background(), QColor(255, 80, 128));
  QTest::mouseRelease(convert, Qt::LeftButton);
  EXPECT_EQ(convert->background(), QColor(255, 0, 0));
  EXPECT_EQ(first->findChild<QPlainTextEdit*>(q("编辑框2"))->toPlainText(), q("第一行[/n]two[/n]三"));
  EXPECT_EQ(source->toPlainText().count('\n'), 2);  // the source is left as typed

  pressAndRelease("超级链接框4");
  ASSERT_EQ(converters().size(), 2u);
  for (ui::TextConverter* t : converters()) {
    if (t == first) continue;
    EXPECT_TRUE(t->findChild<QPlainTextEdit*>(q("编辑框1"))->toPlainText().isEmpty());
    EXPECT_TRUE(t->findChild<QPlainTextEdit*>(q("编辑框2"))->toPlainText().isEmpty());
  }
  QTest::mouseRelease(first->findChild<LinkLabel*>(q("图形按钮1")), Qt::LeftButton);
  EXPECT_EQ(converters().size(), 1u);
}

TEST_F(LivePagesTest, TheHelpWindowIsModalWithItsEightLinesAtEveryPress) {
  open();
  MessageBoxCatcher modal;
  pressAndRelease("超级链接框18");
  pressAndRelease("超级链接框18");
  const QString help = q("换行请用[\\n]\n关键词与回复内容分隔符（----）\n自定义回复全面支持xml\n示例：123----321[\\n]333\n"
                         "输入关键词：123\n机器人回复：\n321\n333");
  EXPECT_EQ(modal.help, (std::vector<QString>{help, help}));
  EXPECT_EQ(colourOf("超级链接框18"), QColor(0, 128, 128));
}

// ---- update notice ----

class UpdateNoticeTest : public LivePagesTest {
 protected:
  void SetUp() override {
    LivePagesTest::SetUp();
    updates_ = std::make_unique<stubs::UpdateService>(server_);
    setService("更新服务", server_.baseUrl());
    fs::create_directories(config::pluginDir());
    ASSERT_TRUE(config::writeIniValue(config::CorePath(), g("主人QQ"), g("主人QQ"), "20000"));
    host_->setQQList("10000");
  }
  // Opens the window with a catcher for the boxes it shows while opening.
  std::vector<MessageBoxCatcher::Shown> openCatching() {
    MessageBoxCatcher boxes;
    open();
    return boxes.shown;
  }

  stubs::StubServer server_;
  std::unique_ptr<stubs::UpdateService> updates_;
};

TEST_F(UpdateNoticeTest, ANewerVersionNotifiesOnceWhileThePluginStaysLoaded) {
  const std::string address = "http://example.invalid/new.zip";
  updates_->setUpdateText(stubs::UpdateService::updateText("10005", g("V6.10"), g("2024年3月1日"), address) + "\r\n");
  for (int opening = 0; opening < 2; ++opening) {
    SCOPED_TRACE(opening);
    const auto boxes = openCatching();
    EXPECT_EQ(c<QLabel>("标签43")->text(), q("10005"));
    EXPECT_EQ(c<QLabel>("标签46")->text(), q("V6.10"));
    EXPECT_EQ(c<QLabel>("标签41")->text(), q("2024年3月1日"));
    EXPECT_EQ(c<QLabel>("标签38")->text(), q("10004"));
    EXPECT_EQ(c<QPlainTextEdit>("编辑框43")->toPlainText(), opening == 0 ? q(address.c_str()) : QString());
    if (opening == 0) {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text, q("插件更新"));
      EXPECT_EQ(boxes[0].buttons, QMessageBox::Ok);
    } else {
      EXPECT_TRUE(boxes.empty());
    }
    window.reset();
  }
  const auto sent = host_->callsTo("Api_SendMsg");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].args, (std::vector<std::string>{"10000", "1", "111", "20000", g("苍梧引流插件更新下载地址") + address, "1"}));
  ASSERT_EQ(browser.urls.size(), 1u);
  EXPECT_EQ(browser.urls[0], QUrl(q(address.c_str())));
  for (const auto& r : server_.requests()) EXPECT_EQ(r.target, "/pro/probbh.txt");
  EXPECT_EQ(server_.requests().size(), 2u);
}

TEST_F(UpdateNoticeTest, OtherTextsNotifyNothing) {
  struct Case {
    const char* what;
    std::string text;
    const char* version;  // shown in 标签43 afterwards
  };
  const Case cases[] = {
      {"the same version", stubs::UpdateService::updateText("10004", "n", "d", "http://x/"), "10004"},
      {"an older version", stubs::UpdateService::updateText("9999", "n", "d", "http://x/"), "9999"},
      {"no marker", "x#10009#n#d#http://x/", ""},
      {"four parts", g("苍梧#10009#n#d"), ""},
      {"an empty text", "", ""},
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.what);
    updates_->setUpdateText(t.text);
    EXPECT_TRUE(openCatching().empty());
    EXPECT_EQ(c<QLabel>("标签43")->text(), q(t.version));
    window.reset();
  }
  EXPECT_TRUE(host_->callsTo("Api_SendMsg").empty());
  EXPECT_TRUE(browser.urls.empty());
}

TEST_F(UpdateNoticeTest, WithoutAnUpdateServiceNothingIsAskedAndTheOwnPageIsShown) {
  updates_->setUpdateText(stubs::UpdateService::updateText("10009", "n", "d", "http://x/"));
  setService("更新服务", "");
  EXPECT_TRUE(openCatching().empty());
  press("版本更新");
  EXPECT_TRUE(server_.requests().empty());
  EXPECT_EQ(c<QLabel>("标签43")->text(), QString());
  EXPECT_TRUE(c<QTextBrowser>("超文本浏览框1")->toPlainText().contains(q("更新日志")));
}

TEST_F(UpdateNoticeTest, TheUpdatePageShowsTheServicesLogOnce) {
  updates_->setChangeLog(g("<h2>V6.10</h2><p>修复了若干问题</p>"));
  openCatching();
  EXPECT_EQ(server_.requests().size(), 1u);  // the update text only, until the page is shown
  press("版本更新");
  press("插件界面");
  press("版本更新");
  EXPECT_EQ(c<QTextBrowser>("超文本浏览框1")->toPlainText(), q("V6.10\n修复了若干问题"));
  ASSERT_EQ(server_.requests().size(), 2u);
  EXPECT_EQ(server_.requests()[1].target, "/pro/changelog.html");
}

// ---- pictures for a person to look at ----

TEST_F(LivePagesTest, ScreenshotsOfTheStatisticsAndRunLogPages) {
  // A month of likes, some invitation records and a run log.
  fs::create_directories(config::pluginDir());
  for (int back = 0; back < 30; ++back) {
    clock_ = text::LocalTime{2024, 3, 5 - std::min(back, 4), 14, 7, 0};
    if (back >= 5) clock_ = text::LocalTime{2024, 2, 29 - (back - 5), 14, 7, 0};
    gifting::recordGift(std::to_string((back * 37) % 300 + (back % 7 == 0 ? 0 : 40)));
  }
  clock_ = text::LocalTime{2024, 3, 5, 14, 7, 0};
  const std::string records = config::RecordsPath(config::defaultFolder(), g("入群数据.ini"));
  fs::create_directories(fs::path(records).parent_path());
  std::ofstream out(records, std::ios::binary);
  for (int i = 0; i < 40; ++i)
    out << "[" << 10000 + i * 37 << "]\r\n" << g("拉入人数=") << i % 5 << g("\r\n退群人数=0\r\n获得名片赞=") << 100 + (i % 5) * 100 << "\r\n";
  out.close();
  for (int i = 0; i < 30; ++i)
    gifting::appendRunLog(i % 4 == 3 ? 2 : 1, g("[亿乐对接]  下单QQ:") + std::to_string(10000 + i) + g("下单数量100"));
  for (int i = 0; i < 30; ++i) gifting::appendRunLog(0, g("[亿乐对接]  下单QQ:") + std::to_string(10000 + i));
  open();
  tick();
  QDir().mkpath(q(IR_SCREENSHOT_DIR));
  press("赠送统计");
  QApplication::processEvents();
  ASSERT_TRUE(window->grab().save(q(IR_SCREENSHOT_DIR) + q("/statistics.png")));
  press("运行日志");
  QTest::qWait(150);
  ASSERT_TRUE(window->grab().save(q(IR_SCREENSHOT_DIR) + q("/run-log.png")));
}

}  // namespace

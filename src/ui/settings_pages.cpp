// The window's frame, side menu and the controls of its ten pages: names, texts and places only.
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/colours.h"
#include "ui/likes_chart.h"
#include "ui/link_label.h"
#include "ui/pictures.h"
#include "ui/settings_window.h"

namespace ui {

namespace {

QString u(const char* utf8) { return QString::fromUtf8(utf8); }

template <class W>
W* named(W* widget, const char* name) {
  if (name && *name) widget->setObjectName(u(name));
  return widget;
}

QLabel* label(const char* text, const char* name = nullptr) { return named(new QLabel(u(text)), name); }

QLineEdit* lineEdit(const char* name, const char* text = "") {
  auto* e = named(new QLineEdit(u(text)), name);
  e->setMinimumHeight(22);
  return e;
}

QPlainTextEdit* textBox(const char* name, bool displayOnly = false, const char* text = "") {
  auto* e = named(new QPlainTextEdit(u(text)), name);
  e->setReadOnly(displayOnly);
  return e;
}

QCheckBox* checkBox(const char* name, const char* text) { return named(new QCheckBox(u(text)), name); }
QRadioButton* radio(const char* name, const char* text) { return named(new QRadioButton(u(text)), name); }

LinkLabel* link(const char* name, const char* text, uint32_t rest = colour::kUnselected) {
  auto* l = named(new LinkLabel(u(text)), name);
  l->setAlignment(Qt::AlignCenter);
  l->setBackground(rest);
  l->setStyleSheet(QStringLiteral("color: white; padding: 2px 10px;"));
  l->setMinimumHeight(24);
  return l;
}

QLabel* picture(const char* name, const QPixmap& pixmap) {
  auto* l = named(new QLabel, name);
  l->setPixmap(pixmap);
  l->setFixedSize(pixmap.size());
  return l;
}

// A box: a title on a picture strip above its content.
QWidget* titledBox(const char* title, QLayout* content) {
  auto* box = new QFrame;
  box->setFrameShape(QFrame::StyledPanel);
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(0, 0, 0, 4);
  v->setSpacing(4);
  auto* strip = new QLabel(u(title));
  strip->setFixedHeight(22);
  strip->setStyleSheet(QStringLiteral("color: white; padding-left: 6px;"));
  strip->setAutoFillBackground(true);
  QPalette p = strip->palette();
  p.setBrush(QPalette::Window, QBrush(stripPicture(640, 22)));
  strip->setPalette(p);
  v->addWidget(strip);
  content->setContentsMargins(6, 0, 6, 0);
  // The content takes the box's spare height, so the title strip stays at the top.
  v->addLayout(content, 1);
  return box;
}

// A label whose blanks hold an edit box, as in "QQ等级限制                级".
QWidget* labelAroundBox(const char* text, const char* before, QLineEdit* box) {
  auto* l = new QLabel(u(text));
  const QFontMetrics fm(l->font());
  const int width = fm.horizontalAdvance(l->text()) + 4;
  const int start = fm.horizontalAdvance(u(before)) + 3;
  int span = 0;
  for (QChar c : l->text().mid(u(before).size())) {
    if (c != QChar(0x20)) break;
    span += fm.horizontalAdvance(c);
  }
  l->setFixedSize(width, 24);
  box->setParent(l);
  box->setGeometry(start, 1, std::max(span - 6, 24), 22);
  box->setAlignment(Qt::AlignCenter);
  return l;
}

QTabWidget* tabs(const char* name, std::initializer_list<const char*> pageNames, bool headers) {
  auto* t = named(new QTabWidget, name);
  for (const char* page : pageNames) {
    auto* w = new QWidget;
    t->addTab(w, u(page));
  }
  if (!headers) t->tabBar()->hide();
  return t;
}

QWidget* pageFoot(const char* first, const char* second, std::initializer_list<const char*> undeveloped) {
  auto* w = new QWidget;
  auto* h = new QHBoxLayout(w);
  h->setContentsMargins(0, 0, 0, 0);
  h->addWidget(link(first, "第一页", colour::kRed));
  h->addWidget(link(second, "第二页", colour::kInactivePage));
  for (const char* name : undeveloped) h->addWidget(link(name, "未开发", colour::kInactivePage));
  h->addStretch();
  return w;
}

QFont menuFont() {
  QFont f;
  f.setFamilies({u("Microsoft YaHei"), u("微软雅黑"), u("WenQuanYi Micro Hei")});
  f.setPointSize(10);
  return f;
}

}  // namespace

void SettingsWindow::buildFrame() {
  setFixedSize(768, 590);
  QFont f;
  f.setFamilies({u("WenQuanYi Micro Hei"), u("Microsoft YaHei")});
  f.setPointSize(9);
  setFont(f);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(246, 244, 250));
  setPalette(p);

  auto* header = new QLabel(this);
  header->setGeometry(0, 0, 768, 60);
  header->setPixmap(bannerPicture(768, 60, QString(), 1));
  auto* logo = picture("图片框1", logoPicture(48));
  logo->setParent(this);
  logo->move(10, 6);
  auto* title = picture("图片框2", titlePicture(300, 40));
  title->setParent(this);
  title->move(66, 10);
  auto* version = label("V 1.12", "透明标签62");
  version->setParent(this);
  version->setStyleSheet(QStringLiteral("color: white;"));
  version->setGeometry(372, 24, 60, 20);
  auto* close = named(new LinkLabel(QString(), this), "图形按钮1");
  close->setPixmap(headerButtonPicture(true, 40));
  close->setGeometry(728, 0, 40, 40);
  close->setAutoFillBackground(false);
  auto* second = named(new LinkLabel(QString(), this), "图形按钮2");
  second->setPixmap(headerButtonPicture(false, 40));
  second->setGeometry(688, 0, 40, 40);
  second->setAutoFillBackground(false);
  connect(close, &LinkLabel::released, this, &QDialog::reject);

  auto* topStrip = picture("图片框3", stripPicture(640, 10));
  topStrip->setParent(this);
  topStrip->move(128, 60);
  auto* bottomStrip = picture("图片框4", stripPicture(768, 4));
  bottomStrip->setParent(this);
  bottomStrip->move(0, 586);

  buildSideMenu();

  pages_ = named(new QTabWidget(this), "选择夹1");
  pages_->setGeometry(128, 70, 649, 540);
  pages_->tabBar()->hide();
  pages_->setDocumentMode(true);
  struct Page {
    const char* name;
    QWidget* (SettingsWindow::*build)();
  };
  const Page all[] = {{"插件界面", &SettingsWindow::buildPluginPage},  {"回复设置", &SettingsWindow::buildReplyPage},
                      {"群管设置", &SettingsWindow::buildModerationPage}, {"赠送统计", &SettingsWindow::buildStatisticsPage},
                      {"运行日志", &SettingsWindow::buildRunLogPage},  {"社区配置", &SettingsWindow::buildCommunityPage},
                      {"代刷配置", &SettingsWindow::buildOrdersPage},  {"更新版本", &SettingsWindow::buildUpdatePage},
                      {"关于我们", &SettingsWindow::buildAboutPage},   {"群管2", &SettingsWindow::buildModeration2Page}};
  for (const Page& page : all) {
    // The page area past the window's right and bottom edges is out of sight: the content stays
    // within the visible 640 × 520.
    auto* holder = new QWidget;
    auto* v = new QVBoxLayout(holder);
    v->setContentsMargins(6, 4, 15, 26);
    v->addWidget((this->*page.build)());
    pages_->addTab(holder, u(page.name));
  }
  pages_->setCurrentIndex(0);
}

void SettingsWindow::buildSideMenu() {
  auto* menu = new QLabel(this);
  menu->setGeometry(0, 60, 128, 526);
  menu->setAutoFillBackground(true);
  QPalette p = menu->palette();
  p.setColor(QPalette::Window, colorFromRef(colour::kUnselected).darker(130));
  menu->setPalette(p);
  auto* logo = picture("图片框5", logoPicture(70));
  logo->setParent(this);
  logo->move(29, 68);

  static const char* const items[][3] = {
      {"     插件界面", "插件界面", "插件界面图片"}, {"     社区配置", "社区配置", "社区配置图片"},
      {"     代刷配置", "代刷配置", "代刷配置图片"}, {"     回复设置", "回复设置", "回复设置图片"},
      {"     群管设置", "群管设置", "群管设置图片"}, {"     赠送统计", "赠送统计", "赠送统计图片"},
      {"     运行日志", "运行日志", "运行日志图片"}, {"     更新日志", "版本更新", "版本更新图片"},
      {"     关于我们", "关于我们", "关于我们图片"}};
  int y = 148;
  for (int i = 0; i < 9; ++i) {
    auto* item = named(new LinkLabel(u(items[i][0]), this), items[i][1]);
    item->setFont(menuFont());
    item->setStyleSheet(QStringLiteral("color: white; padding-left: 26px;"));
    item->setBackground(colour::kUnselected);
    item->setGeometry(0, y, 128, 35);
    auto* icon = named(new LinkLabel(QString(), this), items[i][2]);
    icon->setPixmap(menuIcon(i, 26));
    icon->setBackground(colour::kUnselected);
    icon->setGeometry(10, y + 4, 26, 26);
    y += 35;
  }
  auto* update = link("超级链接框19", "检测更新");
  update->setParent(this);
  update->setGeometry(24, 550, 80, 24);
}

QWidget* SettingsWindow::buildPluginPage() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(0, 0, 0, 0);

  auto panel = [](const char* title, const char* avatar, const char* nameCaption, const char* nameCaptionName,
                  const char* nameLabel, const char* qqCaption, const char* qqCaptionName, const char* qqLabel) {
    auto* g = new QGridLayout;
    auto* pic = named(new QLabel, avatar);
    pic->setFixedSize(96, 96);
    pic->setFrameShape(QFrame::Box);
    pic->setScaledContents(true);
    g->addWidget(pic, 0, 0, 1, 2, Qt::AlignHCenter);
    g->addWidget(label(nameCaption, nameCaptionName), 1, 0);
    g->addWidget(label("", nameLabel), 1, 1);
    g->addWidget(label(qqCaption, qqCaptionName), 2, 0);
    g->addWidget(label("", qqLabel), 2, 1);
    g->setColumnStretch(1, 1);
    return titledBox(title, g);
  };
  grid->addWidget(panel("机器信息", "图片框26", "机器名称：", "透明标签1", "透明标签2", "机器扣扣：", "透明标签3", "透明标签21"), 0, 0, 1, 2);
  grid->addWidget(panel("主人信息", "图片框27", "主人名称：", "透明标签43", "透明标签44", "主人扣扣：", "透明标签45", "透明标签46"), 0, 2, 1, 2);

  auto* stats = new QGridLayout;
  auto* total = label("9999999", "透明标签55");
  auto* today = label("9999999", "透明标签56");
  for (QLabel* l : {total, today}) {
    QFont big = l->font();
    big.setPointSize(16);
    big.setBold(true);
    l->setFont(big);
    l->setStyleSheet(QStringLiteral("color: #ff5080;"));
    l->setAlignment(Qt::AlignCenter);
  }
  auto* totalCaption = label("总共送出赞", "透明标签52");
  auto* todayCaption = label("今日送出赞", "透明标签53");
  totalCaption->setAlignment(Qt::AlignCenter);
  todayCaption->setAlignment(Qt::AlignCenter);
  stats->addWidget(total, 0, 0);
  stats->addWidget(totalCaption, 1, 0);
  stats->addWidget(today, 2, 0);
  stats->addWidget(todayCaption, 3, 0);
  grid->addWidget(titledBox("朔禾统计助手", stats), 0, 4, 1, 2);

  const char* const banners[] = {"图片框29", "图片框30", "图片框31", "图片框32"};
  for (int i = 0; i < 4; ++i) {
    auto* b = picture(banners[i], bannerPicture(300, 88, u("打造全网第一引流系统"), i));
    grid->addWidget(b, 1 + i / 2, (i % 2) * 3, 1, 3, Qt::AlignCenter);
  }
  grid->setRowStretch(3, 1);

  auto* timer1 = new QTimer(page);
  timer1->setObjectName(u("时钟1"));
  auto* timer2 = new QTimer(page);
  timer2->setObjectName(u("时钟2"));
  return page;
}

QWidget* SettingsWindow::buildReplyPage() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);

  auto* top = new QHBoxLayout;
  auto* list = named(new QListWidget, "列表框1");
  list->addItems({u("每日领赞成功回复语"), u("每日重复领赞回复语"), u("新人进群回复语"), u("邀请成员进群回复语")});
  list->setFixedWidth(136);
  top->addWidget(list);
  auto* replies = tabs("选择夹2", {"每日成功", "每日重复", "新人进群", "邀请成功", "重复邀请", "等级限制", "卡片代码", "小尾巴"},
                       true);
  replies->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 3px 6px; }"));
  struct ReplyPage {
    const char* box;
    const char* variables;
    const char* names;
    bool displayOnly;
  };
  const ReplyPage withVariables[] = {
      {"编辑框23", "领取成功_变量",
       "[现在时间]\n[订单状态]\n[领取赠送数量]\n[小尾巴]\n[领取QQ]\n[@领取QQ号]\n[领取QQ头像]\n[领取QQ名称]\n[邀请统计]", false},
      {"编辑框31", "重复领取_变量",
       "[现在时间]\n[领取赠送数量]\n[邀请赠送数量]\n[入群赠送数量]\n[小尾巴]\n[领取QQ]\n[@领取QQ号]\n[领取QQ头像]\n[领取QQ名称]\n"
       "[邀请统计]",
       false},
      {"编辑框21", "新人进群_变量",
       "[现在时间]\n[入群赠送数量]\n[订单状态]\n[小尾巴]\n[入群QQ]\n[@入群QQ号]\n[入群QQ头像]\n[入群QQ名称]", false},
      {"编辑框22", "邀请成功_变量",
       "[现在时间]\n[入群赠送数量]\n[邀请赠送数量]\n[入群QQ]\n[@入群QQ号]\n[入群QQ头像]\n[入群qq名称]\n[邀请QQ]\n[@邀请QQ号]\n"
       "[邀请QQ头像]\n[邀请QQ名称]\n[入群订单状态]\n[邀请订单状态]\n[小尾巴]",
       false},
      {"编辑框32", "重复邀请_变量",
       "[现在时间]\n[入群赠送数量]\n[邀请赠送数量]\n[小尾巴]\n[入群QQ]\n[@入群QQ号]\n[入群QQ头像]\n[入群QQ名称]", false},
      {"编辑框60", "等级限制_变量", "[现在时间]\n[入群QQ]\n[@入群QQ]\n[入群QQ头像]\n[小尾巴]", true},
  };
  for (int i = 0; i < 6; ++i) {
    auto* h = new QHBoxLayout(replies->widget(i));
    h->setContentsMargins(4, 4, 4, 4);
    h->addWidget(textBox(withVariables[i].box, withVariables[i].displayOnly), 1);
    auto* vars = textBox(withVariables[i].variables, true, withVariables[i].names);
    vars->setFixedWidth(120);
    h->addWidget(vars);
  }
  for (auto [index, box, button, text] : {std::tuple{6, "编辑框61", "超级链接框9", "保存卡片"},
                                          std::tuple{7, "编辑框24", "超级链接框10", "保存"}}) {
    auto* pv = new QVBoxLayout(replies->widget(index));
    pv->setContentsMargins(4, 4, 4, 4);
    pv->addWidget(textBox(box), 1);
    pv->addWidget(link(button, text, colour::kSelected), 0, Qt::AlignRight);
  }
  top->addWidget(replies, 1);
  v->addWidget(titledBox("机器人回复语配置", top), 5);

  auto* bottom = new QVBoxLayout;
  bottom->addWidget(textBox("编辑框17"), 1);
  auto* row = new QHBoxLayout;
  row->addWidget(radio("单选框1", "精确匹配"));
  row->addWidget(radio("单选框2", "模糊匹配"));
  row->addStretch();
  row->addWidget(link("超级链接框18", "使用说明", colour::kTeal));
  row->addWidget(link("超级链接框4", "多行转换", colour::kConverter));
  row->addWidget(link("超级链接框5", "保存全局"));
  bottom->addLayout(row);
  v->addWidget(titledBox("自定义回复语设置", bottom), 4);
  return page;
}

QWidget* SettingsWindow::buildModerationPage() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(0, 0, 0, 0);

  auto* words = new QVBoxLayout;
  words->addWidget(textBox("编辑框26"));
  words->addWidget(label("关键词内容多个用“#”分割"));
  grid->addWidget(titledBox("群内关键词禁言", words), 0, 0);

  auto* white = new QVBoxLayout;
  white->addWidget(textBox("编辑框25"));
  white->addWidget(label("白名单用户多个用“#”分割"));
  grid->addWidget(titledBox("白名单用户", white), 0, 1);

  auto* names = new QVBoxLayout;
  names->addWidget(label("QQ网名关键词   多个用“#”分割"));
  names->addWidget(lineEdit("编辑框29"));
  names->addWidget(label("个性签名关键词 多个用“#”分割"));
  names->addWidget(lineEdit("编辑框30"));
  names->addStretch();
  grid->addWidget(titledBox("违禁词、等级限制配置", names), 1, 0);

  auto* features = new QVBoxLayout;
  features->setSpacing(2);
  features->addWidget(checkBox("选择框10", "是否撤回消息（Por可用)"));
  features->addWidget(checkBox("选择框11", "是否开启图片文字识别"));
  features->addWidget(checkBox("选择框12", "是否开启群管"));
  features->addWidget(checkBox("选择框16", "是否开启低等级过滤"));
  features->addWidget(labelAroundBox("QQ等级限制                级", "QQ等级限制", lineEdit("编辑框27")));
  features->addWidget(labelAroundBox("设置禁言                    分钟", "设置禁言", lineEdit("编辑框28")));
  features->addWidget(link("超级链接框6", "保存全局"), 0, Qt::AlignRight);
  grid->addWidget(titledBox("功能配置", features), 1, 1);

  grid->addWidget(pageFoot("第一页按钮", "第二页按钮",
                           {"第三页按钮", "第四页按钮", "第五页按钮", "第六页按钮", "第七页按钮"}),
                  2, 0, 1, 2);
  grid->setRowStretch(0, 1);
  return page;
}

QWidget* SettingsWindow::buildStatisticsPage() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);

  // The likes of the last 30 days, with the two counters beside the chart.
  auto* trend = new QHBoxLayout;
  chart_ = named(new LikesChart, "赠送走势图");
  trend->addWidget(chart_, 1);
  auto* figures = new QVBoxLayout;
  for (auto [caption, name] : {std::pair{"总共送出赞", "总共送出赞数"}, std::pair{"今日送出赞", "今日送出赞数"}}) {
    auto* figure = label("", name);
    QFont big = figure->font();
    big.setPointSize(14);
    big.setBold(true);
    figure->setFont(big);
    figure->setStyleSheet(QStringLiteral("color: #ff5080;"));
    figure->setAlignment(Qt::AlignCenter);
    figures->addWidget(figure);
    auto* under = label(caption);
    under->setAlignment(Qt::AlignCenter);
    figures->addWidget(under);
  }
  figures->addStretch();
  trend->addLayout(figures);
  v->addWidget(titledBox("近30天每日送出赞", trend), 0);

  auto* content = new QVBoxLayout;
  auto* row = new QHBoxLayout;
  row->addWidget(label("搜索QQ"));
  row->addWidget(lineEdit("编辑框62"), 1);
  row->addWidget(link("超级链接框8", "搜索"));
  row->addWidget(link("超级链接框7", "刷新列表", colour::kDarkRed));
  content->addLayout(row);
  auto* list = named(new QTreeWidget, "超级列表框2");
  list->setHeaderLabels({u("QQ"), u("拉入人数"), u("退群人数"), u("获得名片赞")});
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSortingEnabled(true);
  list->sortByColumn(0, Qt::AscendingOrder);
  list->header()->setSectionResizeMode(QHeaderView::Stretch);
  content->addWidget(list, 1);
  v->addWidget(titledBox("名片赞赠送统计列表", content), 1);
  return page;
}

QWidget* SettingsWindow::buildRunLogPage() {
  auto* content = new QVBoxLayout;
  auto* row = new QHBoxLayout;
  for (int i = 0; i < 5; ++i) row->addWidget(link(kLogButtons[i].name, kLogButtons[i].name, kLogButtons[i].rest));
  row->addStretch();
  content->addLayout(row);
  auto* logs = tabs("选择夹3", {"全部日志", "下单成功", "下单失败", "进群日志", "退群日志"}, true);
  const char* const boxes[] = {"yxrz_1", "yxrz_2", "yxrz_3", "yxrz_4", "yxrz_5"};
  for (int i = 0; i < 5; ++i) {
    auto* h = new QVBoxLayout(logs->widget(i));
    h->setContentsMargins(2, 2, 2, 2);
    auto* box = textBox(boxes[i], true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    h->addWidget(box);
  }
  content->addWidget(logs, 1);
  return titledBox("运行日志", content);
}

QWidget* SettingsWindow::buildCommunityPage() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(0, 0, 0, 0);

  auto* groups = new QVBoxLayout;
  auto* owner = new QHBoxLayout;
  owner->addWidget(label("主人QQ："));
  owner->addWidget(lineEdit("编辑框15"), 1);
  owner->addWidget(link("超级链接框1", "获取群", colour::kSelected));
  groups->addLayout(owner);
  groups->addWidget(named(new QListWidget, "列表框2"), 1);
  groups->addWidget(checkBox("选择框1", "是否所有群都使用相同配置"));
  auto* note = label("（此项被选择那么选择群将无效）");
  note->setStyleSheet(QStringLiteral("color: #c03060;"));
  groups->addWidget(note);
  grid->addWidget(titledBox("选择需要配置的QQ群", groups), 0, 0);

  auto* rewards = new QGridLayout;
  const std::pair<const char*, const char*> amounts[] = {
      {"进群送赞数量", "编辑框18"}, {"邀请送赞数量", "编辑框19"}, {"每日领赞数量", "编辑框20"}, {"领赞口令设置", "编辑框37"}};
  for (int i = 0; i < 4; ++i) {
    rewards->addWidget(label(amounts[i].first), i, 0);
    rewards->addWidget(lineEdit(amounts[i].second), i, 1);
  }
  rewards->setRowStretch(4, 1);
  grid->addWidget(titledBox("奖励配置", rewards), 1, 0);

  auto* community = new QVBoxLayout;
  auto* kind = new QHBoxLayout;
  kind->addWidget(label("选择对接类型"));
  auto* chooser = named(new QComboBox, "组合框2");
  chooser->addItems({u("亿乐社区"), u("玖伍余额"), u("玖伍点数"), u("玖伍卡密"), u("官方api")});
  kind->addWidget(chooser, 1);
  community->addLayout(kind);
  auto* sites = tabs("选择夹4", {"亿乐", "玖伍余额", "玖伍点数", "玖伍卡密", "官方API"}, false);
  struct Row {
    const char* caption;
    const char* box;  // an edit box, or a goods chooser when `button` is a fetch link
    const char* button = nullptr;
    const char* buttonText = nullptr;
  };
  auto fillSite = [&](int index, std::initializer_list<Row> rows) {
    auto* g = new QGridLayout(sites->widget(index));
    g->setContentsMargins(2, 4, 2, 2);
    g->setVerticalSpacing(3);
    int r = 0;
    for (const Row& row : rows) {
      g->addWidget(label(row.caption), r, 0);
      const bool goods = row.buttonText && QString::fromUtf8(row.buttonText) != u("显示");
      if (goods) {
        g->addWidget(named(new QComboBox, row.box), r, 1);
      } else {
        g->addWidget(lineEdit(row.box), r, 1);
      }
      if (row.button) g->addWidget(link(row.button, row.buttonText, goods ? colour::kSelected : colour::kUnselected), r, 2);
      ++r;
    }
    g->setRowStretch(r, 1);
  };
  fillSite(0, {{"社区地址:", "yl_1"},
               {"选择商品", "组合框3", "超级链接框12", "获取商品"},
               {"商品 I D", "yl_2"},
               {"社区账号", "yl_3"},
               {"社区密码", "yl_4", "超级链接框13", "显示"}});
  fillSite(1, {{"社区地址", "jw_1_1"},
               {"选择商品", "组合框4", "超级链接框14", "获取"},
               {"goodsid", "jw_1_2"},
               {"goodtype", "jw_1_3"},
               {"社区账号", "jw_1_4"},
               {"社区密码", "jw_1_5", "超级链接框15", "显示"}});
  fillSite(2, {{"社区地址:", "jw_2_1"},
               {"选择商品", "组合框5", "超级链接框17", "获取"},
               {"goodsid", "jw_2_2"},
               {"goodtype", "jw_2_3"},
               {"社区账号", "jw_2_4"},
               {"社区密码", "jw_2_5", "超级链接框16", "显示"}});
  auto* api = new QVBoxLayout(sites->widget(4));
  api->addWidget(label("此位诚招玖伍系统主站合作"), 0, Qt::AlignCenter);
  for (const char* password : {"yl_4", "jw_1_5", "jw_2_5"})
    sites->findChild<QLineEdit*>(u(password))->setEchoMode(QLineEdit::Password);
  community->addWidget(sites, 1);
  grid->addWidget(titledBox("社区对接配置", community), 0, 1);

  auto* switches = new QGridLayout;
  switches->setVerticalSpacing(2);
  const std::pair<const char*, const char*> boxes[] = {
      {"选择框2", "是否开启入群赠送名片赞"}, {"选择框3", "是否开启邀请赠送名片赞"}, {"选择框4", "是否开启每日领取名片赞"},
      {"选择框5", "是否开启关键词昵称踢出"}, {"选择框6", "是否开启踢出低等级成员"}, {"选择框7", "是否开启检测刷屏踢出群"},
      {"选择框14", "是否踢出广告"},           {"选择框8", "是否开启个签关键词踢出"}, {"选择框9", "是否开启Xml卡片消息"}};
  for (int i = 0; i < 9; ++i) switches->addWidget(checkBox(boxes[i].first, boxes[i].second), i / 2, i % 2);
  switches->addWidget(link("超级链接框2", "保存全局", colour::kRed), 4, 1, Qt::AlignRight);
  switches->setRowStretch(5, 1);
  grid->addWidget(titledBox("机器人参数设置", switches), 1, 1);

  grid->setColumnStretch(0, 2);
  grid->setColumnStretch(1, 3);
  grid->setRowStretch(0, 3);
  grid->setRowStretch(1, 2);
  return page;
}

QWidget* SettingsWindow::buildOrdersPage() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(0, 0, 0, 0);
  auto* notice = label("代刷网加款查询功能  1.2版本时即将放出");
  notice->setStyleSheet(QStringLiteral("color: #c03060; font-size: 14pt;"));
  v->addWidget(notice, 0, Qt::AlignCenter);
  auto* g = new QGridLayout;
  const std::pair<const char*, const char*> rows[] = {
      {"代刷网后台地址", "编辑框6"}, {"管理员账号", "编辑框7"}, {"管理员密码", "编辑框8"}, {"验证码", "编辑框9"}};
  for (int i = 0; i < 4; ++i) {
    g->addWidget(label(rows[i].first), i, 0);
    g->addWidget(lineEdit(rows[i].second), i, 1);
  }
  auto* captcha = named(new QLabel, "图片框12");
  captcha->setFixedSize(90, 30);
  captcha->setFrameShape(QFrame::Box);
  g->addWidget(captcha, 3, 2);
  g->addWidget(link("超级链接框3", "登陆", colour::kGreen), 4, 1, Qt::AlignLeft);
  g->setRowStretch(5, 1);
  g->setColumnStretch(1, 1);
  v->addWidget(titledBox("代刷网登陆", g));
  v->addStretch();
  return page;
}

QWidget* SettingsWindow::buildUpdatePage() {
  auto* page = new QWidget;
  auto* h = new QHBoxLayout(page);
  h->setContentsMargins(0, 0, 0, 0);
  auto* browser = named(new QTextBrowser, "超文本浏览框1");
  // A link of the log opens in the system's browser; the box itself never navigates.
  browser->setOpenLinks(false);
  connect(browser, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
    if (url.scheme() == QStringLiteral("http") || url.scheme() == QStringLiteral("https")) QDesktopServices::openUrl(url);
  });
  h->addWidget(browser, 3);
  auto* side = new QVBoxLayout;
  auto* current = new QGridLayout;
  current->addWidget(label("版本:V6.00"), 0, 0, 1, 2);
  current->addWidget(label("版本号:"), 1, 0);
  current->addWidget(label("10004", "标签38"), 1, 1);
  current->addWidget(label("更新时间:"), 2, 0);
  current->addWidget(label("2018年2月27日", "标签40"), 2, 1);
  side->addWidget(titledBox("当前插件版本", current));
  auto* latest = new QGridLayout;
  latest->addWidget(label("版本:"), 0, 0);
  latest->addWidget(label("", "标签46"), 0, 1);
  latest->addWidget(label("版本号:"), 1, 0);
  latest->addWidget(label("", "标签43"), 1, 1);
  latest->addWidget(label("更新时间:"), 2, 0);
  latest->addWidget(label("", "标签41"), 2, 1);
  latest->addWidget(textBox("编辑框43", true), 3, 0, 1, 2);
  latest->setColumnStretch(1, 1);
  side->addWidget(titledBox("最新插件版本", latest), 1);
  h->addLayout(side, 2);
  return page;
}

QWidget* SettingsWindow::buildAboutPage() { return new QWidget; }

QWidget* SettingsWindow::buildModeration2Page() {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(0, 0, 0, 0);

  auto* flood = new QVBoxLayout;
  flood->setSpacing(3);
  flood->addWidget(checkBox("选择框13", "是否开启刷屏检测功能"));
  flood->addWidget(labelAroundBox("每分钟超过                条信息禁言", "每分钟超过", lineEdit("编辑框1", "20")));
  flood->addWidget(labelAroundBox("每条信息超过                字禁言", "每条信息超过", lineEdit("编辑框2", "20")));
  auto* choice = new QHBoxLayout;
  choice->addWidget(radio("单选框3", "踢出"));
  choice->addWidget(radio("单选框4", "禁言"));
  choice->addStretch();
  flood->addLayout(choice);
  flood->addWidget(labelAroundBox("禁言时长                分钟", "禁言时长", lineEdit("编辑框3", "30")));
  flood->addStretch();
  grid->addWidget(titledBox("刷屏检测配置", flood), 0, 0);

  auto* welcome = new QGridLayout;
  welcome->addWidget(textBox("编辑框4"), 0, 0);
  auto* placeholders = textBox("编辑框5", true, "[QQ]\n[网名]\n[群号]\n[北京时间]");
  placeholders->setFixedWidth(96);
  welcome->addWidget(placeholders, 0, 1);
  welcome->addWidget(checkBox("选择框15", "是否开启入群私聊信息"), 1, 0);
  welcome->addWidget(link("超级链接框11", "保存全局"), 1, 1);
  grid->addWidget(titledBox("进群私聊配置", welcome), 0, 1);

  auto* commands = new QVBoxLayout;
  commands->addWidget(textBox("编辑框10", true,
                              "禁言123456#10  —  禁言指定人多少分钟\n"
                              "解禁123456  —  解除指定人的禁言\n"
                              "加白123456  —  将指定人加入白名单（加入将无视关键词）\n"
                              "删白123456  —  将指定人删除白名单（关键词将有效）\n"
                              "删黑123456  —  将删除黑名单\n"
                              "踢123456  —  将指定人踢出当前群\n"
                              "全体禁言  —  将当当前群全体禁言\n"
                              "全体解禁  —  将当前全体禁言群解禁"));
  grid->addWidget(titledBox("群管指令大全", commands), 1, 0, 1, 2);

  grid->addWidget(pageFoot("第一页按钮1", "第二页按钮1",
                           {"第三页按钮1", "第四页按钮1", "第五页按钮1", "第六页按钮1", "第七页按钮1"}),
                  2, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  return page;
}

}  // namespace ui

#include "ui/settings_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <optional>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "config/plugin_dir.h"
#include "gifting/xml_card.h"
#include "hostapi/host_api.h"
#include "net/http_fetch.h"
#include "net/nickname_lookup.h"
#include "parse/regex_matcher.h"
#include "text/gbk.h"
#include "ui/colours.h"
#include "ui/event_pump.h"
#include "ui/link_label.h"
#include "ui/pictures.h"
#include "ui/window_text.h"

namespace ui {

namespace {

const std::string& community(char type) {
  static const std::string types[] = {"0", "1", "2"};
  return types[type - '0'];
}

// The profile the window edits, with its folder made (one level), or none for the selection 1000.
std::optional<std::string> editedProfile(const std::string& selection) {
  const std::optional<std::string> folder = config::WindowProfileFolder(selection);
  if (!folder) return std::nullopt;
  config::makeFolder(config::FolderPath(*folder));
  return config::ProfilePath(*folder);
}

QPixmap avatarOf(const std::string& qq) {
  net::HttpRequest request;
  request.url = config::serviceAddress(config::Service::Avatar) + "/headimg_dl?dst_uin=" + qq +
                "&spec=160&img_type=jpg";
  request.timeoutSeconds = 10;
  net::HttpResponse response;
  net::HttpFetch(request, &response);
  QPixmap picture;
  picture.loadFromData(reinterpret_cast<const uchar*>(response.bodyBytes.data()), uint(response.bodyBytes.size()));
  return picture;
}

}  // namespace

SettingsWindow::SettingsWindow(QWidget* parent) : DraggableDialog(parent) {
  setWindowTitle(u("朔禾引流插件"));
  // 1. Dragging by any point (mouse handlers below), then the controls.
  buildFrame();
  for (const Binding& b : settingBindings()) bound_.push_back(control<QWidget>(b.control));
  connectNavigation();
  connectButtons();
  connectBindings();
  connectGoods();
  connectStatistics();

  // 2. The host's plug-in folder and ours.
  std::string dir = config::pluginDir();
  if (!dir.empty()) {
    std::string parentDir = dir.substr(0, dir.size() - 1);
    parentDir = parentDir.substr(0, parentDir.rfind('/') + 1);
    config::makeFolder(parentDir);
    config::makeFolder(dir);
  }
  // 3. The default profile, loaded twice as the window always has.
  selection_ = "1";
  config::EnsureProfile(config::defaultFolder());
  LoadProfile();
  LoadProfile();
  // 4. The owner QQ from the core file.
  {
    const std::optional<std::string> owner = config::findSetting(config::CorePath(), config::SettingId::OwnerQQ);
    loading_ = true;
    control<QLineEdit>("编辑框15")->setText(fromGbk(owner.value_or("")));
    loading_ = false;
  }
  // 5. The update notice.
  runUpdateNotice();
  // 6. The card template.
  showCardTemplate();
  // 7, 8. The robot and owner panels; the window is served while their downloads run.
  {
    EventPump pump;
    fillPanels();
  }
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::LoadProfile() {
  const std::optional<std::string> folder = config::WindowProfileFolder(selection_);
  if (!folder) return;
  const std::string path = config::ProfilePath(*folder);
  const bool isDefault = *folder == config::defaultFolder();
  loading_ = true;
  std::optional<char> loadedType;  // the community type whose fields this load fills
  const auto bindings = settingBindings();
  for (std::size_t i = 0; i < bindings.size(); ++i) {
    const Binding& b = bindings[i];
    QWidget* widget = bound_[i];
    const AbsentShows absent = isDefault ? b.absentDefault : b.absentGroup;
    if (!widget || b.openingOnly || absent == AbsentShows::Untouched) continue;
    if (b.community && loadedType != b.community) continue;
    const bool core = config::setting(b.setting).file == config::SettingFile::Core;
    std::optional<std::string> value = config::findSetting(core ? config::CorePath() : path, b.setting);
    if (!value && absent == AbsentShows::Fallback) value = text::gbk(b.fallback);
    switch (b.kind) {
      case BindingKind::Text:
      case BindingKind::Lines:
        if (value) {
          setBoxText(widget, b.kind == BindingKind::Lines ? config::DecodeLines(*value) : *value);
        } else if (absent == AbsentShows::Empty) {
          setBoxText(widget, "");
        }
        break;
      case BindingKind::Check:
        static_cast<QAbstractButton*>(widget)->setChecked(value && *value != config::switchOff());
        break;
      case BindingKind::Radio:
        if (value && *value == b.value) static_cast<QAbstractButton*>(widget)->setChecked(true);
        break;
      case BindingKind::RadioElse: {
        bool other = false;
        for (const Binding& sibling : bindings)
          if (sibling.setting == b.setting && sibling.kind == BindingKind::Radio && value && *value == sibling.value)
            other = true;
        if (value && !other) static_cast<QAbstractButton*>(widget)->setChecked(true);
        break;
      }
      case BindingKind::Community:
        for (char type : {'0', '1', '2'}) {
          if (value && *value == community(type)) {
            static_cast<QComboBox*>(widget)->setCurrentIndex(type - '0');
            control<QTabWidget>("选择夹4")->setCurrentIndex(type - '0');
            loadedType = type;
          }
        }
        break;
    }
  }
  loading_ = false;
}

void SettingsWindow::connectBindings() {
  const auto bindings = settingBindings();
  for (std::size_t i = 0; i < bindings.size(); ++i) {
    const Binding& b = bindings[i];
    QWidget* widget = bound_[i];
    if (!widget || !savesImmediately(b)) continue;
    auto save = [this, &b, widget] { saveBinding(b, widget); };
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
      connect(line, &QLineEdit::textChanged, this, save);
    } else if (auto* lines = qobject_cast<QPlainTextEdit*>(widget)) {
      connect(lines, &QPlainTextEdit::textChanged, this, save);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      // clicked is the user's action only: a load's setChecked stores nothing.
      connect(button, &QAbstractButton::clicked, this, save);
    }
  }
}

void SettingsWindow::saveBinding(const Binding& b, QWidget* widget) {
  if (loading_) return;
  std::string value;
  switch (b.kind) {
    case BindingKind::Text:
      value = boxText(widget);
      break;
    case BindingKind::Lines:
      value = config::EncodeLines(boxText(widget));
      break;
    case BindingKind::Check:
      value = static_cast<QAbstractButton*>(widget)->isChecked() ? config::switchOn() : config::switchOff();
      break;
    case BindingKind::Radio:
    case BindingKind::RadioElse:
      if (!static_cast<QAbstractButton*>(widget)->isChecked()) return;
      value = b.value;
      break;
    case BindingKind::Community:
      return;
  }
  // The core file's settings go to the core file whatever profile is edited, and make no folder.
  if (config::setting(b.setting).file == config::SettingFile::Core) {
    config::writeSetting(config::CorePath(), b.setting, value, config::Sync::Unsynced);
    return;
  }
  // A save per keystroke: the replace is atomic but not synced (ini_file.h).
  if (const std::optional<std::string> path = editedProfile(selection_))
    config::writeSetting(*path, b.setting, value, config::Sync::Unsynced);
}

void SettingsWindow::saveCommunity() {
  const std::optional<std::string> path = editedProfile(selection_);
  if (!path) return;
  const int index = control<QComboBox>("组合框2")->currentIndex();
  if (index < 0 || index > 2) return;
  const char type = char('0' + index);
  config::writeSetting(*path, config::SettingId::CommunityKind, community(type));
  const auto bindings = settingBindings();
  for (std::size_t i = 0; i < bindings.size(); ++i)
    if (bindings[i].community == type && bound_[i]) config::writeSetting(*path, bindings[i].setting, boxText(bound_[i]));
}

void SettingsWindow::showCardTemplate() {
  const std::string path = config::CardTemplatePath();
  if (!config::fileExists(path)) config::writeWholeFile(path, gifting::defaultCardTemplate());
  setBoxText(control<QWidget>("编辑框61"), config::readWholeFile(path));
}

void SettingsWindow::saveCardTemplate() {
  config::writeWholeFile(config::CardTemplatePath(), boxText(control<QWidget>("编辑框61")));
}

void SettingsWindow::selectGroup(int index) {
  if (index < 0 || std::size_t(index) >= groupNumbers_.size()) return;
  selection_ = groupNumbers_[std::size_t(index)];
  const std::optional<std::string> folder = config::WindowProfileFolder(selection_);
  if (folder) {
    // Group numbers come from the host; FolderPath keeps the folder one level below PluginDir,
    // which exists, so making that one level makes every missing level.
    config::EnsureProfile(*folder);
    LoadProfile();
  }
  control<QTabWidget>("选择夹4")->setCurrentIndex(control<QComboBox>("组合框2")->currentIndex());
}

void SettingsWindow::fetchGroups() {
  auto* list = control<QListWidget>("列表框2");
  list->clear();
  groupNumbers_.clear();
  groupNumbers_.push_back("1");
  list->addItem(u("默认配置"));
  hostapi::HostApi& host = hostapi::hostApi();
  const std::string answer = host.GetGroupList(host.GetQQList());
  static const std::string pattern = text::gbk(
      "{#引号auth#引号:0,#引号flag#引号:0,#引号groupid#引号:(.*?),#引号groupname#引号:#引号(.*?)#引号}");
  parse::RegexMatcher matcher;
  if (!matcher.Create(pattern, answer, /*caseSignificant=*/false, /*multiLine=*/false, /*global=*/true,
                      /*quotePlaceholder=*/true))
    errorBox(this, "正则创建失败，请检查正则表达式语句是否有误！");
  const int count = matcher.MatchCount();
  if (count == 0) errorBox(this, "无法正常获取您的群\n可能是您没有加入群或者腾讯协议更新\n请联系朔禾团队");
  for (int i = 1; i <= count; ++i) {
    const std::string number = matcher.SubmatchText(i, 1);
    groupNumbers_.push_back(number);
    list->addItem(fromGbk(number + "-" + matcher.SubmatchText(i, 2)));
  }
}

void SettingsWindow::fillPanels() {
  hostapi::HostApi& host = hostapi::hostApi();
  const std::string robot = host.GetQQList();
  if (!robot.empty()) {
    control<QLabel>("图片框26")->setPixmap(avatarOf(robot));
    control<QLabel>("透明标签2")->setText(fromGbk(net::NicknameLookup(robot)));
  }
  control<QLabel>("透明标签21")->setText(fromGbk(robot));
  const std::string owner = boxText(control<QWidget>("编辑框15"));
  if (!owner.empty()) {
    control<QLabel>("图片框27")->setPixmap(avatarOf(owner));
    control<QLabel>("透明标签44")->setText(fromGbk(host.GetNick(robot, owner)));
  }
  control<QLabel>("透明标签46")->setText(fromGbk(owner));
}

void SettingsWindow::selectMenuItem(int item) {
  static const char* const items[][2] = {{"插件界面", "插件界面图片"}, {"社区配置", "社区配置图片"},
                                         {"代刷配置", "代刷配置图片"}, {"回复设置", "回复设置图片"},
                                         {"群管设置", "群管设置图片"}, {"赠送统计", "赠送统计图片"},
                                         {"运行日志", "运行日志图片"}, {"版本更新", "版本更新图片"},
                                         {"关于我们", "关于我们图片"}};
  static const int pageOf[] = {0, 5, 6, 1, 2, 3, 4, 7, 8};
  for (int i = 0; i < 9; ++i) {
    const uint32_t c = i == item ? colour::kSelected : colour::kUnselected;
    control<LinkLabel>(items[i][0])->setBackground(c);
    control<LinkLabel>(items[i][1])->setBackground(c);
  }
  pages_->setCurrentIndex(pageOf[item]);
}

void SettingsWindow::connectNavigation() {
  static const char* const items[] = {"插件界面", "社区配置", "代刷配置", "回复设置", "群管设置",
                                      "赠送统计", "运行日志", "版本更新", "关于我们"};
  for (int i = 0; i < 9; ++i)
    connect(control<LinkLabel>(items[i]), &LinkLabel::pressed, this, [this, i] { selectMenuItem(i); });

  auto onPress = [this](const char* name, auto action) {
    connect(control<LinkLabel>(name), &LinkLabel::pressed, this, action);
  };
  onPress("第二页按钮", [this] {
    pages_->setCurrentIndex(9);
    control<LinkLabel>("第二页按钮1")->setBackground(colour::kRed);
  });
  onPress("第一页按钮1", [this] {
    pages_->setCurrentIndex(2);
    control<LinkLabel>("第一页按钮1")->setBackground(colour::kPressed);
    control<LinkLabel>("第二页按钮")->setBackground(colour::kInactivePage);
  });
  onPress("第一页按钮", [this] {
    control<LinkLabel>("第一页按钮")->setBackground(colour::kRed);
    control<LinkLabel>("第二页按钮")->setBackground(colour::kInactivePage);
  });

  connect(control<QListWidget>("列表框1"), &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) control<QTabWidget>("选择夹2")->setCurrentIndex(row);
  });
  connect(control<QComboBox>("组合框2"), &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0) control<QTabWidget>("选择夹4")->setCurrentIndex(index);
  });
  connect(control<QListWidget>("列表框2"), &QListWidget::currentRowChanged, this, [this](int row) { selectGroup(row); });

  // Show/hide links of the password boxes: {link, box, colour on press, colour on release}.
  struct Toggle {
    const char* link;
    const char* box;
    std::optional<uint32_t> press, release;
  };
  static const Toggle toggles[] = {{"超级链接框13", "yl_4", std::nullopt, std::nullopt},
                                   {"超级链接框15", "jw_1_5", colour::kPressed, colour::kTeal},
                                   {"超级链接框16", "jw_2_5", colour::kPressed, colour::kUnselected}};
  for (const Toggle& t : toggles) {
    LinkLabel* link = control<LinkLabel>(t.link);
    QLineEdit* box = control<QLineEdit>(t.box);
    connect(link, &LinkLabel::pressed, this, [link, box, &t] {
      if (t.press) link->setBackground(*t.press);
      const bool hidden = link->text() == u("显示");
      box->setEchoMode(hidden ? QLineEdit::Normal : QLineEdit::Password);
      link->setText(hidden ? u("隐藏") : u("显示"));
    });
    if (t.release) connect(link, &LinkLabel::released, this, [link, &t] { link->setBackground(*t.release); });
  }
}

void SettingsWindow::connectButtons() {
  // Button feedback: {link, colour on press, colour on release}; the actions follow.
  struct Feedback {
    const char* link;
    std::optional<uint32_t> press, release;
  };
  static const Feedback feedback[] = {
      {"超级链接框2", colour::kPressed, colour::kRed},        {"超级链接框3", colour::kLoginPressed, colour::kGreen},
      {"超级链接框4", colour::kPressed, colour::kConverter},  {"超级链接框5", colour::kPressed, colour::kUnselected},
      {"超级链接框6", colour::kPressed, colour::kDarkRed},    {"超级链接框9", std::nullopt, colour::kSelected},
      {"超级链接框18", colour::kSelected, colour::kTeal},
  };
  for (const Feedback& f : feedback) {
    LinkLabel* link = control<LinkLabel>(f.link);
    if (f.press) connect(link, &LinkLabel::pressed, this, [link, &f] { link->setBackground(*f.press); });
    if (f.release) connect(link, &LinkLabel::released, this, [link, &f] { link->setBackground(*f.release); });
  }
  connect(control<LinkLabel>("超级链接框2"), &LinkLabel::pressed, this, [this] { saveCommunity(); });
  connect(control<LinkLabel>("超级链接框9"), &LinkLabel::pressed, this, [this] {
    saveCardTemplate();
    control<LinkLabel>("超级链接框9")->setBackground(colour::kRed);
  });
  connect(control<LinkLabel>("超级链接框1"), &LinkLabel::pressed, this, [this] { fetchGroups(); });
}

}  // namespace ui

// The window tests' fixture: a fresh plug-in folder and recording host per test, the window opened
// offscreen, its controls found by name, and a catcher for the modal windows it shows.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "config/plugin_dir.h"
#include "gifting/run_log.h"
#include "gifting/xml_card.h"
#include "hostapi/host_api.h"
#include "stubs/qq_services.h"
#include "stubs/stub_server.h"
#include "support/recording_host.h"
#include "text/date_text.h"
#include "text/gbk.h"
#include "ui/link_label.h"
#include "ui/settings_window.h"
#include "ui/update_notice.h"

namespace ui_test {

namespace fs = std::filesystem;
using ui::LinkLabel;
using ui::SettingsWindow;

inline QString q(const char* utf8) { return QString::fromUtf8(utf8); }
inline std::string g(const char* utf8) { return text::gbk(utf8); }

// Types text as key presses; characters beyond ASCII arrive as key events carrying their text.
inline void typeText(QWidget* w, const QString& text) {
  for (QChar ch : text) {
    if (ch.unicode() < 0x80) {
      QTest::keyClick(w, char(ch.unicode()));
    } else {
      QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
  }
}

inline std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every modal window shown while it lives is recorded and closed: a message box with its OK
// button, the help window with its own link.
class MessageBoxCatcher {
 public:
  struct Shown {
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
  };
  MessageBoxCatcher() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        shown.push_back({box->text(), box->icon(), box->standardButtons()});
        box->button(QMessageBox::Ok)->click();
      } else if (modal && modal->objectName() == QString::fromUtf8("使用说明窗口")) {
        help.push_back(modal->findChild<QPlainTextEdit*>(QString::fromUtf8("编辑框1"))->toPlainText());
        QTest::mousePress(modal->findChild<ui::LinkLabel*>(QString::fromUtf8("超级链接框1")), Qt::LeftButton);
      }
    });
    timer_.start();
  }
  std::vector<Shown> shown;
  std::vector<QString> help;  // the text of each help window closed

 private:
  QTimer timer_;
};

// Addresses the window asks the system's browser to open; none reaches a real browser.
class UrlRecorder : public QObject {
  Q_OBJECT
 public slots:
  void open(const QUrl& url) { urls.push_back(url); }

 public:
  std::vector<QUrl> urls;
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    runDir_ = fs::temp_directory_path() / ("irui-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::remove_all(runDir_);
    fs::create_directories(runDir_);
    config::setPluginDir((runDir_ / "plugin" / "朔禾引流插件").string() + "/");
    host_ = std::make_shared<support::RecordingHost>();
    hostapi::setHostApi(host_);
    ui::resetUpdateNotice();
    gifting::clearRunLog();
    for (const char* scheme : {"http", "https"}) QDesktopServices::setUrlHandler(q(scheme), &browser, "open");
  }
  void TearDown() override {
    window.reset();
    for (const char* scheme : {"http", "https"}) QDesktopServices::unsetUrlHandler(q(scheme));
    text::setClockSource({});
    hostapi::setHostApi(nullptr);
    fs::remove_all(runDir_);
  }

  SettingsWindow& open() {
    window = std::make_unique<SettingsWindow>();
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return *window;
  }

  template <class T>
  T* c(const char* name) {
    T* w = window->control<T>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void press(const char* link) { QTest::mousePress(c<LinkLabel>(link), Qt::LeftButton); }
  void release(const char* link) { QTest::mouseRelease(c<LinkLabel>(link), Qt::LeftButton); }
  void pressAndRelease(const char* link) {
    press(link);
    release(link);
  }
  QColor colourOf(const char* link) { return c<LinkLabel>(link)->background(); }
  int page() { return c<QTabWidget>("选择夹1")->currentIndex(); }

  std::string defaultProfile() const { return config::ProfilePath(config::defaultFolder()); }
  std::string groupProfile(const char* group) const { return config::ProfilePath(group); }
  static std::optional<std::string> stored(const std::string& path, const char* section, const char* key) {
    return config::findIniValue(path, g(section), g(key));
  }
  static void store(const std::string& path, const char* section, const char* key, const char* value) {
    fs::create_directories(fs::path(path).parent_path());
    ASSERT_TRUE(config::writeIniValue(path, g(section), g(key), g(value)));
  }

  // "获取群" with the host answering these groups, then the list item `row` selected.
  void selectGroupRow(int row) { c<QListWidget>("列表框2")->setCurrentRow(row); }
  void fetchGroups(const std::string& hostAnswer) {
    host_->setGroupList(hostAnswer);
    MessageBoxCatcher boxes;
    press("超级链接框1");
  }
  static std::string groupObject(const char* number, const char* name) {
    return g((std::string(R"({"auth":0,"flag":0,"groupid":)") + number + R"(,"groupname":")" + name + R"("})").c_str());
  }

  // The core file's 服务地址 entry `key` (GBK name given in UTF-8) set to `address`.
  static void setService(const char* key, const std::string& address) {
    fs::create_directories(config::pluginDir());
    ASSERT_TRUE(config::writeIniValue(config::CorePath(), g("服务地址"), g(key), address));
  }

  UrlRecorder browser;
  std::unique_ptr<SettingsWindow> window;
  std::shared_ptr<support::RecordingHost> host_;

 private:
  fs::path runDir_;
  static inline int counter_ = 0;
};

}  // namespace ui_test

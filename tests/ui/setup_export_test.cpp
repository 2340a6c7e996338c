// IR_SetUp through the built library's export, as a host calls it: without a display it logs one
// line and returns; with a platform it shows the window modally until its close button is clicked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "support/plugin_loader.h"
#include "support/recording_host.h"
#include "text/gbk.h"

namespace {

namespace fs = std::filesystem;

class EnvironmentOverride {
 public:
  EnvironmentOverride() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
      ::unsetenv(name);
    }
  }
  ~EnvironmentOverride() {
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
      if (saved_[i]) ::setenv(kNames[i], saved_[i]->c_str(), 1);
      else ::unsetenv(kNames[i]);
    }
  }

 private:
  static constexpr const char* kNames[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
  std::vector<std::optional<std::string>> saved_;
};

TEST(SetUpExport, WithoutADisplayLogsOneLineAndReturns) {
  support::host().clear();
  auto plugin = support::loadPlugin();
  plugin->create();
  EnvironmentOverride noDisplay;
  ::setenv("DISPLAY", ":93", 1);  // named, but nothing answers there
  plugin->setUp();
  const auto logged = support::host().callsTo("Api_OutPutLog");
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_NE(text::gbkToUtf8(logged[0].arg(0)).find("设置窗口未打开"), std::string::npos);
  EXPECT_FALSE(fs::exists(fs::path(plugin->pluginDir()) / "默认配置"));
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

// Runs when the plug-in creates its QApplication: clicks the window's close button once it shows.
void closeTheWindowWhenShown() {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer] {
    QWidget* window = QApplication::activeModalWidget();
    if (!window) return;
    if (QWidget* close = window->findChild<QWidget*>(QStringLiteral("图形按钮1"))) {
      timer->stop();
      timer->deleteLater();
      QTest::mouseClick(close, Qt::LeftButton);
    }
  });
  timer->start(10);
}

TEST(SetUpExport, WithAPlatformShowsTheWindowUntilItIsClosed) {
  support::host().clear();
  auto plugin = support::loadPlugin();
  plugin->create();
  EnvironmentOverride offscreen;
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qAddPreRoutine(closeTheWindowWhenShown);
  plugin->setUp();
  EXPECT_TRUE(support::host().callsTo("Api_OutPutLog").empty());
  EXPECT_TRUE(fs::exists(fs::path(plugin->pluginDir()) / "默认配置" / "机器人参数.ini"));
  EXPECT_TRUE(fs::exists(fs::path(plugin->pluginDir()) / "xml.txt"));
  EXPECT_EQ(QCoreApplication::instance(), nullptr);  // the application it made is gone again
}

}  // namespace

// The update notice run at every opening, and the update page's browser box.
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QUrl>
#include <optional>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "text/numbers.h"
#include "ui/event_pump.h"
#include "ui/settings_window.h"
#include "ui/update_notice.h"
#include "ui/window_text.h"

namespace ui {

namespace {


const char* const kOwnPage =
    "<h3>朔禾引流插件 更新日志</h3>"
    "<p>当前版本 V6.00，版本号 10004，更新时间 2018年2月27日。</p>"
    "<p>这里显示更新服务的更新日志。尚未取到日志：在 核心配置.ini 的 [服务地址] 中设置 更新服务"
    "（例如 http://127.0.0.1:8080）后，重新打开本窗口即可查看。</p>";

}  // namespace

void SettingsWindow::runUpdateNotice() {
  std::string text;
  {
    EventPump pump;
    text = fetchUpdateText();
  }
  const std::optional<UpdateInfo> info = parseUpdateText(text);
  if (!info) return;
  auto* latest = control<QLabel>("标签43");
  latest->setText(fromGbk(info->version));
  control<QLabel>("标签46")->setText(fromGbk(info->name));
  control<QLabel>("标签41")->setText(fromGbk(info->date));
  const double newest = text::readNumber(toGbk(latest->text()));
  const double current = text::readNumber(toGbk(control<QLabel>("标签38")->text()));
  if (!text::numberGreater(newest, current)) return;
  // The owner from the core file, else from the owner box; without one the check ends quietly.
  const std::optional<std::string> stored = config::findSetting(config::CorePath(), config::SettingId::OwnerQQ);
  const std::string owner = stored ? *stored : boxText(control<QWidget>("编辑框15"));
  if (owner.empty() || !takeUpdateNotice()) return;
  sendUpdateMessage(owner, info->address);
  QDesktopServices::openUrl(QUrl(fromGbk(info->address)));
  setBoxText(control<QWidget>("编辑框43"), info->address);
  QMessageBox box(QMessageBox::NoIcon, QString(), u("插件更新"), QMessageBox::Ok, this);
  box.exec();
}

void SettingsWindow::showUpdateLog() {
  if (fetching_) return;  // asked again the next time the page is shown
  std::string log;
  {
    ScopedFlag busy(fetching_);
    EventPump pump;
    log = fetchUpdateLog();
  }
  auto* browser = control<QTextBrowser>("超文本浏览框1");
  const QString shown = fromGbk(log);
  if (shown.trimmed().isEmpty()) {
    browser->setHtml(u(kOwnPage));
  } else if (Qt::mightBeRichText(shown)) {
    browser->setHtml(shown);
  } else {
    browser->setPlainText(shown);
  }
  updateLogShown_ = true;
}

}  // namespace ui

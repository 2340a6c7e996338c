// The statistics and run-log pages and the openers of the two small windows: the counters and the
// chart refreshed by 时钟1, the invitation list of the edited profile's folder with its search,
// the run-log views and their buttons.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include "config/profile_choice.h"
#include "gifting/gift_statistics.h"
#include "text/numbers.h"
#include "text/search.h"
#include "ui/colours.h"
#include "ui/likes_chart.h"
#include "ui/link_label.h"
#include "ui/run_log_feed.h"
#include "ui/settings_window.h"
#include "ui/small_windows.h"
#include "ui/window_text.h"

namespace ui {

namespace {

constexpr int kChartDays = 30;
enum Column { kQQ, kInvited, kLeft, kLikes };

// A row of the invitation list: numbers sort by value, then by text.
class MemberRow : public QTreeWidgetItem {
 public:
  explicit MemberRow(const gifting::MemberStatistics& m)
      : QTreeWidgetItem(QStringList{fromGbk(m.qq), fromGbk(m.invited), fromGbk(m.left), fromGbk(m.likes)}),
        numbers_{text::readNumber(m.qq), text::readNumber(m.invited), text::readNumber(m.left),
                 text::readNumber(m.likes)} {}

  bool operator<(const QTreeWidgetItem& other) const override {
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    const auto* row = dynamic_cast<const MemberRow*>(&other);
    if (!row || column < 0 || column > 3) return QTreeWidgetItem::operator<(other);
    if (numbers_[column] != row->numbers_[column]) return numbers_[column] < row->numbers_[column];
    return text(column) < other.text(column);
  }

 private:
  double numbers_[4];
};

}  // namespace

void SettingsWindow::connectStatistics() {
  auto* timer = control<QTimer>("时钟1");
  timer->setInterval(6000);
  connect(timer, &QTimer::timeout, this, &SettingsWindow::refreshStatistics);
  timer->start();
  refreshChart();

  LinkLabel* refresh = control<LinkLabel>("超级链接框7");
  LinkLabel* search = control<LinkLabel>("超级链接框8");
  connect(refresh, &LinkLabel::pressed, this, [this, refresh] {
    refresh->setBackground(colour::kSelected);
    refreshMemberList();
  });
  connect(refresh, &LinkLabel::released, this, [refresh] { refresh->setBackground(colour::kDarkRed); });
  connect(search, &LinkLabel::pressed, this, [this, search] {
    search->setBackground(colour::kSelected);
    searchMembers();
  });
  connect(search, &LinkLabel::released, this, [search] { search->setBackground(colour::kUnselected); });
  // The list is read when its page is shown, so it follows the profile being edited.
  connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
    if (page == 3) refreshMemberList();
    if (page == 7 && !updateLogShown_) showUpdateLog();
  });

  for (int i = 0; i < 5; ++i)
    connect(control<LinkLabel>(kLogButtons[i].name), &LinkLabel::pressed, this, [this, i] { showLogView(i); });
  static const char* const boxes[] = {"yxrz_1", "yxrz_2", "yxrz_3", "yxrz_4", "yxrz_5"};
  runLog_ = new RunLogFeed(
      [this](int view, const std::string& text) { setBoxText(control<QWidget>(boxes[view]), text); }, this);
  runLog_->showAll();

  connect(control<LinkLabel>("超级链接框4"), &LinkLabel::pressed, this, &SettingsWindow::openConverter);
  connect(control<LinkLabel>("超级链接框18"), &LinkLabel::pressed, this, &SettingsWindow::openHelp);
}

void SettingsWindow::refreshStatistics() {
  const gifting::GiftTotals totals = gifting::readGiftTotals();
  control<QLabel>("透明标签55")->setText(fromGbk(totals.total));
  control<QLabel>("透明标签56")->setText(fromGbk(totals.today));
  control<QLabel>("总共送出赞数")->setText(fromGbk(totals.total));
  control<QLabel>("今日送出赞数")->setText(fromGbk(totals.today));
  refreshChart();
}

void SettingsWindow::refreshChart() { chart_->setDays(gifting::likesPerDay(kChartDays)); }

void SettingsWindow::refreshMemberList() {
  auto* list = control<QTreeWidget>("超级列表框2");
  list->setSortingEnabled(false);
  list->clear();
  if (const std::optional<std::string> folder = config::WindowProfileFolder(selection_)) {
    QList<QTreeWidgetItem*> rows;
    for (const gifting::MemberStatistics& m : gifting::readInviteStatistics(*folder)) rows.push_back(new MemberRow(m));
    list->addTopLevelItems(rows);
  }
  list->setSortingEnabled(true);  // sorts again by the column the operator chose
}

void SettingsWindow::searchMembers() {
  auto* list = control<QTreeWidget>("超级列表框2");
  const QString digits = control<QLineEdit>("编辑框62")->text().trimmed();
  list->clearSelection();
  QTreeWidgetItem* first = nullptr;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    QTreeWidgetItem* row = list->topLevelItem(i);
    const bool match = digits.isEmpty() || row->text(kQQ).contains(digits);
    row->setHidden(!match);
    if (match && !digits.isEmpty()) {
      row->setSelected(true);
      if (!first) first = row;
    }
  }
  if (first) list->scrollToItem(first);
}

void SettingsWindow::showLogView(int page) {
  control<QTabWidget>("选择夹3")->setCurrentIndex(page);
  for (int i = 0; i < 5; ++i)
    control<LinkLabel>(kLogButtons[i].name)->setBackground(i == page ? colour::kRed : kLogButtons[i].rest);
}

void SettingsWindow::openConverter() {
  auto* converter = new TextConverter(this);
  converter->setAttribute(Qt::WA_DeleteOnClose);
  converter->show();
}

void SettingsWindow::openHelp() {
  HelpWindow help(this);
  help.exec();
}

}  // namespace ui

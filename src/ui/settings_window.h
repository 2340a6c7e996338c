// SettingsWindow: the plug-in's settings window, 768 × 590, frameless and draggable by any point.
//
// A side menu switches the ten pages of the tab control 选择夹1. The window edits one profile at a
// time, named by its selection text ("1" for the default profile, else a group number; 1000 names
// none): opening it ensures and loads the default profile, selecting an entry of the group list
// 列表框2 ensures and loads that profile, and nearly every control stores its value in the edited
// profile (or the core file) the moment it changes, through the binding table
// (setting_bindings.h). The community fields wait for "保存全局", the card template for "保存卡片".
// "获取群" fills the group list from the host. Every control carries its own name as objectName.
//
// The live pages: the goods choosers of the community page fetch the sites' goods lists; the timer
// 时钟1 (6 s) refreshes the like counters and the chart of the last 30 days; the statistics list
// shows the invitation records of the edited profile's folder (read-only); the run-log page shows
// the five run-log views, fed from the threads that place orders; "多行转换" and "使用说明" open the
// two small windows; opening runs the update notice, and the update page shows the service's log.
//
// All of it runs on the thread that created the window; host calls and downloads are synchronous,
// and while a download runs the window keeps processing its events (a second fetch is refused).
#pragma once

#include <string>
#include <vector>

#include "ui/draggable_dialog.h"
#include "ui/setting_bindings.h"

class QTabWidget;

namespace ui {

class LikesChart;
class LinkLabel;
class RunLogFeed;

class SettingsWindow : public DraggableDialog {
  Q_OBJECT
 public:
  explicit SettingsWindow(QWidget* parent = nullptr);
  ~SettingsWindow() override;

  // Fills every bound control from the profile the selection text names (nothing for none).
  void LoadProfile();

  // The selection text and the group numbers behind 列表框2 (GBK).
  const std::string& selectionText() const { return selection_; }
  const std::vector<std::string>& groupNumbers() const { return groupNumbers_; }

  // The goods lists behind 组合框3 and 组合框4 (GBK), replaced by each fetch.
  const std::vector<std::string>& yileGoodsIds() const { return yileGoodsIds_; }
  const std::vector<std::string>& jiuwuGoodsIds() const { return jiuwuGoodsIds_; }
  const std::vector<std::string>& jiuwuGoodsTypes() const { return jiuwuGoodsTypes_; }

  // The handler of 时钟1: the two counters from the gift ledger, and the chart.
  void refreshStatistics();
  // Shows page n of the run-log tabs and colours the five buttons.
  void showLogView(int page);

  template <class T>
  T* control(const char* name) const { return findChild<T*>(QString::fromUtf8(name)); }

 private:
  // Layout (settings_pages.cpp).
  void buildFrame();
  void buildSideMenu();
  QWidget* buildPluginPage();
  QWidget* buildReplyPage();
  QWidget* buildModerationPage();
  QWidget* buildStatisticsPage();
  QWidget* buildRunLogPage();
  QWidget* buildCommunityPage();
  QWidget* buildOrdersPage();
  QWidget* buildUpdatePage();
  QWidget* buildAboutPage();
  QWidget* buildModeration2Page();

  // Behaviour (settings_window.cpp).
  void connectNavigation();
  void connectButtons();
  void connectBindings();
  void selectMenuItem(int item);
  void selectGroup(int index);
  void saveBinding(const Binding& binding, QWidget* control);
  void saveCommunity();
  void saveCardTemplate();
  void fetchGroups();
  void showCardTemplate();
  void fillPanels();

  // Goods choosers (goods_choosers.cpp).
  void connectGoods();
  void normaliseField(const char* box);
  void fetchYileGoods();
  void fetchJiuwuGoods();
  void selectYileGoods(int index);
  void selectJiuwuGoods(int index);

  // Statistics, run log and the small windows (statistics_pages.cpp).
  void connectStatistics();
  void refreshChart();
  void refreshMemberList();
  void searchMembers();
  void openConverter();
  void openHelp();

  // Update notice and log (update_page.cpp).
  void runUpdateNotice();
  void showUpdateLog();

  QTabWidget* pages_ = nullptr;
  std::vector<QWidget*> bound_;  // parallel to settingBindings()
  std::string selection_ = "1";
  std::vector<std::string> groupNumbers_;
  bool loading_ = false;
  bool fetching_ = false;  // a download started by a press is running
  bool updateLogShown_ = false;
  std::vector<std::string> yileGoodsIds_, jiuwuGoodsIds_, jiuwuGoodsTypes_;
  LikesChart* chart_ = nullptr;
  RunLogFeed* runLog_ = nullptr;
};

}  // namespace ui

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
// All of it runs on the thread that created the window; host calls and downloads are synchronous.
#pragma once

#include <QDialog>
#include <QPoint>
#include <string>
#include <vector>

#include "ui/setting_bindings.h"

class QTabWidget;

namespace ui {

class LinkLabel;

class SettingsWindow : public QDialog {
  Q_OBJECT
 public:
  explicit SettingsWindow(QWidget* parent = nullptr);

  // Fills every bound control from the profile the selection text names (nothing for none).
  void LoadProfile();

  // The selection text and the group numbers behind 列表框2 (GBK).
  const std::string& selectionText() const { return selection_; }
  const std::vector<std::string>& groupNumbers() const { return groupNumbers_; }

  template <class T>
  T* control(const char* name) const { return findChild<T*>(QString::fromUtf8(name)); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

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

  QTabWidget* pages_ = nullptr;
  std::vector<QWidget*> bound_;  // parallel to settingBindings()
  std::string selection_ = "1";
  std::vector<std::string> groupNumbers_;
  bool loading_ = false;
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace ui

// The goods choosers of the community page: fetching the sites' goods lists into 组合框3 and
// 组合框4, and filling the goods fields from the chosen name.
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>

#include "gifting/goods_list.h"
#include "ui/colours.h"
#include "ui/event_pump.h"
#include "ui/link_label.h"
#include "ui/settings_window.h"
#include "ui/window_text.h"

namespace ui {

namespace {

// Shows the names with none chosen, so that no name appears picked before the operator picks one.
void fill(QComboBox* box, const std::vector<std::string>& names) {
  QStringList items;
  items.reserve(qsizetype(names.size()));
  for (const std::string& name : names) items.push_back(fromGbk(name));
  box->addItems(items);
  box->setCurrentIndex(-1);
}

// The two boxes shared by both sites; true when the list may be shown.
bool reportFailure(QWidget* parent, const gifting::GoodsList& list) {
  if (list.patternFailed) {
    errorBox(parent, "正则创建失败，请检查正则表达式语句是否有误！");
    return true;
  }
  if (list.matches == 0) {
    errorBox(parent, "匹配失败，请检检查正则语句是否有误，数量：0");
    return true;
  }
  return false;
}

}  // namespace

void SettingsWindow::connectGoods() {
  connect(control<LinkLabel>("超级链接框12"), &LinkLabel::pressed, this, [this] { fetchYileGoods(); });
  LinkLabel* jiuwu = control<LinkLabel>("超级链接框14");
  connect(jiuwu, &LinkLabel::pressed, this, [this] { fetchJiuwuGoods(); });
  connect(jiuwu, &LinkLabel::released, this, [jiuwu] { jiuwu->setBackground(colour::kGreen); });
  // The 玖伍点数 tab's link fetches nothing.
  LinkLabel* points = control<LinkLabel>("超级链接框17");
  connect(points, &LinkLabel::pressed, this, [this, points] {
    points->setBackground(colour::kPressed);
    normaliseField("jw_2_1");
  });
  connect(points, &LinkLabel::released, this, [points] { points->setBackground(colour::kDarkRed); });
  // activated is the operator's choice: filling the box chooses nothing.
  connect(control<QComboBox>("组合框3"), &QComboBox::activated, this, [this](int i) { selectYileGoods(i); });
  connect(control<QComboBox>("组合框4"), &QComboBox::activated, this, [this](int i) { selectJiuwuGoods(i); });
}

void SettingsWindow::normaliseField(const char* box) {
  auto* field = control<QLineEdit>(box);
  const std::string address = boxText(field);
  const std::string normalised = gifting::normaliseAddress(address);
  if (normalised != address) field->setText(fromGbk(normalised));
}

void SettingsWindow::fetchYileGoods() {
  if (fetching_) return;
  ScopedFlag busy(fetching_);
  normaliseField("yl_1");
  gifting::GoodsList list;
  {
    EventPump pump;
    list = gifting::fetchYileGoods(boxText(control<QLineEdit>("yl_1")));
  }
  auto* box = control<QComboBox>("组合框3");
  box->clear();
  yileGoodsIds_.clear();
  if (reportFailure(this, list)) return;
  fill(box, list.names);
  yileGoodsIds_ = std::move(list.ids);
}

void SettingsWindow::fetchJiuwuGoods() {
  if (fetching_) return;
  ScopedFlag busy(fetching_);
  control<LinkLabel>("超级链接框14")->setBackground(colour::kPressed);
  normaliseField("jw_1_1");
  gifting::GoodsList list;
  {
    EventPump pump;
    list = gifting::fetchJiuwuGoods(boxText(control<QLineEdit>("jw_1_1")));
  }
  jiuwuGoodsIds_.clear();
  jiuwuGoodsTypes_.clear();
  auto* box = control<QComboBox>("组合框4");
  box->clear();
  if (reportFailure(this, list)) return;
  fill(box, list.names);
  jiuwuGoodsIds_ = std::move(list.ids);
  jiuwuGoodsTypes_ = std::move(list.types);
}

void SettingsWindow::selectYileGoods(int index) {
  if (index < 0 || std::size_t(index) >= yileGoodsIds_.size()) return;
  control<QLineEdit>("yl_2")->setText(fromGbk(yileGoodsIds_[std::size_t(index)]));
}

void SettingsWindow::selectJiuwuGoods(int index) {
  // A name whose position has no id or no type fills neither field.
  const std::size_t k = std::size_t(index);
  if (index < 0 || k >= jiuwuGoodsIds_.size() || k >= jiuwuGoodsTypes_.size()) return;
  control<QLineEdit>("jw_1_2")->setText(fromGbk(jiuwuGoodsIds_[k]));
  control<QLineEdit>("jw_1_3")->setText(fromGbk(jiuwuGoodsTypes_[k]));
}

}  // namespace ui

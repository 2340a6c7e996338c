// LikesChart: a painted bar chart of the likes given per day, one bar per day, oldest on the left,
// with the day of the month under every fifth bar and today's bar picked out. It only draws what
// it is given.
#pragma once

#include <QWidget>
#include <vector>

#include "gifting/gift_statistics.h"

namespace ui {

class LikesChart : public QWidget {
  Q_OBJECT
 public:
  explicit LikesChart(QWidget* parent = nullptr);

  void setDays(std::vector<gifting::DayLikes> days);
  const std::vector<gifting::DayLikes>& days() const { return days_; }

  QSize sizeHint() const override { return {600, 170}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<gifting::DayLikes> days_;
};

}  // namespace ui

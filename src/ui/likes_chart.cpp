#include "ui/likes_chart.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "text/numbers.h"
#include "ui/colours.h"
#include "ui/link_label.h"

namespace ui {

namespace {

// A round top for the scale: 1, 2 or 5 times a power of ten, at least the largest value.
double scaleTop(double largest) {
  if (largest <= 0) return 10;
  const double power = std::pow(10.0, std::floor(std::log10(largest)));
  for (double step : {1.0, 2.0, 5.0, 10.0})
    if (step * power >= largest) return step * power;
  return 10 * power;
}

QString number(double value) { return QString::fromStdString(text::writeNumber(value)); }

}  // namespace

LikesChart::LikesChart(QWidget* parent) : QWidget(parent) { setMinimumHeight(120); }

void LikesChart::setDays(std::vector<gifting::DayLikes> days) {
  days_ = std::move(days);
  update();
}

void LikesChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), Qt::white);
  const QFontMetrics fm(font());
  double largest = 0;
  for (const auto& d : days_) largest = std::max(largest, d.likes);
  const double top = scaleTop(largest);

  const int left = fm.horizontalAdvance(number(top)) + 10, right = 8, above = fm.height() + 4,
            below = fm.height() + 6;
  const QRect plot(left, above, std::max(width() - left - right, 10), std::max(height() - above - below, 10));

  // Scale: four lines with their values.
  p.setPen(QColor(225, 220, 235));
  for (int i = 0; i <= 4; ++i) {
    const int y = plot.bottom() - plot.height() * i / 4;
    p.drawLine(plot.left(), y, plot.right(), y);
    p.setPen(QColor(120, 110, 140));
    p.drawText(QRect(0, y - fm.height() / 2, left - 6, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
               number(top * i / 4));
    p.setPen(QColor(225, 220, 235));
  }
  if (days_.empty()) return;

  const double slot = double(plot.width()) / double(days_.size());
  const double bar = std::max(slot * 0.7, 1.0);
  const QColor rest = colorFromRef(colour::kUnselected), today = colorFromRef(colour::kSelected);
  for (std::size_t i = 0; i < days_.size(); ++i) {
    const auto& d = days_[i];
    const bool last = i + 1 == days_.size();
    const double h = d.likes <= 0 ? 0 : std::max(plot.height() * std::min(d.likes / top, 1.0), 1.0);
    const QRectF r(plot.left() + slot * double(i) + (slot - bar) / 2, plot.bottom() - h, bar, h);
    p.fillRect(r, last ? today : rest);
    if (last || (days_.size() - 1 - i) % 5 == 0) {
      p.setPen(QColor(90, 80, 110));
      p.drawText(QRectF(r.center().x() - 20, plot.bottom() + 3, 40, fm.height()), Qt::AlignCenter,
                 QString::number(d.day.day));
    }
  }
  // Today's figure above its bar.
  const auto& t = days_.back();
  p.setPen(today.darker(130));
  const double h = std::min(t.likes / top, 1.0) * plot.height();
  p.drawText(QRectF(plot.right() - 80, plot.bottom() - h - fm.height() - 2, 80, fm.height()),
             Qt::AlignRight | Qt::AlignBottom, number(t.likes));
}

}  // namespace ui

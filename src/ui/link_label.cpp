#include "ui/link_label.h"

#include <QMouseEvent>

namespace ui {

QColor colorFromRef(uint32_t bbggrr) {
  return QColor(int(bbggrr & 0xFF), int((bbggrr >> 8) & 0xFF), int((bbggrr >> 16) & 0xFF));
}

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  setAutoFillBackground(true);
  setCursor(Qt::PointingHandCursor);
}

void LinkLabel::setBackground(uint32_t bbggrr) {
  QPalette p = palette();
  p.setColor(QPalette::Window, colorFromRef(bbggrr));
  setPalette(p);
}

QColor LinkLabel::background() const { return palette().color(QPalette::Window); }

// The press is taken here, so a link never starts a drag of the window.
void LinkLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit pressed();
  event->accept();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) emit released();
  event->accept();
}

}  // namespace ui

// LinkLabel: the window's clickable label. It is the side-menu items and their icons, the paging
// links and every link-style button: it reports the left button going down and coming up, and
// its background colour is set as a Windows colour value (0x00BBGGRR), the form in which every
// colour of the window is written, and read back as a QColor.
#pragma once

#include <QLabel>
#include <cstdint>

namespace ui {

// 0x00BBGGRR to a colour: red in the low byte.
QColor colorFromRef(uint32_t bbggrr);

class LinkLabel : public QLabel {
  Q_OBJECT
 public:
  explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

  void setBackground(uint32_t bbggrr);
  QColor background() const;

 signals:
  void pressed();
  void released();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace ui

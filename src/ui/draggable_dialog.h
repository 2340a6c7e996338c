// DraggableDialog: a frameless window that the user drags by any point of its surface (a press
// that a control takes, such as a link's, starts no drag).
#pragma once

#include <QDialog>
#include <QPoint>

namespace ui {

class DraggableDialog : public QDialog {
  Q_OBJECT
 public:
  explicit DraggableDialog(QWidget* parent = nullptr);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace ui

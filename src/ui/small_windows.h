// The two small windows of the keyword library: the text converter, which turns a reply typed on
// several lines into the one-line form of a library entry, and the help window that explains the
// entry format. Both draw their own frame, can be dragged by any point, read and write no file,
// and are made afresh at every opening; each closes only through its own button.
#pragma once

#include <string>
#include <string_view>

#include "ui/draggable_dialog.h"

namespace ui {

// Every CR LF pair becomes "[/n]", left to right; a lone CR or LF stays. GBK.
std::string joinLines(std::string_view text);

// 452 × 488, modeless: source box 编辑框1, link 超级链接框1 "转换", result box 编辑框2, close
// button 图形按钮1.
class TextConverter : public DraggableDialog {
  Q_OBJECT
 public:
  explicit TextConverter(QWidget* parent = nullptr);
  void convert();
};

// 380 × 252, shown modally: the eight lines of help in 编辑框1, link 超级链接框1 "我知道了".
class HelpWindow : public DraggableDialog {
  Q_OBJECT
 public:
  explicit HelpWindow(QWidget* parent = nullptr);
};

}  // namespace ui

#include "ui/small_windows.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "text/search.h"
#include "ui/colours.h"
#include "ui/link_label.h"
#include "ui/pictures.h"
#include "ui/window_text.h"

namespace ui {

namespace {

// The header band: a picture across the top with the title label and, when given, the close button.
void addHeader(QDialog* window, int width, const char* titleName, const char* title, bool closeButton) {
  auto* band = new QLabel(window);
  band->setGeometry(0, 0, width, 40);
  band->setPixmap(bannerPicture(width, 40, QString(), 1));
  auto* label = new QLabel(u(title), window);
  label->setObjectName(u(titleName));
  label->setStyleSheet(QStringLiteral("color: white; font-size: 11pt; font-weight: bold;"));
  label->setGeometry(12, 0, width - 60, 40);
  if (!closeButton) return;
  auto* close = new LinkLabel(QString(), window);
  close->setObjectName(u("图形按钮1"));
  close->setPixmap(headerButtonPicture(true, 40));
  close->setAutoFillBackground(false);
  close->setGeometry(width - 40, 0, 40, 40);
  QObject::connect(close, &LinkLabel::released, window, &QDialog::close);
}

LinkLabel* button(const char* name, const char* text, uint32_t rest) {
  auto* l = new LinkLabel(u(text));
  l->setObjectName(u(name));
  l->setAlignment(Qt::AlignCenter);
  l->setBackground(rest);
  l->setStyleSheet(QStringLiteral("color: white; padding: 4px 18px;"));
  return l;
}

void paintGround(QDialog* window) {
  window->setAutoFillBackground(true);
  QPalette p = window->palette();
  p.setColor(QPalette::Window, QColor(246, 244, 250));
  window->setPalette(p);
}

}  // namespace

std::string joinLines(std::string_view text) { return text::replaceAll(text, "\r\n", "[/n]"); }

TextConverter::TextConverter(QWidget* parent) : DraggableDialog(parent) {
  setObjectName(u("多行转换窗口"));
  setWindowTitle(u("多行文本转换"));
  setFixedSize(452, 488);
  paintGround(this);
  addHeader(this, 452, "透明标签2", "多行文本转换", true);
  auto* body = new QWidget(this);
  body->setGeometry(0, 40, 452, 448);
  auto* v = new QVBoxLayout(body);
  v->addWidget(new QLabel(u("源文本")));
  auto* source = new QPlainTextEdit;
  source->setObjectName(u("编辑框1"));
  v->addWidget(source, 3);
  auto* convert = button("超级链接框1", "转换", colour::kRed);
  v->addWidget(convert, 0, Qt::AlignCenter);
  v->addWidget(new QLabel(u("转换结果")));
  auto* result = new QPlainTextEdit;
  result->setObjectName(u("编辑框2"));
  v->addWidget(result, 2);
  connect(convert, &LinkLabel::pressed, this, [this, convert] {
    convert->setBackground(colour::kSelected);
    this->convert();
  });
  connect(convert, &LinkLabel::released, this, [convert] { convert->setBackground(colour::kRed); });
}

void TextConverter::convert() {
  setBoxText(findChild<QWidget*>(u("编辑框2")), joinLines(boxText(findChild<QWidget*>(u("编辑框1")))));
}

HelpWindow::HelpWindow(QWidget* parent) : DraggableDialog(parent) {
  setObjectName(u("使用说明窗口"));
  setWindowTitle(u("自定义回复使用说明"));
  setFixedSize(380, 252);
  paintGround(this);
  addHeader(this, 380, "透明标签1", "自定义回复使用说明", false);
  auto* body = new QWidget(this);
  body->setGeometry(0, 40, 380, 212);
  auto* v = new QVBoxLayout(body);
  auto* help = new QPlainTextEdit(u("换行请用[\\n]\n"
                                    "关键词与回复内容分隔符（----）\n"
                                    "自定义回复全面支持xml\n"
                                    "示例：123----321[\\n]333\n"
                                    "输入关键词：123\n"
                                    "机器人回复：\n"
                                    "321\n"
                                    "333"));
  help->setObjectName(u("编辑框1"));
  help->setReadOnly(true);
  v->addWidget(help, 1);
  auto* ok = button("超级链接框1", "我知道了", colour::kSelected);
  v->addWidget(ok, 0, Qt::AlignCenter);
  connect(ok, &LinkLabel::pressed, this, &QDialog::accept);
}

}  // namespace ui

#include "ui/window_text.h"

#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>

#include "text/gbk.h"
#include "text/search.h"

namespace ui {

QString fromGbk(std::string_view gbk) { return QString::fromStdString(text::gbkToUtf8(gbk)); }
std::string toGbk(const QString& s) { return text::utf8ToGbk(s.toStdString()); }

std::string boxText(QWidget* box) {
  if (auto* line = qobject_cast<QLineEdit*>(box)) return toGbk(line->text());
  if (auto* lines = qobject_cast<QPlainTextEdit*>(box)) return text::replaceAll(toGbk(lines->toPlainText()), "\n", "\r\n");
  return {};
}

void setBoxText(QWidget* box, std::string_view gbk) {
  const QString shown = fromGbk(text::replaceAll(gbk, "\r\n", "\n"));
  if (auto* line = qobject_cast<QLineEdit*>(box)) {
    line->setText(shown);
  } else if (auto* lines = qobject_cast<QPlainTextEdit*>(box)) {
    lines->setPlainText(shown);
  }
}

void errorBox(QWidget* parent, const char* utf8) {
  QMessageBox box(QMessageBox::Critical, QString(), u(utf8), QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace ui

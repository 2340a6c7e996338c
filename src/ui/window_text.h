// Texts between the window's controls and the files: GBK inside, UTF-16 in Qt, and a multi-line
// box's lines joined by CR LF as the files hold them. Also the window's error box.
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QWidget;

namespace ui {

inline QString u(const char* utf8) { return QString::fromUtf8(utf8); }
QString fromGbk(std::string_view gbk);
std::string toGbk(const QString& s);

// The text of a QLineEdit or QPlainTextEdit (lines joined by CR LF), "" for another widget.
std::string boxText(QWidget* box);
// Sets it; CR LF in the text become the box's line breaks.
void setBoxText(QWidget* box, std::string_view gbk);

// A modal box with the error icon, the text and an OK button.
void errorBox(QWidget* parent, const char* utf8);

}  // namespace ui

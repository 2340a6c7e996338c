// The window tests run in one QApplication on the offscreen platform, with the CJK font.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <cstdlib>

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QApplication::setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 9));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// The window's pictures, drawn by the program: logo, title, menu icons, banners, strips and the
// two header buttons. Icons are drawn on a transparent ground so that their label's background
// colour shows through.
#pragma once

#include <QPixmap>
#include <QString>

namespace ui {

QPixmap logoPicture(int side);
QPixmap titlePicture(int width, int height);
QPixmap menuIcon(int item, int side);  // item 0..8, the side-menu order
QPixmap bannerPicture(int width, int height, const QString& text, int variant);
QPixmap stripPicture(int width, int height);
QPixmap headerButtonPicture(bool close, int side);

}  // namespace ui

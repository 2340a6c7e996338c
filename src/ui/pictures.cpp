#include "ui/pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/link_label.h"

namespace ui {

namespace {

QPixmap transparent(int w, int h) {
  QPixmap p(w, h);
  p.fill(Qt::transparent);
  return p;
}

QFont pictureFont(int pixelSize, bool bold) {
  QFont f;
  f.setFamilies({QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei")});
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  return f;
}

}  // namespace

QPixmap logoPicture(int side) {
  QPixmap p = transparent(side, side);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  QLinearGradient grad(0, 0, side, side);
  grad.setColorAt(0, colorFromRef(8409343));
  grad.setColorAt(1, colorFromRef(0x800080));
  g.setBrush(grad);
  g.setPen(QPen(Qt::white, side / 24.0 + 1));
  g.drawEllipse(QRectF(2, 2, side - 4, side - 4));
  g.setFont(pictureFont(side / 2, true));
  g.setPen(Qt::white);
  g.drawText(QRect(0, 0, side, side), Qt::AlignCenter, QStringLiteral("朔"));
  return p;
}

QPixmap titlePicture(int width, int height) {
  QPixmap p = transparent(width, height);
  QPainter g(&p);
  g.setRenderHint(QPainter::TextAntialiasing);
  g.setFont(pictureFont(height * 11 / 20, true));
  g.setPen(Qt::white);
  g.drawText(QRect(0, 0, width, height), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("朔禾引流插件 · 设置"));
  return p;
}

QPixmap menuIcon(int item, int side) {
  QPixmap p = transparent(side, side);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(Qt::white, 2));
  g.setBrush(Qt::NoBrush);
  const QRectF r(5, 5, side - 10, side - 10);
  switch (item) {
    case 0:  // the plug-in: a house
      g.drawPolygon(QPolygonF({{r.center().x(), r.top()}, {r.right(), r.center().y()}, {r.right(), r.bottom()},
                               {r.left(), r.bottom()}, {r.left(), r.center().y()}}));
      break;
    case 1:  // community: three dots joined
      g.drawLine(QPointF(r.left() + 2, r.bottom() - 2), QPointF(r.center().x(), r.top() + 2));
      g.drawLine(QPointF(r.center().x(), r.top() + 2), QPointF(r.right() - 2, r.bottom() - 2));
      g.setBrush(Qt::white);
      for (QPointF c : {QPointF(r.left() + 2, r.bottom() - 2), QPointF(r.center().x(), r.top() + 2),
                        QPointF(r.right() - 2, r.bottom() - 2)})
        g.drawEllipse(c, 2.5, 2.5);
      break;
    case 2:  // orders: a card
      g.drawRoundedRect(r, 2, 2);
      g.drawLine(QPointF(r.left(), r.top() + 5), QPointF(r.right(), r.top() + 5));
      break;
    case 3:  // replies: a speech bubble
      g.drawRoundedRect(QRectF(r.left(), r.top(), r.width(), r.height() - 4), 4, 4);
      g.drawLine(QPointF(r.left() + 4, r.bottom() - 4), QPointF(r.left() + 2, r.bottom()));
      break;
    case 4:  // moderation: a shield
    {
      QPainterPath path;
      path.moveTo(r.center().x(), r.top());
      path.lineTo(r.right(), r.top() + 3);
      path.quadTo(r.right(), r.bottom() - 3, r.center().x(), r.bottom());
      path.quadTo(r.left(), r.bottom() - 3, r.left(), r.top() + 3);
      path.closeSubpath();
      g.drawPath(path);
      break;
    }
    case 5:  // statistics: bars
      for (int i = 0; i < 3; ++i) {
        const double h = r.height() * (i + 1) / 3.0;
        g.drawRect(QRectF(r.left() + i * r.width() / 3.0 + 1, r.bottom() - h, r.width() / 3.0 - 3, h));
      }
      break;
    case 6:  // run log: lines of text
      for (int i = 0; i < 4; ++i)
        g.drawLine(QPointF(r.left(), r.top() + 1 + i * r.height() / 3.5),
                   QPointF(r.right() - (i % 2) * 4, r.top() + 1 + i * r.height() / 3.5));
      break;
    case 7:  // updates: a circular arrow
      g.drawArc(r, 30 * 16, 300 * 16);
      g.drawLine(QPointF(r.right(), r.top() + 2), QPointF(r.right() - 1, r.center().y() - 2));
      break;
    default:  // about: an "i" in a circle
      g.drawEllipse(r);
      g.drawLine(QPointF(r.center().x(), r.center().y() - 1), QPointF(r.center().x(), r.bottom() - 3));
      g.drawPoint(QPointF(r.center().x(), r.top() + 4));
      break;
  }
  return p;
}

QPixmap bannerPicture(int width, int height, const QString& text, int variant) {
  static const uint32_t grounds[][2] = {
      {8409343, 0x800080}, {0x800080, 0xFF00FF}, {0x808000, 0x8000}, {24768, 33023}};
  QPixmap p(width, height);
  QPainter g(&p);
  QLinearGradient grad(0, 0, width, height);
  grad.setColorAt(0, colorFromRef(grounds[variant % 4][0]));
  grad.setColorAt(1, colorFromRef(grounds[variant % 4][1]));
  g.fillRect(p.rect(), grad);
  g.setRenderHint(QPainter::TextAntialiasing);
  g.setFont(pictureFont(13, true));
  g.setPen(Qt::white);
  g.drawText(p.rect(), Qt::AlignCenter | Qt::TextWordWrap, text);
  return p;
}

QPixmap stripPicture(int width, int height) {
  QPixmap p(width, height);
  QPainter g(&p);
  QLinearGradient grad(0, 0, width, 0);
  grad.setColorAt(0, colorFromRef(0x800080));
  grad.setColorAt(1, colorFromRef(8409343));
  g.fillRect(p.rect(), grad);
  return p;
}

QPixmap headerButtonPicture(bool close, int side) {
  QPixmap p = transparent(side, side);
  QPainter g(&p);
  g.setRenderHint(QPainter::Antialiasing);
  g.setPen(QPen(Qt::white, 2));
  const double m = side * 0.32;
  if (close) {
    g.drawLine(QPointF(m, m), QPointF(side - m, side - m));
    g.drawLine(QPointF(side - m, m), QPointF(m, side - m));
  } else {
    g.drawLine(QPointF(m, side / 2.0), QPointF(side - m, side / 2.0));
  }
  return p;
}

}  // namespace ui

#include "app/skin.h"

#include <functional>

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace app {
namespace {

const QColor kHeaderTop(0x1b, 0x4f, 0x8f);
const QColor kHeaderBottom(0x2f, 0x7d, 0xd1);
const QColor kBodyTop(0xee, 0xf6, 0xfe);
const QColor kBodyBottom(0xcf, 0xe5, 0xf9);
const QColor kOutline(0x1f, 0x5f, 0xa8);
constexpr int kHeaderHeight = 66;

// One row of the outline: the first and last x that stay, by row.
struct RowSpan {
  int first;
  int last;
};

RowSpan SpanOfRow(int y) {
  if (y < 2 || y > 557) return {1, 0};
  if (y == 2 || y == 557) return {4, 745};
  if (y == 3 || y == 556) return {3, 746};
  return {2, 747};
}

QFont UiFont(int pixel_size, bool bold = false) {
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPixelSize(pixel_size);
  font.setBold(bold);
  return font;
}

void DrawLogo(QPainter& painter, QRectF box) {
  QRadialGradient glow(box.center(), box.width() / 2);
  glow.setColorAt(0, QColor(0xff, 0xd2, 0x5c));
  glow.setColorAt(1, QColor(0xf5, 0x9b, 0x1b));
  painter.setPen(QPen(QColor(255, 255, 255, 200), 2));
  painter.setBrush(glow);
  painter.drawEllipse(box);
  // A "Q" whose tail is a circular arrow: the endless cycle.
  painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  const QRectF ring = box.adjusted(10, 10, -10, -10);
  painter.drawArc(ring, 60 * 16, 300 * 16);
  painter.drawLine(ring.center() + QPointF(3, 3), ring.bottomRight() + QPointF(3, 3));
}

ButtonFaces DrawFaces(QSize size, const std::function<void(QPainter&, bool)>& draw) {
  ButtonFaces faces{QPixmap(size), QPixmap(size)};
  for (bool highlighted : {false, true}) {
    QPixmap& face = highlighted ? faces.highlighted : faces.normal;
    face.fill(Qt::transparent);
    QPainter painter(&face);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    draw(painter, highlighted);
  }
  return faces;
}

}  // namespace

QImage WindowMaskImage() {
  QImage mask(kWindowWidth, kWindowHeight, QImage::Format_RGB32);
  mask.fill(Qt::white);
  for (int y = 0; y < kWindowHeight; ++y) {
    const RowSpan span = SpanOfRow(y);
    for (int x = span.first; x <= span.last; ++x) mask.setPixel(x, y, qRgb(0, 0, 0));
  }
  return mask;
}

QRegion RegionFromMask(const QImage& mask) {
  QRegion region;
  const QImage image = mask.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    int x = 0;
    while (x < image.width()) {
      while (x < image.width() && (line[x] & 0xFFFFFF) == 0xFFFFFF) ++x;
      const int start = x;
      while (x < image.width() && (line[x] & 0xFFFFFF) != 0xFFFFFF) ++x;
      if (x > start) region += QRect(start, y, x - start, 1);
    }
  }
  return region;
}

QPixmap BackgroundPixmap() {
  QPixmap background(kWindowWidth, kWindowHeight);
  background.fill(kOutline);
  QPainter painter(&background);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);

  const QRect inner(3, 3, kWindowWidth - 6, kWindowHeight - 6);
  QLinearGradient body(0, kHeaderHeight, 0, kWindowHeight);
  body.setColorAt(0, kBodyTop);
  body.setColorAt(1, kBodyBottom);
  painter.fillRect(inner, body);

  const QRect header(3, 3, kWindowWidth - 6, kHeaderHeight - 3);
  QLinearGradient band(0, header.top(), 0, header.bottom());
  band.setColorAt(0, kHeaderTop);
  band.setColorAt(1, kHeaderBottom);
  painter.fillRect(header, band);
  // A soft sheen over the upper half of the band.
  painter.fillRect(QRect(header.left(), header.top(), header.width(), header.height() / 2),
                   QColor(255, 255, 255, 28));
  painter.fillRect(QRect(3, kHeaderHeight, kWindowWidth - 6, 2), QColor(0xf5, 0x9b, 0x1b));

  DrawLogo(painter, QRectF(18, 10, 46, 46));

  painter.setPen(Qt::white);
  painter.setFont(UiFont(24, true));
  painter.drawText(QRect(76, 10, 400, 32), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Quorvin挂机采集助手"));
  painter.setFont(UiFont(12));
  painter.setPen(QColor(0xd6, 0xe8, 0xfb));
  painter.drawText(QRect(78, 40, 400, 18), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("无人值守 · 定时采集 · 自动生成"));

  const QRectF badge(322, 16, 42, 20);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xf5, 0x9b, 0x1b));
  painter.drawRoundedRect(badge, 10, 10);
  painter.setPen(Qt::white);
  painter.setFont(UiFont(12, true));
  painter.drawText(badge, Qt::AlignCenter, QStringLiteral("V2.0"));
  return background;
}

ButtonFaces CaptionButtonFaces(const QString& caption, QSize size) {
  return DrawFaces(size, [&](QPainter& painter, bool highlighted) {
    const QRectF box = QRectF(QPointF(0, 0), size).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0, highlighted ? QColor(0x5c, 0xad, 0xff) : QColor(0x3f, 0x8f, 0xe6));
    fill.setColorAt(1, highlighted ? QColor(0x1f, 0x6f, 0xd0) : QColor(0x1d, 0x5c, 0xaa));
    painter.setPen(QPen(highlighted ? QColor(0xf5, 0x9b, 0x1b) : QColor(0x17, 0x4a, 0x8a), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 5, 5);
    painter.setPen(Qt::white);
    painter.setFont(UiFont(14, true));
    painter.drawText(box, Qt::AlignCenter, caption);
  });
}

ButtonFaces MinimiseButtonFaces(QSize size) {
  return DrawFaces(size, [&](QPainter& painter, bool highlighted) {
    if (highlighted) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(255, 255, 255, 60));
      painter.drawRoundedRect(QRectF(QPointF(0, 0), size), 4, 4);
    }
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    const qreal y = size.height() / 2.0 + 0.5;
    painter.drawLine(QPointF(10, y), QPointF(size.width() - 10, y));
  });
}

ButtonFaces CloseButtonFaces(QSize size) {
  return DrawFaces(size, [&](QPainter& painter, bool highlighted) {
    if (highlighted) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(0xe0, 0x3b, 0x3b));
      painter.drawRoundedRect(QRectF(QPointF(0, 0), size), 4, 4);
    }
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    const qreal inset = 10;
    painter.drawLine(QPointF(inset, inset - 1), QPointF(size.width() - inset, size.height() - inset + 1));
    painter.drawLine(QPointF(size.width() - inset, inset - 1), QPointF(inset, size.height() - inset + 1));
  });
}

}  // namespace app

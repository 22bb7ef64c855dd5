// The tool's look, drawn in code: background, window outline and button faces.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QSize>
#include <QString>

namespace app {

inline constexpr int kWindowWidth = 750;
inline constexpr int kWindowHeight = 560;

// Two colours: white is cut away, black is the window.
QImage WindowMaskImage();

// The region of every mask pixel that is not pure white.
QRegion RegionFromMask(const QImage& mask);

QPixmap BackgroundPixmap();

struct ButtonFaces {
  QPixmap normal;
  QPixmap highlighted;
};

ButtonFaces CaptionButtonFaces(const QString& caption, QSize size);
ButtonFaces MinimiseButtonFaces(QSize size);
ButtonFaces CloseButtonFaces(QSize size);

}  // namespace app

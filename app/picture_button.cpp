#include "app/picture_button.h"

#include <QPainter>

namespace app {

PictureButton::PictureButton(ButtonFaces faces, QWidget* parent)
    : QAbstractButton(parent), faces_(std::move(faces)) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_Hover);
}

void PictureButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool highlighted = isDown() || underMouse();
  painter.drawPixmap(rect(), highlighted ? faces_.highlighted : faces_.normal);
}

void PictureButton::enterEvent(QEnterEvent* event) {
  update();
  QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
  update();
  QAbstractButton::leaveEvent(event);
}

}  // namespace app

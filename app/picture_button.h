// A button drawn from two pictures: its normal face and, under the mouse or
// while pressed, its highlighted face. The faces carry the caption.
#pragma once

#include <QAbstractButton>

#include "app/skin.h"

namespace app {

class PictureButton : public QAbstractButton {
  Q_OBJECT

 public:
  PictureButton(ButtonFaces faces, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  ButtonFaces faces_;
};

}  // namespace app

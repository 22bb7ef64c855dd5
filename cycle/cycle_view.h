// What the collection cycle needs of the window.
#pragma once

#include "platform/text.h"

namespace cycle {

class CycleView {
 public:
  enum Page { kSettingsPage = 0, kBackEndPage = 1 };

  virtual ~CycleView() = default;
  virtual void ShowCountdownPanel(bool visible) = 0;
  virtual void SetCountdownText(const platform::Text& text) = 0;
  virtual void SelectPage(Page page) = 0;
};

}  // namespace cycle

#include "platform/event_loop.h"

namespace platform {

const char* const kDefaultMessageBoxTitle = "信息：";

MessageBoxAnswer EventLoop::ShowMessageBox(const Text& text, const std::optional<Text>& title,
                                           MessageBoxButtons buttons) {
  if (QuitRequested()) {
    return buttons == MessageBoxButtons::kOk ? MessageBoxAnswer::kOk : MessageBoxAnswer::kNo;
  }
  return RunMessageBox(text, title.value_or(kDefaultMessageBoxTitle), buttons);
}

}  // namespace platform

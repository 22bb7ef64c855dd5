#include "tests/support/fake_window_tree.h"

namespace test_support {
namespace {

// Answers carry the window they came from, offset so that no answer is 0.
constexpr uintptr_t kAnswerBase = 0x10000;

}  // namespace

WindowHandle FakeWindowTree::Add(Text class_name, WindowHandle parent) {
  const WindowHandle handle = next_handle_++;
  windows_[handle].class_name = std::move(class_name);
  windows_[parent].children.push_back(handle);
  return handle;
}

void FakeWindowTree::GiveDocument(WindowHandle window, ComObject document) {
  windows_[window].answers = true;
  windows_[window].document = std::move(document);
}

std::vector<WindowHandle> FakeWindowTree::Children(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? std::vector<WindowHandle>{} : found->second.children;
}

Text FakeWindowTree::ClassName(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? Text() : found->second.class_name;
}

uint32_t FakeWindowTree::RegisterWindowMessage(const Text& name) {
  // Registered numbers live in the range the system uses for them.
  return messages_.emplace(name, 0xC000 + static_cast<uint32_t>(messages_.size())).first->second;
}

uintptr_t FakeWindowTree::SendMessageTimeout(WindowHandle window, uint32_t message,
                                             int timeout_ms) {
  sends_.push_back({window, message, timeout_ms});
  const auto request = messages_.find(platform::kDocumentRequestMessage);
  if (request == messages_.end() || message != request->second) return 0;
  const auto found = windows_.find(window);
  if (found == windows_.end() || !found->second.answers) return 0;
  return kAnswerBase + window;
}

bool FakeWindowTree::ObjectFromResult(uintptr_t result, ComObject& destination) {
  if (result <= kAnswerBase) return false;
  const auto found = windows_.find(static_cast<WindowHandle>(result - kAnswerBase));
  if (found == windows_.end() || found->second.document.IsEmpty()) return false;
  destination = found->second.document;
  return true;
}

}  // namespace test_support

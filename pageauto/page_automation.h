// The page automation object: attaches to the HTML document shown in a
// browser window and finds, reads and presses the page's elements. Every
// operation gives the neutral value on failure; none throws or shows anything.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/com_object.h"
#include "platform/text.h"
#include "platform/window_tree.h"

namespace pageauto {

using platform::ComObject;
using platform::Text;
using platform::WindowHandle;

class PageAutomation {
 public:
  // How ClickLink and ClickButton choose the element.
  enum Kind : int32_t { kById = 0, kByName = 1, kByPosition = 2, kByText = 3, kByAddress = 4 };

  // The window tree is borrowed for the object's life; it serves the search
  // for a browser's document window.
  explicit PageAutomation(platform::WindowTree& windows);
  virtual ~PageAutomation();
  // A copy shares the attached document.
  PageAutomation(const PageAutomation& other);
  PageAutomation& operator=(const PageAutomation& other);

  // With `document` given, holds it (even an empty one) and never looks at
  // `window`; else with `window` given, the document shown in that window.
  virtual bool AttachDocument(const std::optional<ComObject>& document = std::nullopt,
                              std::optional<WindowHandle> window = std::nullopt);
  virtual bool DocumentFromWindow(WindowHandle window, ComObject& destination);
  virtual WindowHandle FindBrowserServerWindow(WindowHandle window);
  // "outerHTML": the page source; "innerText": the page text; any other name:
  // that property of the document.
  virtual Text GetPageContent(const Text& name);
  virtual bool ClickLink(const Text& text, int32_t kind, std::optional<bool> exact = std::nullopt);
  virtual bool ClickButton(const Text& text, int32_t kind,
                           std::optional<bool> exact = std::nullopt);
  // Appends every browser document window below `window`; true when `list` is
  // not empty afterwards.
  virtual bool FindAllBrowserServerWindows(WindowHandle window, std::vector<WindowHandle>& list);
  // `mode` 1 looks `key` up as a name, every other value as an id.
  virtual ComObject GetElement(const Text& key, int32_t mode);

  const ComObject& AttachedDocument() const { return attached_document_; }

 private:
  // Class names are read as into a 255-byte buffer: longer ones are cut.
  Text ClassNameOf(WindowHandle window) const;
  bool Click(const char* tag, const Text& text, int32_t kind, std::optional<bool> exact);

  platform::WindowTree* windows_;
  ComObject attached_document_;
};

}  // namespace pageauto

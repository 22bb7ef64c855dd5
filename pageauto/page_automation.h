// The page automation object: attaches to the HTML document shown in a
// browser window and finds, reads and presses the page's elements. Every
// operation gives the neutral value on failure; none throws or shows anything.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/com_object.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/window_tree.h"

namespace pageauto {

using platform::ComObject;
using platform::Text;
using platform::WindowHandle;

class RadioGroup;
class CheckBoxGroup;
class SelectList;

class PageAutomation {
 public:
  // How ClickLink and ClickButton choose the element.
  enum Kind : int32_t { kById = 0, kByName = 1, kByPosition = 2, kByText = 3, kByAddress = 4 };
  // How frame, form and list lookups choose among a collection's elements.
  enum LookupMode : int32_t { kLookupByName = 0, kLookupById = 1, kLookupByPosition = 2 };

  // Both services are borrowed for the object's life: the window tree serves
  // the search for a browser's document window, the shell ShellOpen (which
  // does nothing without one).
  explicit PageAutomation(platform::WindowTree& windows, platform::Shell* shell = nullptr);
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
  virtual bool SetElementValue(const Text& key, int32_t mode, const Text& new_value);
  virtual Text GetElementValue(const Text& key, int32_t mode);
  // Replaces the page window's alert, confirm, prompt and showModalDialog by
  // functions that return at once.
  virtual void SuppressDialogs();
  // Appends every browser document window below `window`; true when `list` is
  // not empty afterwards.
  virtual bool FindAllBrowserServerWindows(WindowHandle window, std::vector<WindowHandle>& list);
  virtual void ShellOpen(const Text& target);
  // The selection as HTML when `as_html` is above 0, else as text.
  virtual Text GetSelectionText(std::optional<int32_t> as_html = std::nullopt);
  virtual void ReplaceSelection(const Text& html);
  virtual RadioGroup GetRadioGroup(const Text& name);
  virtual CheckBoxGroup GetCheckBoxGroup(const Text& name);
  virtual SelectList GetSelectList(const Text& key, int32_t mode);
  // `mode` 1 looks `key` up as a name, every other value as an id.
  virtual ComObject GetElement(const Text& key, int32_t mode);
  virtual ComObject ElementAtPoint(int32_t x, int32_t y);
  virtual Text GetInnerHtml(const ComObject& element);
  virtual Text GetInnerText(const ComObject& element);
  virtual Text GetOuterHtml(const ComObject& element);
  virtual Text GetOuterText(const ComObject& element);
  virtual int32_t GetFrameCount();
  virtual ComObject GetFrame(const Text& key, int32_t mode);
  virtual ComObject GetFrameElement(const Text& key, int32_t mode);
  virtual void NavigateTo(const Text& address);
  virtual void WriteDocument(const Text& html);
  // An omitted language is "VBScript"; a given one, empty included, is passed as it is.
  virtual void RunScript(const Text& code, const std::optional<Text>& language = std::nullopt);
  virtual bool FireElementEvent(const ComObject& element, const Text& event_name);
  virtual bool SetInnerHtml(const ComObject& element, const Text& text);
  virtual bool SetInnerText(const ComObject& element, const Text& text);
  virtual bool SetOuterHtml(const ComObject& element, const Text& text);
  virtual bool SetOuterText(const ComObject& element, const Text& text);
  virtual void FocusElement(const ComObject& element);
  // An input changes its type (text or hidden); any other element its display style.
  virtual bool ShowElement(const ComObject& element, bool visible);
  virtual Text ReadDocumentProperty(const Text& name, const Text& argument);
  virtual ComObject GetForm(const Text& key, int32_t mode);
  virtual bool SubmitForm(const Text& key, int32_t mode);
  // Omitted arguments take the defaults: background 16777215, border width 1,
  // border colour 12632256, no anchor. A given value is used as it comes.
  virtual ComObject ShowPopup(int32_t x, int32_t y, int32_t width, int32_t height,
                              const Text& html, std::optional<int32_t> back_colour = std::nullopt,
                              std::optional<int32_t> border_width = std::nullopt,
                              std::optional<int32_t> border_colour = std::nullopt,
                              const std::optional<ComObject>& anchor = std::nullopt);
  virtual void HidePopup(const ComObject& popup);
  // Red first: six capital hexadecimal digits, the high byte dropped.
  virtual Text ColorToHex(int32_t colour);
  virtual ComObject GetElementsByTag(const Text& tag);

  const ComObject& AttachedDocument() const { return attached_document_; }

 private:
  // Class names are read as into a 255-byte buffer: longer ones are cut.
  Text ClassNameOf(WindowHandle window) const;
  bool Click(const char* tag, const Text& text, int32_t kind, std::optional<bool> exact);

  platform::WindowTree* windows_;
  platform::Shell* shell_;
  ComObject attached_document_;
};

}  // namespace pageauto

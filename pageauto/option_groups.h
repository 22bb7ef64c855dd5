// Position-based access to a page's choice controls: the elements that share
// one name, as radio buttons or check boxes, and one select list with its
// options. Positions count from 1; the page's collections count from 0. Each
// object holds only references to page objects, so a copy acts on the same
// elements, and every failure gives the neutral value.
#pragma once

#include <cstdint>

#include "platform/com_object.h"
#include "platform/text.h"

namespace pageauto {

using platform::ComObject;
using platform::Text;

// What RadioGroup and CheckBoxGroup both do, held by each.
class NamedItems {
 public:
  void Attach(const ComObject& items) { items_ = items; }
  int32_t Count() const;
  bool IsChecked(int32_t position) const;
  void SetChecked(int32_t position, bool checked) const;
  Text Value(int32_t position) const;

 private:
  ComObject Item(int32_t position) const;

  ComObject items_;
};

class RadioGroup {
 public:
  RadioGroup() = default;
  virtual ~RadioGroup();
  RadioGroup(const RadioGroup& other);
  RadioGroup& operator=(const RadioGroup& other);

  virtual void AttachItems(const ComObject& items);
  virtual int32_t GetItemCount();
  virtual bool IsChecked(int32_t position);
  virtual void Check(int32_t position);
  virtual void Uncheck(int32_t position);
  virtual Text GetItemValue(int32_t position);

 private:
  NamedItems items_;
};

class CheckBoxGroup {
 public:
  CheckBoxGroup() = default;
  virtual ~CheckBoxGroup();
  CheckBoxGroup(const CheckBoxGroup& other);
  CheckBoxGroup& operator=(const CheckBoxGroup& other);

  virtual void AttachItems(const ComObject& items);
  virtual int32_t GetItemCount();
  virtual bool IsChecked(int32_t position);
  virtual void Check(int32_t position);
  virtual void Uncheck(int32_t position);
  virtual Text GetItemValue(int32_t position);

 private:
  NamedItems items_;
};

class SelectList {
 public:
  SelectList() = default;
  virtual ~SelectList();
  SelectList(const SelectList& other);
  SelectList& operator=(const SelectList& other);

  // Holds the element, then the options collection read from it.
  virtual void AttachSelect(const ComObject& select);
  virtual int32_t GetOptionCount();
  virtual Text GetOptionText(int32_t position);
  virtual bool SetOptionText(int32_t position, const Text& text);
  virtual Text GetOptionValue(int32_t position);
  virtual bool SetOptionValue(int32_t position, const Text& value);
  // Zero-based, as the page gives it, unlike the positions taken here.
  virtual int32_t GetSelectedIndex();
  // Writes position - 1 unchecked: position 0 writes -1.
  virtual bool SetSelectedIndex(int32_t position);

 private:
  ComObject Option(int32_t position) const;

  ComObject select_;
  ComObject options_;
};

}  // namespace pageauto

#include "pageauto/option_groups.h"

#include <cmath>

#include "pageauto/collection_walk.h"

namespace pageauto {
namespace {

// A true `checked` reads as -1; a little slack absorbs a value that went
// through floating point on its way from the page.
constexpr double kCheckedValue = -1;
constexpr double kCheckedTolerance = 1e-7;

// The page's zero-based index for a one-based position, as the page wants it:
// a floating-point number.
platform::Arguments ItemIndex(int32_t position) { return {static_cast<double>(position) - 1}; }

}  // namespace

// --- Groups of one name -------------------------------------------------------

// The groups read `item` as a property; the older model answers both ways.
ComObject NamedItems::Item(int32_t position) const {
  return items_.Get("item", ItemIndex(position)).ToObject();
}

int32_t NamedItems::Count() const { return CollectionLength(items_); }

bool NamedItems::IsChecked(int32_t position) const {
  const double checked = Item(position).Get("checked").ToNumber();
  return std::fabs(checked - kCheckedValue) <= kCheckedTolerance;
}

void NamedItems::SetChecked(int32_t position, bool checked) const {
  Item(position).Put("checked", int32_t{checked ? 1 : 0});
}

Text NamedItems::Value(int32_t position) const { return Item(position).GetText("value"); }

RadioGroup::~RadioGroup() = default;
RadioGroup::RadioGroup(const RadioGroup& other) = default;
RadioGroup& RadioGroup::operator=(const RadioGroup& other) = default;
void RadioGroup::AttachItems(const ComObject& items) { items_.Attach(items); }
int32_t RadioGroup::GetItemCount() { return items_.Count(); }
bool RadioGroup::IsChecked(int32_t position) { return items_.IsChecked(position); }
void RadioGroup::Check(int32_t position) { items_.SetChecked(position, true); }
void RadioGroup::Uncheck(int32_t position) { items_.SetChecked(position, false); }
Text RadioGroup::GetItemValue(int32_t position) { return items_.Value(position); }

CheckBoxGroup::~CheckBoxGroup() = default;
CheckBoxGroup::CheckBoxGroup(const CheckBoxGroup& other) = default;
CheckBoxGroup& CheckBoxGroup::operator=(const CheckBoxGroup& other) = default;
void CheckBoxGroup::AttachItems(const ComObject& items) { items_.Attach(items); }
int32_t CheckBoxGroup::GetItemCount() { return items_.Count(); }
bool CheckBoxGroup::IsChecked(int32_t position) { return items_.IsChecked(position); }
void CheckBoxGroup::Check(int32_t position) { items_.SetChecked(position, true); }
void CheckBoxGroup::Uncheck(int32_t position) { items_.SetChecked(position, false); }
Text CheckBoxGroup::GetItemValue(int32_t position) { return items_.Value(position); }

// --- Select lists -------------------------------------------------------------

SelectList::~SelectList() = default;
SelectList::SelectList(const SelectList& other) = default;
SelectList& SelectList::operator=(const SelectList& other) = default;

void SelectList::AttachSelect(const ComObject& select) {
  select_ = select;
  // Taken without waiting: a list's options are always there, and on anything
  // else every use of them fails just as a missing member would.
  options_ = select_.GetObjectAhead("options");
}

// Unlike the groups, the options are asked through the `item` method.
ComObject SelectList::Option(int32_t position) const {
  return options_.CallObject("item", ItemIndex(position));
}

int32_t SelectList::GetOptionCount() { return CollectionLength(options_); }

Text SelectList::GetOptionText(int32_t position) { return Option(position).GetText("text"); }

bool SelectList::SetOptionText(int32_t position, const Text& text) {
  return Option(position).Put("text", text);
}

Text SelectList::GetOptionValue(int32_t position) { return Option(position).GetText("value"); }

bool SelectList::SetOptionValue(int32_t position, const Text& value) {
  return Option(position).Put("value", value);
}

int32_t SelectList::GetSelectedIndex() {
  return CutToInt32(select_.GetNumber("selectedIndex"));
}

bool SelectList::SetSelectedIndex(int32_t position) {
  return select_.Put("selectedIndex", ItemIndex(position).front());
}

}  // namespace pageauto

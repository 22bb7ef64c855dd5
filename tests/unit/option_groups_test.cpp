// Radio groups, check-box groups and select lists on the in-memory page: one-
// based positions over the page's zero-based collections, what counts as
// checked, what the writes send, copies acting on the same elements, and the
// references each object holds and gives back.
#include "pageauto/option_groups.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "pageauto/page_automation.h"
#include "tests/support/attached_page.h"
#include "tests/support/fake_dom.h"
#include "tests/support/row_names.h"

namespace {

using pageauto::CheckBoxGroup;
using pageauto::PageAutomation;
using pageauto::RadioGroup;
using pageauto::SelectList;
using platform::Text;
using platform::Variant;
using test_support::FakeDom;
using test_support::FakeElement;

using test_support::AttachedPage;
using test_support::RowName;
using test_support::operator<<;

// --- Radio and check-box groups ---------------------------------------------

template <typename Group>
Group GroupOf(PageAutomation& page, const Text& name);
template <>
RadioGroup GroupOf<RadioGroup>(PageAutomation& page, const Text& name) {
  return page.GetRadioGroup(name);
}
template <>
CheckBoxGroup GroupOf<CheckBoxGroup>(PageAutomation& page, const Text& name) {
  return page.GetCheckBoxGroup(name);
}

// Three items named "colour", the second checked, and one "other" between
// them that a group of "colour" must pass over.
template <typename Group>
class GroupTest : public AttachedPage, public ::testing::Test {
 protected:
  GroupTest() {
    first_ = &dom_->Add("input", {{"name", "colour"}, {"value", "红"}, {"checked", false}});
    dom_->Add("input", {{"name", "other"}, {"value", "x"}, {"checked", true}});
    second_ = &dom_->Add("input", {{"name", "colour"}, {"value", "green"}, {"checked", true}});
    third_ = &dom_->Add("input", {{"name", "colour"}, {"value", "blue"}, {"checked", false}});
  }
  Group Colours() { return GroupOf<Group>(page_, "colour"); }

  FakeElement* first_;
  FakeElement* second_;
  FakeElement* third_;
};

using GroupTypes = ::testing::Types<RadioGroup, CheckBoxGroup>;
TYPED_TEST_SUITE(GroupTest, GroupTypes);

TYPED_TEST(GroupTest, ReadsItemsByOneBasedPosition) {
  this->Attach();
  TypeParam group = this->Colours();
  EXPECT_EQ(group.GetItemCount(), 3);
  EXPECT_FALSE(group.IsChecked(1));
  EXPECT_TRUE(group.IsChecked(2));
  EXPECT_FALSE(group.IsChecked(3));
  EXPECT_EQ(group.GetItemValue(1), "红");
  EXPECT_EQ(group.GetItemValue(3), "blue");
  for (int32_t outside : {0, 4, -1}) {
    EXPECT_FALSE(group.IsChecked(outside)) << outside;
    EXPECT_EQ(group.GetItemValue(outside), "") << outside;
  }
  // The document and the group's collection; no item is left behind.
  EXPECT_EQ(this->dom_->LiveReferences(), 2u);
}

TYPED_TEST(GroupTest, CheckAndUncheckChangeThatItemOnly) {
  this->Attach();
  TypeParam group = this->Colours();
  group.Check(1);
  group.Uncheck(2);
  EXPECT_TRUE(group.IsChecked(1));
  EXPECT_FALSE(group.IsChecked(2));
  group.Check(0);
  group.Check(4);
  group.Uncheck(0);
  EXPECT_EQ(this->first_->properties.at("checked"), Variant(true));
  EXPECT_EQ(this->second_->properties.at("checked"), Variant(false));
  EXPECT_EQ(this->third_->properties.at("checked"), Variant(false));
  EXPECT_EQ(this->dom_->LiveReferences(), 2u);
}

// A `checked` that has no value yet keeps exactly what was written.
TYPED_TEST(GroupTest, WritesTheIntegers1And0) {
  this->first_->properties["checked"] = Variant();
  this->second_->properties["checked"] = Variant();
  this->Attach();
  TypeParam group = this->Colours();
  group.Check(1);
  group.Uncheck(2);
  EXPECT_EQ(this->first_->properties.at("checked"), Variant(int32_t{1}));
  EXPECT_EQ(this->second_->properties.at("checked"), Variant(int32_t{0}));
}

TYPED_TEST(GroupTest, CopiesActOnTheSameItems) {
  this->Attach();
  TypeParam original = this->Colours();
  TypeParam copy(original);
  TypeParam assigned;
  assigned = original;
  EXPECT_EQ(this->dom_->LiveReferences(), 2u);  // one collection, shared

  copy.Check(3);
  EXPECT_TRUE(original.IsChecked(3));
  original.Uncheck(3);
  EXPECT_FALSE(assigned.IsChecked(3));
  assigned.Check(1);
  EXPECT_TRUE(copy.IsChecked(1));
}

TYPED_TEST(GroupTest, NameIsNotFoldedAndAMissingNameGivesAnEmptyGroup) {
  this->Attach();
  for (const Text name : {"COLOUR", "nobody"}) {
    TypeParam group = GroupOf<TypeParam>(this->page_, name);
    EXPECT_EQ(group.GetItemCount(), 0) << name;
    EXPECT_FALSE(group.IsChecked(1)) << name;
    EXPECT_EQ(group.GetItemValue(1), "") << name;
  }
}

TYPED_TEST(GroupTest, AttachingAgainReleasesTheCollectionHeldBefore) {
  this->Attach();
  TypeParam group = this->Colours();
  group.AttachItems(
      this->page_.AttachedDocument().CallObject("getElementsByName", {Text("other")}));
  EXPECT_EQ(group.GetItemCount(), 1);
  EXPECT_EQ(this->dom_->LiveReferences(), 2u);
}

TYPED_TEST(GroupTest, UnattachedGroupGivesNeutralValues) {
  TypeParam group;
  group.Check(1);
  group.Uncheck(1);
  EXPECT_EQ(group.GetItemCount(), 0);
  EXPECT_FALSE(group.IsChecked(1));
  EXPECT_EQ(group.GetItemValue(1), "");
}

struct CheckedCase {
  std::string name;
  Variant checked;
  bool is_checked;
};

class IsCheckedTest : public AttachedPage, public ::testing::TestWithParam<CheckedCase> {};

// Only a value within 1e-7 of -1, the number of true, counts.
TEST_P(IsCheckedTest, OnlyTheNumberOfTrueCounts) {
  dom_->Add("input", {{"name", "n"}, {"checked", GetParam().checked}});
  Attach();
  EXPECT_EQ(page_.GetRadioGroup("n").IsChecked(1), GetParam().is_checked);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IsCheckedTest,
    ::testing::Values(CheckedCase{"TrueIs", Variant(true), true},
                      CheckedCase{"FalseIsNot", Variant(false), false},
                      CheckedCase{"MinusOneIs", Variant(-1.0), true},
                      CheckedCase{"JustBelowMinusOneWithinToleranceIs", Variant(-1.00000005), true},
                      CheckedCase{"JustAboveMinusOneWithinToleranceIs", Variant(-0.99999995), true},
                      CheckedCase{"BeyondToleranceIsNot", Variant(-1.0000002), false},
                      CheckedCase{"PlusOneIsNot", Variant(int32_t{1}), false},
                      CheckedCase{"ZeroIsNot", Variant(int32_t{0}), false},
                      CheckedCase{"NoValueIsNot", Variant(), false}),
    RowName<CheckedCase>);

// --- Select lists -----------------------------------------------------------

// A list "city" of three options, the second selected.
class SelectListTest : public AttachedPage, public ::testing::Test {
 protected:
  SelectListTest() {
    FakeElement& body = dom_->Add("body");
    select_ = &dom_->Add("select", {{"id", "city"}, {"selectedIndex", 1.0}}, &body);
    for (const auto& [text, value] :
         {std::pair<Text, Text>{"北京", "bj"}, {"上海", "sh"}, {"广州", "gz"}}) {
      options_.push_back(&dom_->Add("option", {{"text", text}, {"value", value}}, select_));
    }
  }
  SelectList City() { return page_.GetSelectList("city", PageAutomation::kLookupById); }

  FakeElement* select_;
  std::vector<FakeElement*> options_;
};

TEST_F(SelectListTest, ReadsOptionsByOneBasedPosition) {
  Attach();
  SelectList list = City();
  EXPECT_EQ(list.GetOptionCount(), 3);
  EXPECT_EQ(list.GetOptionText(1), "北京");
  EXPECT_EQ(list.GetOptionValue(3), "gz");
  for (int32_t outside : {0, 4}) {
    EXPECT_EQ(list.GetOptionText(outside), "") << outside;
    EXPECT_EQ(list.GetOptionValue(outside), "") << outside;
  }
  EXPECT_EQ(list.GetSelectedIndex(), 1);
  // The document, the select element and its options.
  EXPECT_EQ(dom_->LiveReferences(), 3u);
}

TEST_F(SelectListTest, WritesOptionsThatExistAndSaysWhetherItWrote) {
  Attach();
  SelectList list = City();
  EXPECT_TRUE(list.SetOptionText(2, "深圳"));
  EXPECT_TRUE(list.SetOptionValue(3, "sz"));
  EXPECT_FALSE(list.SetOptionText(0, "x"));
  EXPECT_FALSE(list.SetOptionValue(4, "x"));
  EXPECT_EQ(options_[0]->properties.at("text").ToText(), "北京");
  EXPECT_EQ(options_[1]->properties.at("text").ToText(), "深圳");
  EXPECT_EQ(options_[1]->properties.at("value").ToText(), "sh");
  EXPECT_EQ(options_[2]->properties.at("value").ToText(), "sz");
  EXPECT_EQ(dom_->LiveReferences(), 3u);
}

struct IndexCase {
  std::string name;
  int32_t position;
  double written;
};

class SetSelectedIndexTest : public SelectListTest,
                             public ::testing::WithParamInterface<IndexCase> {};

// Positions are one-based on the way in; the index comes back as the page has it.
TEST_P(SetSelectedIndexTest, WritesPositionMinusOneAsANumber) {
  Attach();
  SelectList list = City();
  EXPECT_TRUE(list.SetSelectedIndex(GetParam().position));
  EXPECT_EQ(select_->properties.at("selectedIndex"), Variant(GetParam().written));
  EXPECT_EQ(list.GetSelectedIndex(), static_cast<int32_t>(GetParam().written));
}

INSTANTIATE_TEST_SUITE_P(Positions, SetSelectedIndexTest,
                         ::testing::Values(IndexCase{"Position3Writes2", 3, 2.0},
                                           IndexCase{"Position1Writes0", 1, 0.0},
                                           IndexCase{"Position0WritesMinus1", 0, -1.0},
                                           IndexCase{"UncheckedBeyondTheOptions", 9, 8.0}),
                         RowName<IndexCase>);

struct ReadIndexCase {
  std::string name;
  Variant page_value;
  int32_t index;
};

class GetSelectedIndexTest : public SelectListTest,
                             public ::testing::WithParamInterface<ReadIndexCase> {};

TEST_P(GetSelectedIndexTest, TruncatesTowardZero) {
  select_->properties["selectedIndex"] = GetParam().page_value;
  Attach();
  EXPECT_EQ(City().GetSelectedIndex(), GetParam().index);
}

INSTANTIATE_TEST_SUITE_P(Values, GetSelectedIndexTest,
                         ::testing::Values(ReadIndexCase{"FractionDropped", Variant(2.9), 2},
                                           ReadIndexCase{"NegativeTowardZero", Variant(-1.5), -1},
                                           ReadIndexCase{"MinusOneKept", Variant(-1.0), -1},
                                           ReadIndexCase{"NoValueIsZero", Variant(), 0}),
                         RowName<ReadIndexCase>);

TEST_F(SelectListTest, CopiesActOnTheSameList) {
  Attach();
  SelectList original = City();
  SelectList copy(original);
  SelectList assigned;
  assigned = original;
  EXPECT_EQ(dom_->LiveReferences(), 3u);  // the element and its options, shared

  EXPECT_TRUE(copy.SetSelectedIndex(3));
  EXPECT_EQ(original.GetSelectedIndex(), 2);
  EXPECT_TRUE(assigned.SetOptionText(1, "天津"));
  EXPECT_EQ(copy.GetOptionText(1), "天津");
}

TEST_F(SelectListTest, AttachingAnotherReleasesTheElementAndOptionsHeldBefore) {
  FakeElement& other = dom_->Add("select", {{"id", "size"}});
  dom_->Add("option", {{"text", "大"}}, &other);
  Attach();
  SelectList list = City();
  list.AttachSelect(page_.GetElement("size", 0));
  EXPECT_EQ(list.GetOptionCount(), 1);
  EXPECT_EQ(list.GetOptionText(1), "大");
  EXPECT_EQ(dom_->LiveReferences(), 3u);
}

TEST_F(SelectListTest, UnattachedOrEmptyListGivesNeutralValues) {
  Attach();
  for (SelectList list : {SelectList(), page_.GetSelectList("nobody", 0)}) {
    EXPECT_EQ(list.GetOptionCount(), 0);
    EXPECT_EQ(list.GetOptionText(1), "");
    EXPECT_EQ(list.GetOptionValue(1), "");
    EXPECT_FALSE(list.SetOptionText(1, "x"));
    EXPECT_FALSE(list.SetOptionValue(1, "x"));
    EXPECT_EQ(list.GetSelectedIndex(), 0);
    EXPECT_FALSE(list.SetSelectedIndex(1));
  }
  EXPECT_EQ(select_->properties.at("selectedIndex"), Variant(1.0));
}

}  // namespace

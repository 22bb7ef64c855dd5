// PageAutomation's element, frame, form, script and pop-up operations on the
// in-memory page: which object each lookup chooses, what each operation sends
// to the page, the colour texts, and that every temporary reference is given
// back. The source is compiled to GB18030: "癆" is the bytes B0 41 and "癮"
// B0 61, so a fold that lowers a trail byte would take one for the other.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "pageauto/option_groups.h"
#include "pageauto/page_automation.h"
#include "platform/shell.h"
#include "tests/support/attached_page.h"
#include "tests/support/fake_dom.h"
#include "tests/support/fake_window_tree.h"
#include "tests/support/row_names.h"

namespace {

using pageauto::PageAutomation;
using platform::ComObject;
using platform::Text;
using test_support::FakeDom;
using test_support::FakeElement;
using test_support::FakeWindowTree;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using test_support::AttachedPage;
using test_support::RowName;
using test_support::operator<<;

Text IdOf(const FakeDom& dom, const ComObject& object) {
  const FakeElement* element = dom.ElementOf(object);
  return element ? element->Id() : Text();
}

// The ids of the forms whose submit was called, in order.
std::vector<Text> SubmittedForms(const FakeDom& dom) {
  std::vector<Text> ids;
  const Text suffix = ".submit()";
  for (const Text& call : dom.Calls()) {
    if (call.size() > suffix.size() &&
        call.compare(call.size() - suffix.size(), Text::npos, suffix) == 0) {
      ids.push_back(call.substr(1, call.size() - suffix.size() - 1));
    }
  }
  return ids;
}

class OnPage : public AttachedPage, public ::testing::Test {};
using ElementContentTest = OnPage;
using SelectionRangeTest = OnPage;
using DocumentMemberTest = OnPage;
using ScriptAndNavigationTest = OnPage;
using PopupTest = OnPage;

// --- Frames, forms and lists by name, id or position ------------------------

// html
// ├─ iframe LeftFrame, name Menu           frame 1
// ├─ form   LoginForm, name Login          form 1
// ├─ select Outside,   name Outside        outside the body: never a list
// └─ body
//    ├─ iframe MainFrame, name 癆           frame 2
//    ├─ form   SearchForm, name Search      form 2
//    ├─ select CityList, name City          list 1
//    ├─ div
//    │  └─ select NoName, no name           list 2
//    └─ select Wide, name 癆                list 3
// Each list's first option carries the list's id as its text.
void BuildLookupPage(FakeDom& dom) {
  const auto add_list = [&](const Text& id, const Text& name, FakeElement* parent) {
    FakeElement& list = dom.Add("select", {{"id", id}, {"name", name}}, parent);
    dom.Add("option", {{"text", id}}, &list);
  };
  dom.Add("iframe", {{"id", "LeftFrame"}, {"name", "Menu"}});
  dom.Add("form", {{"id", "LoginForm"}, {"name", "Login"}});
  add_list("Outside", "Outside", nullptr);
  FakeElement& body = dom.Add("body");
  dom.Add("iframe", {{"id", "MainFrame"}, {"name", "癆"}}, &body);
  dom.Add("form", {{"id", "SearchForm"}, {"name", "Search"}}, &body);
  add_list("CityList", "City", &body);
  add_list("NoName", "", &dom.Add("div", {}, &body));
  add_list("Wide", "癆", &body);
}

enum class Lookup { kFrame, kFrameElement, kForm, kSubmitForm, kSelectList };

// The id of what the lookup chose; empty when it chose nothing.
Text Chosen(Lookup lookup, PageAutomation& page, const FakeDom& dom, const Text& key,
            int32_t mode) {
  switch (lookup) {
    case Lookup::kFrame:
      return page.GetFrame(key, mode).GetText("id");
    case Lookup::kFrameElement:
      return IdOf(dom, page.GetFrameElement(key, mode));
    case Lookup::kForm:
      return IdOf(dom, page.GetForm(key, mode));
    case Lookup::kSubmitForm: {
      const bool submitted = page.SubmitForm(key, mode);
      const std::vector<Text> forms = SubmittedForms(dom);
      EXPECT_EQ(submitted, !forms.empty());
      EXPECT_LE(forms.size(), 1u);
      return forms.empty() ? Text() : forms.back();
    }
    case Lookup::kSelectList:
      return page.GetSelectList(key, mode).GetOptionText(1);
  }
  return {};
}

struct LookupCase {
  std::string name;
  Lookup lookup;
  Text key;
  int32_t mode;
  Text chosen;
};

class LookupTest : public AttachedPage, public ::testing::TestWithParam<LookupCase> {};

TEST_P(LookupTest, ChoosesTheFirstMatchAndGivesBackEveryReference) {
  BuildLookupPage(*dom_);
  Attach();
  const LookupCase& row = GetParam();
  EXPECT_EQ(Chosen(row.lookup, page_, *dom_, row.key, row.mode), row.chosen);
  EXPECT_EQ(dom_->LiveReferences(), 1u);
  EXPECT_EQ(dom_->LengthReads(), 1);
}

constexpr Lookup kFrame = Lookup::kFrame;
constexpr Lookup kFrameElement = Lookup::kFrameElement;
constexpr Lookup kForm = Lookup::kForm;
constexpr Lookup kSubmitForm = Lookup::kSubmitForm;
constexpr Lookup kSelectList = Lookup::kSelectList;

INSTANTIATE_TEST_SUITE_P(
    Frames, LookupTest,
    ::testing::Values(LookupCase{"ByNameFoldsAsciiCase", kFrame, "MENU", 0, "LeftFrame"},
                      LookupCase{"ByIdFoldsAsciiCase", kFrame, "mainframe", 1, "MainFrame"},
                      LookupCase{"ByNameNeverMatchesAnId", kFrame, "LeftFrame", 0, ""},
                      LookupCase{"ByNameSameDoubleByteNameMatches", kFrame, "癆", 0, "MainFrame"},
                      LookupCase{"ByNameTrailByteIsNotFolded", kFrame, "癮", 0, ""},
                      LookupCase{"ByPosition2IsTheSecondFrame", kFrame, "2", 2, "MainFrame"},
                      LookupCase{"ElementOfTheFrameFoundByName", kFrameElement, "menu", 0,
                                 "LeftFrame"},
                      LookupCase{"ElementOfAMissingFrameIsEmpty", kFrameElement, "nobody", 0, ""}),
    RowName<LookupCase>);

INSTANTIATE_TEST_SUITE_P(
    Forms, LookupTest,
    ::testing::Values(LookupCase{"GetByExactName", kForm, "Search", 0, "SearchForm"},
                      LookupCase{"GetByNameDoesNotFoldCase", kForm, "search", 0, ""},
                      LookupCase{"GetByExactId", kForm, "LoginForm", 1, "LoginForm"},
                      LookupCase{"GetByIdDoesNotFoldCase", kForm, "LOGINFORM", 1, ""},
                      LookupCase{"GetByPosition2", kForm, "2", 2, "SearchForm"},
                      LookupCase{"SubmitByExactName", kSubmitForm, "Login", 0, "LoginForm"},
                      LookupCase{"SubmitByNameDoesNotFoldCase", kSubmitForm, "LOGIN", 0, ""},
                      LookupCase{"SubmitById", kSubmitForm, "SearchForm", 1, "SearchForm"},
                      LookupCase{"SubmitByPosition2", kSubmitForm, "2", 2, "SearchForm"}),
    RowName<LookupCase>);

INSTANTIATE_TEST_SUITE_P(
    SelectLists, LookupTest,
    ::testing::Values(LookupCase{"ByNameFoldsAsciiCase", kSelectList, "cITY", 0, "CityList"},
                      LookupCase{"ByIdFoldsAsciiCase", kSelectList, "CITYLIST", 1, "CityList"},
                      LookupCase{"ByNameSameDoubleByteNameMatches", kSelectList, "癆", 0, "Wide"},
                      LookupCase{"ByNameTrailByteIsNotFolded", kSelectList, "癮", 0, ""},
                      LookupCase{"EmptyNameTakesTheFirstUnnamedList", kSelectList, "", 0, "NoName"},
                      LookupCase{"ByPosition1IsTheFirstListInTheBody", kSelectList, "1", 2,
                                 "CityList"},
                      LookupCase{"ByPosition3", kSelectList, "3", 2, "Wide"},
                      LookupCase{"ListOutsideTheBodyIsNotFound", kSelectList, "Outside", 0, ""}),
    RowName<LookupCase>);

class LookupMissTest : public AttachedPage, public ::testing::TestWithParam<Lookup> {};

// Two frames, two forms and three lists in the body: position 4 is beyond
// every one of them.
TEST_P(LookupMissTest, BadPositionsAndOtherModesFindNothing) {
  BuildLookupPage(*dom_);
  Attach();
  struct Miss {
    Text key;
    int32_t mode;
  };
  for (const Miss& miss : {Miss{"0", 2}, Miss{"-3", 2}, Miss{"", 2}, Miss{"4", 2}, Miss{"1", 3},
                           Miss{"Menu", 3}, Miss{"1", -1}}) {
    SCOPED_TRACE("key \"" + miss.key + "\" mode " + std::to_string(miss.mode));
    EXPECT_EQ(Chosen(GetParam(), page_, *dom_, miss.key, miss.mode), "");
  }
  EXPECT_EQ(dom_->LiveReferences(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Lookups, LookupMissTest,
                         ::testing::Values(kFrame, kForm, kSubmitForm, kSelectList));

TEST(FrameCountTest, CountsTheFramesOfThePage) {
  FakeWindowTree windows;
  PageAutomation page(windows);
  auto framed = std::make_shared<FakeDom>();
  BuildLookupPage(*framed);
  ASSERT_TRUE(page.AttachDocument(framed->Document()));
  EXPECT_EQ(page.GetFrameCount(), 2);

  auto plain = std::make_shared<FakeDom>();
  plain->Add("body");
  ASSERT_TRUE(page.AttachDocument(plain->Document()));
  EXPECT_EQ(page.GetFrameCount(), 0);
}

// --- Element values and content ---------------------------------------------

struct ValueCase {
  std::string name;
  Text key;
  int32_t mode;
  Text element;  // the id of the element written and read; empty when none
};

class ElementValueTest : public AttachedPage, public ::testing::TestWithParam<ValueCase> {};

// Ids and names cross over, so a lookup by the wrong one writes the other element.
TEST_P(ElementValueTest, WritesAndReadsTheElementGetElementGives) {
  FakeElement& alpha = dom_->Add("input", {{"id", "alpha"}, {"name", "beta"}, {"value", "a"}});
  FakeElement& beta = dom_->Add("input", {{"id", "beta"}, {"name", "alpha"}, {"value", "b"}});
  Attach();
  const ValueCase& row = GetParam();
  EXPECT_EQ(page_.SetElementValue(row.key, row.mode, "新值"), !row.element.empty());
  EXPECT_EQ(page_.GetElementValue(row.key, row.mode), row.element.empty() ? "" : "新值");
  EXPECT_EQ(alpha.properties.at("value").ToText(), row.element == "alpha" ? "新值" : "a");
  EXPECT_EQ(beta.properties.at("value").ToText(), row.element == "beta" ? "新值" : "b");
  EXPECT_EQ(dom_->LiveReferences(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Modes, ElementValueTest,
                         ::testing::Values(ValueCase{"Mode1ByName", "beta", 1, "alpha"},
                                           ValueCase{"Mode0ById", "beta", 0, "beta"},
                                           ValueCase{"Mode2ById", "beta", 2, "beta"},
                                           ValueCase{"MissingKeyWritesNothing", "gamma", 0, ""}),
                         RowName<ValueCase>);

// Each getter and setter reaches its own property and no other.
TEST_F(ElementContentTest, ContentGettersAndSettersUseTheirOwnProperty) {
  FakeElement& box = dom_->Add("div", {{"id", "box"},
                                       {"innerHTML", "<b>内</b>"},
                                       {"innerText", "内"},
                                       {"outerHTML", "<div><b>内</b></div>"},
                                       {"outerText", "外"}});
  Attach();
  const ComObject element = page_.GetElement("box", 0);
  EXPECT_EQ(page_.GetInnerHtml(element), "<b>内</b>");
  EXPECT_EQ(page_.GetInnerText(element), "内");
  EXPECT_EQ(page_.GetOuterHtml(element), "<div><b>内</b></div>");
  EXPECT_EQ(page_.GetOuterText(element), "外");

  EXPECT_TRUE(page_.SetInnerHtml(element, "1"));
  EXPECT_TRUE(page_.SetInnerText(element, "2"));
  EXPECT_TRUE(page_.SetOuterHtml(element, "3"));
  EXPECT_TRUE(page_.SetOuterText(element, "4"));
  EXPECT_EQ(box.properties.at("innerHTML").ToText(), "1");
  EXPECT_EQ(box.properties.at("innerText").ToText(), "2");
  EXPECT_EQ(box.properties.at("outerHTML").ToText(), "3");
  EXPECT_EQ(box.properties.at("outerText").ToText(), "4");

  page_.FocusElement(element);
  EXPECT_THAT(dom_->Calls(), ElementsAre("#box.focus()"));
}

struct ShowCase {
  std::string name;
  Text tag;
  Text type_before;
  bool visible;
  Text type_after;
  Text display;
};

class ShowElementTest : public AttachedPage, public ::testing::TestWithParam<ShowCase> {};

TEST_P(ShowElementTest, InputsChangeTypeOtherElementsTheirDisplay) {
  const ShowCase& row = GetParam();
  FakeElement& element = dom_->Add(row.tag, {{"id", "target"}, {"type", row.type_before}});
  Attach();
  EXPECT_TRUE(page_.ShowElement(page_.GetElement("target", 0), row.visible));
  EXPECT_EQ(element.properties.at("type").ToText(), row.type_after);
  EXPECT_EQ(element.style.at("display").ToText(), row.display);
  EXPECT_EQ(dom_->LiveReferences(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Elements, ShowElementTest,
    ::testing::Values(
        ShowCase{"InputInCapitalsHiddenBecomesHidden", "INPUT", "text", false, "hidden", ""},
        ShowCase{"PasswordShownBecomesText", "Input", "password", true, "text", ""},
        ShowCase{"CheckboxHiddenBecomesHidden", "input", "checkbox", false, "hidden", ""},
        ShowCase{"DivShownDisplaysBlock", "DIV", "", true, "", "block"},
        ShowCase{"SpanHiddenDisplaysNone", "span", "", false, "", "none"},
        ShowCase{"TagStartingWithInputIsNoInput", "inputs", "text", false, "text", "none"}),
    RowName<ShowCase>);

struct SelectionCase {
  std::string name;
  std::optional<int32_t> as_html;
  Text expected;
};

class SelectionTest : public AttachedPage, public ::testing::TestWithParam<SelectionCase> {};

TEST_P(SelectionTest, HtmlOnlyAboveZero) {
  dom_->SetSelection("<i>选中</i>", "选中");
  Attach();
  EXPECT_EQ(page_.GetSelectionText(GetParam().as_html), GetParam().expected);
  EXPECT_EQ(dom_->LiveReferences(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Modes, SelectionTest,
                         ::testing::Values(SelectionCase{"OmittedIsText", std::nullopt, "选中"},
                                           SelectionCase{"ZeroIsText", 0, "选中"},
                                           SelectionCase{"NegativeIsText", -5, "选中"},
                                           SelectionCase{"OneIsHtml", 1, "<i>选中</i>"}),
                         RowName<SelectionCase>);

TEST_F(SelectionRangeTest, SelectionIsReplacedAndAPageWithoutOneReadsEmpty) {
  Attach();
  EXPECT_EQ(page_.GetSelectionText(1), "");
  dom_->SetSelection("<i>旧</i>", "旧");
  page_.ReplaceSelection("<b>新</b>");
  EXPECT_THAT(dom_->Calls(), ElementsAre("range.pasteHTML(\"<b>新</b>\")"));
  EXPECT_EQ(dom_->LiveReferences(), 1u);
}

// An empty argument is still an argument: the member sees exactly one.
TEST_F(DocumentMemberTest, ReadDocumentPropertyPassesOneArgumentEvenWhenEmpty) {
  std::vector<platform::Arguments> seen;
  dom_->SetDocumentMethod("queryCommandValue", [&](const platform::Arguments& arguments) {
    seen.push_back(arguments);
    return platform::Variant(true);
  });
  Attach();
  EXPECT_EQ(page_.ReadDocumentProperty("QueryCommandValue", ""), "true");
  EXPECT_EQ(page_.ReadDocumentProperty("queryCommandValue", "Bold"), "true");
  EXPECT_THAT(seen, ElementsAre(ElementsAre(Text()), ElementsAre(Text("Bold"))));
}

TEST_F(DocumentMemberTest, PointAndTagLookupsGiveTheCallerTheOnlyNewReference) {
  dom_->Add("input");
  dom_->Add("INPUT");
  dom_->Add("div");
  Attach();
  ComObject at_point = page_.ElementAtPoint(12, -3);
  EXPECT_THAT(dom_->Calls(), ElementsAre("document.elementFromPoint(12, -3)"));
  EXPECT_FALSE(at_point.IsEmpty());
  ComObject inputs = page_.GetElementsByTag("input");
  EXPECT_EQ(inputs.GetNumber("length"), 2);
  EXPECT_EQ(dom_->LiveReferences(), 3u);
  at_point.Clear();
  inputs.Clear();
  EXPECT_EQ(dom_->LiveReferences(), 1u);
}

// --- Scripts, navigation and events -----------------------------------------

TEST_F(ScriptAndNavigationTest, SuppressDialogsReplacesTheFourFunctionsInOrderInJScript) {
  Attach();
  page_.SuppressDialogs();
  EXPECT_THAT(
      dom_->Calls(),
      ElementsAre("window.execScript(\"function alert(){return;}\", \"JScript\")",
                  "window.execScript(\"function confirm(){return;}\", \"JScript\")",
                  "window.execScript(\"function prompt(){return;}\", \"JScript\")",
                  "window.execScript(\"function showModalDialog(){return;}\", \"JScript\")"));
  EXPECT_EQ(dom_->LiveReferences(), 1u);
}

struct ScriptCase {
  std::string name;
  std::optional<Text> language;
  Text call;
};

class RunScriptTest : public AttachedPage, public ::testing::TestWithParam<ScriptCase> {};

TEST_P(RunScriptTest, OnlyAnOmittedLanguageBecomesVBScript) {
  Attach();
  page_.RunScript("x = 1", GetParam().language);
  EXPECT_THAT(dom_->Calls(), ElementsAre(GetParam().call));
}

INSTANTIATE_TEST_SUITE_P(Languages, RunScriptTest,
                         ::testing::Values(ScriptCase{"OmittedIsVBScript", std::nullopt,
                                                      "window.execScript(\"x = 1\", \"VBScript\")"},
                                           ScriptCase{"JScriptIsPassed", Text("JScript"),
                                                      "window.execScript(\"x = 1\", \"JScript\")"},
                                           ScriptCase{"GivenEmptyIsPassedEmpty", Text(),
                                                      "window.execScript(\"x = 1\", \"\")"}),
                         RowName<ScriptCase>);

// The page those calls replace is not the reference the object holds.
TEST_F(ScriptAndNavigationTest, NavigateAndWriteKeepTheAttachedDocument) {
  Attach();
  page_.NavigateTo("http://site/Admin/Index.asp");
  page_.WriteDocument("<p>写入</p>");
  EXPECT_THAT(dom_->Calls(),
              ElementsAre("window.navigate(\"http://site/Admin/Index.asp\")", "document.open()",
                          "document.write(\"<p>写入</p>\")", "document.Close()"));
  EXPECT_TRUE(dom_->IsDocument(page_.AttachedDocument()));
  EXPECT_EQ(dom_->LiveReferences(), 1u);
}

TEST_F(ScriptAndNavigationTest, FireElementEventPassesTheHandlerNowSet) {
  dom_->Add("input", {{"id", "go"}, {"onclick", "start()"}});
  Attach();
  const ComObject element = page_.GetElement("go", 0);
  EXPECT_TRUE(page_.FireElementEvent(element, "onclick"));
  EXPECT_TRUE(page_.FireElementEvent(element, "onblur"));
  EXPECT_FALSE(page_.FireElementEvent(ComObject(), "onclick"));
  EXPECT_THAT(dom_->Calls(), ElementsAre("#go.FireEvent(\"onclick\", \"start()\")",
                                         "#go.FireEvent(\"onblur\", empty)"));
  EXPECT_EQ(dom_->LiveReferences(), 2u);  // the document and `element`
}

class RecordingShell : public platform::Shell {
 public:
  void ShellOpen(const Text& target) override { opened.push_back(target); }
  std::vector<Text> opened;
};

TEST(ShellOpenTest, GoesToTheShellAndDoesNothingWithoutOne) {
  FakeWindowTree windows;
  RecordingShell shell;
  PageAutomation page(windows, &shell);
  page.ShellOpen("http://site/说明.html");
  EXPECT_THAT(shell.opened, ElementsAre("http://site/说明.html"));
  PageAutomation without_shell(windows);
  without_shell.ShellOpen("http://site/");
  EXPECT_THAT(shell.opened, ElementsAre("http://site/说明.html"));
}

// --- Colours and pop-ups ----------------------------------------------------

struct ColourCase {
  std::string name;
  int32_t colour;
  Text hex;
};

class ColorToHexTest : public ::testing::TestWithParam<ColourCase> {};

TEST_P(ColorToHexTest, RedGreenBlueInCapitals) {
  FakeWindowTree windows;
  PageAutomation page(windows);
  EXPECT_EQ(page.ColorToHex(GetParam().colour), GetParam().hex);
}

INSTANTIATE_TEST_SUITE_P(Colours, ColorToHexTest,
                         ::testing::Values(ColourCase{"LowByteIsRed", 255, "FF0000"},
                                           ColourCase{"ZeroIsBlack", 0, "000000"},
                                           ColourCase{"White", 16777215, "FFFFFF"},
                                           ColourCase{"MinusOneDropsTheHighByte", -1, "FFFFFF"},
                                           ColourCase{"Hex123456IsReversed", 1193046, "563412"},
                                           ColourCase{"EachPairKeepsItsLeadingZero", 789258,
                                                      "0A0B0C"}),
                         RowName<ColourCase>);

struct PopupCase {
  std::string name;
  std::optional<int32_t> back_colour;
  std::optional<int32_t> border_width;
  std::optional<int32_t> border_colour;
  Text background;
  Text border;
};

class ShowPopupStyleTest : public AttachedPage, public ::testing::TestWithParam<PopupCase> {};

TEST_P(ShowPopupStyleTest, DefaultsOnlyForOmittedArguments) {
  Attach();
  const PopupCase& row = GetParam();
  page_.ShowPopup(1, 2, 3, 4, "<p>提示</p>", row.back_colour, row.border_width, row.border_colour);
  ASSERT_EQ(dom_->Popups().size(), 1u);
  const FakeElement& body = *dom_->Popups()[0];
  EXPECT_EQ(body.style.at("backgroundColor").ToText(), row.background);
  EXPECT_EQ(body.style.at("border").ToText(), row.border);
}

constexpr std::nullopt_t kOmitted = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Arguments, ShowPopupStyleTest,
    ::testing::Values(PopupCase{"AllOmittedGiveWhiteAndAGreyPixel", kOmitted, kOmitted, kOmitted,
                                "FFFFFF", "solid C0C0C0 1px"},
                      PopupCase{"GivenZerosAreUsed", 0, 0, 0, "000000", "solid 000000 0px"},
                      PopupCase{"WidthThreeRedBorder", kOmitted, 3, 255, "FFFFFF",
                                "solid FF0000 3px"},
                      PopupCase{"NegativeWidthKeepsItsSign", kOmitted, -2, kOmitted, "FFFFFF",
                                "solid C0C0C0 -2px"},
                      PopupCase{"BackgroundAloneLeavesTheBorderDefault", 789258, kOmitted, kOmitted,
                                "0A0B0C", "solid C0C0C0 1px"}),
    RowName<PopupCase>);

TEST_F(PopupTest, PopupIsFilledShownWithAnAnchorOnlyWhenGivenAndHidden) {
  dom_->Add("a", {{"id", "anchor"}});
  Attach();
  const ComObject anchor = page_.GetElement("anchor", 0);
  ComObject plain = page_.ShowPopup(10, 20, 300, 200, "<b>一</b>");
  ComObject anchored =
      page_.ShowPopup(-5, 0, 30, 40, "<b>二</b>", kOmitted, kOmitted, kOmitted, anchor);
  page_.HidePopup(plain);
  EXPECT_THAT(dom_->Calls(), ElementsAre("window.createPopup()", "popup.show(10, 20, 300, 200)",
                                         "window.createPopup()",
                                         "popup.show(-5, 0, 30, 40, #anchor)", "popup.hide()"));
  ASSERT_EQ(dom_->Popups().size(), 2u);
  EXPECT_EQ(dom_->Popups()[0]->properties.at("innerHTML").ToText(), "<b>一</b>");
  EXPECT_EQ(dom_->Popups()[1]->properties.at("innerHTML").ToText(), "<b>二</b>");

  EXPECT_EQ(dom_->LiveReferences(), 4u);  // the document, the anchor, two pop-ups
  plain.Clear();
  anchored.Clear();
  EXPECT_EQ(dom_->LiveReferences(), 2u);
}

// --- Operations built on others ---------------------------------------------

// Each override shows whether the operation built on it went through the
// object's own (virtual) operation.
class RedirectedPage : public PageAutomation {
 public:
  using PageAutomation::PageAutomation;
  ComObject GetElement(const Text&, int32_t) override {
    return PageAutomation::GetElement("redirected", 0);
  }
  ComObject GetFrame(const Text&, int32_t) override { return PageAutomation::GetFrame("2", 2); }
  Text ColorToHex(int32_t colour) override { return "#" + PageAutomation::ColorToHex(colour); }
};

TEST(PageOperationsTest, UseTheObjectsOwnOperations) {
  auto dom = std::make_shared<FakeDom>();
  BuildLookupPage(*dom);
  dom->Add("input", {{"id", "redirected"}, {"value", "改道"}});
  FakeWindowTree windows;
  RedirectedPage page(windows);
  ASSERT_TRUE(page.AttachDocument(dom->Document()));

  EXPECT_EQ(page.GetElementValue("anything", 1), "改道");
  EXPECT_TRUE(page.SetElementValue("anything", 0, "新"));
  EXPECT_EQ(page.GetElementValue("anything", 0), "新");
  EXPECT_EQ(IdOf(*dom, page.GetFrameElement("Menu", 0)), "MainFrame");
  page.ShowPopup(0, 0, 1, 1, "");
  ASSERT_EQ(dom->Popups().size(), 1u);
  EXPECT_EQ(dom->Popups()[0]->style.at("backgroundColor").ToText(), "#FFFFFF");
  EXPECT_EQ(dom->Popups()[0]->style.at("border").ToText(), "solid #C0C0C0 1px");
}

// --- Every operation's neutral value -----------------------------------------

// No document attached and no element given: reads are empty, writes false,
// lookups empty, and the objects handed out are usable and empty.
TEST(PageOperationsTest, UnattachedGivesTheNeutralValueEverywhere) {
  FakeWindowTree windows;
  PageAutomation page(windows);
  const ComObject none;

  EXPECT_FALSE(page.SetElementValue("a", 0, "v"));
  EXPECT_EQ(page.GetElementValue("a", 1), "");
  EXPECT_EQ(page.GetSelectionText(1), "");
  EXPECT_TRUE(page.ElementAtPoint(1, 1).IsEmpty());
  EXPECT_EQ(page.GetInnerHtml(none), "");
  EXPECT_EQ(page.GetInnerText(none), "");
  EXPECT_EQ(page.GetOuterHtml(none), "");
  EXPECT_EQ(page.GetOuterText(none), "");
  EXPECT_FALSE(page.SetInnerHtml(none, "x"));
  EXPECT_FALSE(page.SetInnerText(none, "x"));
  EXPECT_FALSE(page.SetOuterHtml(none, "x"));
  EXPECT_FALSE(page.SetOuterText(none, "x"));
  EXPECT_FALSE(page.ShowElement(none, true));
  EXPECT_FALSE(page.FireElementEvent(none, "onclick"));
  EXPECT_EQ(page.ReadDocumentProperty("title", ""), "");
  EXPECT_TRUE(page.GetElementsByTag("a").IsEmpty());
  EXPECT_EQ(page.GetFrameCount(), 0);
  EXPECT_TRUE(page.GetFrame("1", 2).IsEmpty());
  EXPECT_TRUE(page.GetFrameElement("1", 2).IsEmpty());
  EXPECT_TRUE(page.GetForm("1", 2).IsEmpty());
  EXPECT_FALSE(page.SubmitForm("1", 2));
  EXPECT_TRUE(page.ShowPopup(0, 0, 10, 10, "x", 0, 0, 0, none).IsEmpty());
  EXPECT_EQ(page.GetSelectList("1", 2).GetOptionCount(), 0);
  EXPECT_EQ(page.GetRadioGroup("r").GetItemCount(), 0);
  EXPECT_EQ(page.GetCheckBoxGroup("c").GetItemCount(), 0);
  // Nothing to see but that they return.
  page.ReplaceSelection("x");
  page.FocusElement(none);
  page.SuppressDialogs();
  page.NavigateTo("http://site/");
  page.WriteDocument("x");
  page.RunScript("x");
  page.HidePopup(none);
  page.ShellOpen("http://site/");
}

}  // namespace

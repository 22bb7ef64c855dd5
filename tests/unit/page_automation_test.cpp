// PageAutomation's rules on the in-memory page and window tree: which element
// each kind of click chooses, how attachment reads its optional arguments, how
// the document window is searched for, and that every operation gives back
// every reference it took. The source is compiled to GB18030, so "开始采集" is
// already the code-page bytes.
#include "pageauto/page_automation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/attached_page.h"
#include "tests/support/fake_dom.h"
#include "tests/support/fake_window_tree.h"
#include "tests/support/row_names.h"

namespace {

using pageauto::PageAutomation;
using platform::ComObject;
using platform::Text;
using platform::WindowHandle;
using test_support::FakeDom;
using test_support::FakeElement;
using test_support::FakeWindowTree;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const Text kServer = platform::kBrowserServerClassName;

using test_support::AttachedPage;
using test_support::RowName;
using test_support::operator<<;

std::vector<Text> ClickedIds(const FakeDom& dom) {
  std::vector<Text> ids;
  for (const FakeElement* element : dom.Clicked()) ids.push_back(element->Id());
  return ids;
}

// A page with one document attached to a PageAutomation that holds the only
// reference to it.
// --- The in-memory page the rules run on ------------------------------------

// What the rules below rely on from the page: names bind in any letter case,
// a member the object lacks fails, and item answers as the older model did.
TEST(PageModelTest, BindsMembersAsThePageDoes) {
  auto dom = std::make_shared<FakeDom>();
  dom->Add("input", {{"id", "first"}, {"name", "n"}});
  dom->Add("input", {{"id", "second"}, {"name", "n"}});
  const ComObject document = dom->Document();
  const ComObject inputs = document.CallObject("GETELEMENTSBYTAGNAME", {Text("INPUT")});

  EXPECT_EQ(inputs.GetNumber("Length"), 2);
  const auto id_of = [&](const ComObject& object) {
    const FakeElement* element = dom->ElementOf(object);
    return element ? element->Id() : Text("(none)");
  };
  EXPECT_EQ(id_of(inputs.CallObject("item")), "first");
  EXPECT_EQ(id_of(inputs.CallObject("item", {1.0})), "second");
  EXPECT_EQ(id_of(inputs.Get("item", {1.0}).ToObject()), "second");
  EXPECT_EQ(id_of(inputs.CallObject("item", {2.0})), "(none)");

  const ComObject first = inputs.CallObject("item");
  EXPECT_EQ(first.GetText("ID"), "first");
  EXPECT_FALSE(dom->Invoke(first.ObjectId(), "nonesuch", platform::InvokeKind::kGet, {}).ok);
  EXPECT_TRUE(first.Put("Value", Text("typed")));
  EXPECT_EQ(first.GetText("value"), "typed");
  EXPECT_FALSE(first.Put("nonesuch", Text("x")));

  first.Call("CLICK");
  EXPECT_THAT(ClickedIds(*dom), ElementsAre("first"));
  EXPECT_EQ(dom->LiveReferences(), 3u);  // document, inputs, first
}

// --- Choosing the element to click -----------------------------------------

// Links and inputs mixed as a back-end page mixes them, so that each kind
// also shows what it must pass over. Links in order: anchor, home, collect,
// image-link. Button-like inputs in order: login, start, start-exact, clear,
// go-image.
void BuildMixedPage(FakeDom& dom) {
  dom.Add("a", {{"id", "anchor"}, {"name", "top"}});
  dom.Add("input", {{"id", "user"}, {"type", "text"}, {"name", "user"}, {"value", "开始采集"}});
  dom.Add(
      "a",
      {{"id", "home"}, {"name", "nav"}, {"href", "http://site/index.html"}, {"innerText", "首页"}});
  dom.Add("input", {{"id", "login"}, {"type", "SUBMIT"}, {"name", "go"}, {"value", "登录"}});
  dom.Add("input", {{"id", "token"}, {"type", "hidden"}, {"name", "token"}, {"value", "开始采集"}});
  FakeElement& panel = dom.Add("div", {{"id", "panel"}});
  dom.Add("input",
          {{"id", "start"}, {"type", "button"}, {"name", "go"}, {"value", "点击开始采集任务"}},
          &panel);
  dom.Add("a",
          {{"id", "collect"},
           {"name", "nav"},
           {"href", "http://site/Admin/Collect.asp"},
           {"innerText", "开始采集项目"}},
          &panel);
  dom.Add("input", {{"id", "start-exact"}, {"type", "Button"}, {"value", "开始采集"}});
  dom.Add("button", {{"id", "tag-button"}, {"type", "submit"}, {"value", "Stop"}});
  dom.Add("input", {{"id", "clear"}, {"type", "reset"}, {"value", "Stop Collecting"}});
  dom.Add("img", {{"id", "logo"}, {"src", "http://site/img/go.png"}});
  dom.Add("input", {{"id", "addr"}, {"type", "text"}, {"src", "http://site/img/go.png"}});
  dom.Add("a", {{"id", "image-link"}, {"href", "http://site/img/go.png"}, {"innerText", "Logo"}});
  dom.Add("input", {{"id", "go-image"}, {"type", "image"}, {"src", "http://site/img/GO.png"}});
  dom.Add("input", {{"id", "agree"}, {"type", "checkbox"}, {"value", "stop"}});
}

enum class Operation { kLink, kButton };

struct ClickCase {
  std::string name;
  Operation operation;
  Text text;
  int32_t kind;
  std::optional<bool> exact;
  Text clicked;  // the id of the one element clicked; empty when none is
};

class ClickTest : public AttachedPage, public ::testing::TestWithParam<ClickCase> {};

TEST_P(ClickTest, ClicksExactlyTheChosenElement) {
  BuildMixedPage(*dom_);
  Attach();
  const ClickCase& row = GetParam();
  const bool result = row.operation == Operation::kLink
                          ? page_.ClickLink(row.text, row.kind, row.exact)
                          : page_.ClickButton(row.text, row.kind, row.exact);
  if (row.clicked.empty()) {
    EXPECT_FALSE(result);
    EXPECT_THAT(ClickedIds(*dom_), IsEmpty());
  } else {
    EXPECT_TRUE(result);
    EXPECT_THAT(ClickedIds(*dom_), ElementsAre(row.clicked));
  }
}

constexpr Operation kLink = Operation::kLink;
constexpr Operation kButton = Operation::kButton;
constexpr std::nullopt_t kOmitted = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Button, ClickTest,
    ::testing::Values(
        ClickCase{"ById_ClicksATextBox", kButton, "user", 0, kOmitted, "user"},
        ClickCase{"ById_ClicksAnElementThatIsNoInput", kButton, "logo", 0, kOmitted, "logo"},
        ClickCase{"ById_UnknownIdClicksNothing", kButton, "nobody", 0, kOmitted, ""},
        ClickCase{"ByName_ClicksTheFirstOfThatName", kButton, "go", 1, kOmitted, "login"},
        ClickCase{"ByName_ClicksAHiddenField", kButton, "token", 1, kOmitted, "token"},
        ClickCase{"ByName_NameIsNotCaseFolded", kButton, "GO", 1, kOmitted, ""},
        ClickCase{"ByPosition_1_SkipsTheTextBox", kButton, "1", 2, kOmitted, "login"},
        ClickCase{"ByPosition_2_SkipsHiddenAndEntersThePanel", kButton, "2", 2, kOmitted, "start"},
        ClickCase{"ByPosition_4_SkipsTheButtonTag", kButton, "4", 2, kOmitted, "clear"},
        ClickCase{"ByPosition_5_IsTheImageInput", kButton, "5", 2, kOmitted, "go-image"},
        ClickCase{"ByPosition_6_IsBeyondTheCandidates", kButton, "6", 2, kOmitted, ""},
        ClickCase{"ByPosition_0_ClicksNothing", kButton, "0", 2, kOmitted, ""},
        ClickCase{"ByPosition_Negative_ClicksNothing", kButton, "-1", 2, kOmitted, ""},
        ClickCase{"ByPosition_FullWidthDigitCounts", kButton, "２", 2, kOmitted, "start"},
        ClickCase{"ByPosition_LeadingBlankAndTrailingText", kButton, " 3rd", 2, kOmitted,
                  "start-exact"},
        ClickCase{"ByPosition_NotANumberClicksNothing", kButton, "two", 2, kOmitted, ""},
        ClickCase{"ByText_ContainedCaptionWinsInDocumentOrder", kButton, "开始采集", 3, kOmitted,
                  "start"},
        ClickCase{"ByText_ExactFalseIsContainment", kButton, "开始采集", 3, false, "start"},
        ClickCase{"ByText_ExactSkipsTheLongerCaption", kButton, "开始采集", 3, true, "start-exact"},
        ClickCase{"ByText_ContainmentFoldsAsciiCase", kButton, "stop collecting", 3, kOmitted,
                  "clear"},
        ClickCase{"ByText_ExactMindsAsciiCase", kButton, "stop collecting", 3, true, ""},
        ClickCase{"ByText_ExactWholeCaption", kButton, "Stop Collecting", 3, true, "clear"},
        ClickCase{"ByText_EmptyTextMatchesTheFirstNonEmptyCaption", kButton, "", 3, kOmitted,
                  "login"},
        ClickCase{"ByText_ExactEmptyTextMatchesAnEmptyCaption", kButton, "", 3, true, "go-image"},
        ClickCase{"ByAddress_OnlyImageInputsCountAndCaseFolds", kButton, "img/go.png", 4, kOmitted,
                  "go-image"},
        ClickCase{"ByAddress_ExactMindsCase", kButton, "http://site/img/go.png", 4, true, ""},
        ClickCase{"ByAddress_ExactWholeAddress", kButton, "http://site/img/GO.png", 4, true,
                  "go-image"},
        ClickCase{"ByAddress_NeverLooksAtTheCaption", kButton, "Logo", 4, kOmitted, ""},
        ClickCase{"Kind5_ClicksNothingEvenWhereAnAddressMatches", kButton, "go.png", 5, kOmitted,
                  ""},
        ClickCase{"NegativeKind_ClicksNothing", kButton, "1", -1, kOmitted, ""}),
    RowName<ClickCase>);

INSTANTIATE_TEST_SUITE_P(
    Link, ClickTest,
    ::testing::Values(
        ClickCase{"ById_ClicksAnInputToo", kLink, "login", 0, kOmitted, "login"},
        ClickCase{"ByName_ClicksTheFirstOfThatName", kLink, "nav", 1, kOmitted, "home"},
        ClickCase{"ByName_UnknownNameClicksNothing", kLink, "nobody", 1, kOmitted, ""},
        ClickCase{"ByPosition_1_IsALinkWithoutAddressOrText", kLink, "1", 2, kOmitted, "anchor"},
        ClickCase{"ByPosition_3_EntersThePanel", kLink, "3", 2, kOmitted, "collect"},
        ClickCase{"ByPosition_4_IsTheLast", kLink, "4", 2, kOmitted, "image-link"},
        ClickCase{"ByPosition_5_IsBeyondTheLinks", kLink, "5", 2, kOmitted, ""},
        ClickCase{"ByPosition_0_ClicksNothing", kLink, "0", 2, kOmitted, ""},
        ClickCase{"ByPosition_Negative_ClicksNothing", kLink, "-2", 2, kOmitted, ""},
        ClickCase{"ByPosition_FullWidthDigitCounts", kLink, "３", 2, kOmitted, "collect"},
        ClickCase{"ByText_ContainedTextSkipsInputsWithThatValue", kLink, "开始采集", 3, kOmitted,
                  "collect"},
        ClickCase{"ByText_ExactSkipsTheLongerText", kLink, "开始采集", 3, true, ""},
        ClickCase{"ByText_EmptyTextMatchesTheFirstNonEmptyText", kLink, "", 3, kOmitted, "home"},
        ClickCase{"ByText_ContainmentFoldsAsciiCase", kLink, "LOGO", 3, kOmitted, "image-link"},
        ClickCase{"ByAddress_ContainmentFoldsAsciiCase", kLink, "admin/collect", 4, kOmitted,
                  "collect"},
        ClickCase{"ByAddress_FirstLinkToTheImage", kLink, "go.png", 4, kOmitted, "image-link"},
        ClickCase{"ByAddress_EmptyTextMatchesTheFirstLinkWithAnAddress", kLink, "", 4, kOmitted,
                  "home"},
        ClickCase{"ByAddress_ExactEmptyTextMatchesALinkWithoutAddress", kLink, "", 4, true,
                  "anchor"},
        ClickCase{"Kind5_ClicksNothingEvenWhereAnAddressMatches", kLink, "collect", 5, kOmitted,
                  ""}),
    RowName<ClickCase>);

// The channel generation page: its buttons are counted among button-like
// inputs only.
TEST(ClickButtonPositionTest, PositionCountsOnlyButtonLikeInputs) {
  auto dom = std::make_shared<FakeDom>();
  dom->Add("input", {{"id", "text-box"}, {"type", "text"}});
  dom->Add("input", {{"id", "submit"}, {"type", "submit"}});
  dom->Add("input", {{"id", "hidden"}, {"type", "hidden"}});
  dom->Add("input", {{"id", "plain"}, {"type", "button"}});
  FakeWindowTree windows;
  PageAutomation page(windows);
  ASSERT_TRUE(page.AttachDocument(dom->Document()));

  EXPECT_TRUE(page.ClickButton("2", PageAutomation::kByPosition));
  EXPECT_TRUE(page.ClickButton("1", PageAutomation::kByPosition));
  EXPECT_THAT(ClickedIds(*dom), ElementsAre("plain", "submit"));
}

// Which elements count as button-like, and which as image inputs for kind 4.
struct ButtonLikeCase {
  std::string name;
  Text tag;
  Text type;
  bool button_like;
  bool image;
};

class ClickButtonTypeTest : public AttachedPage, public ::testing::TestWithParam<ButtonLikeCase> {};

TEST_P(ClickButtonTypeTest, OnlyButtonLikeInputsAreCandidates) {
  const ButtonLikeCase& row = GetParam();
  dom_->Add(row.tag, {{"type", row.type}, {"value", "Go"}, {"src", "go.png"}});
  Attach();
  EXPECT_EQ(page_.ClickButton("1", PageAutomation::kByPosition), row.button_like);
  EXPECT_EQ(page_.ClickButton("Go", PageAutomation::kByText), row.button_like);
  EXPECT_EQ(page_.ClickButton("go.png", PageAutomation::kByAddress), row.image);
}

INSTANTIATE_TEST_SUITE_P(
    Types, ClickButtonTypeTest,
    ::testing::Values(
        ButtonLikeCase{"SubmitIs", "input", "submit", true, false},
        ButtonLikeCase{"SubmitInCapitalsIs", "input", "SUBMIT", true, false},
        ButtonLikeCase{"ButtonInMixedCaseIs", "input", "bUtToN", true, false},
        ButtonLikeCase{"ResetIs", "input", "Reset", true, false},
        ButtonLikeCase{"ImageIsAndCountsForAddress", "input", "image", true, true},
        ButtonLikeCase{"ImageInCapitalsCountsForAddress", "input", "IMAGE", true, true},
        ButtonLikeCase{"TextIsNot", "input", "text", false, false},
        ButtonLikeCase{"HiddenIsNot", "input", "hidden", false, false},
        ButtonLikeCase{"CheckboxIsNot", "input", "checkbox", false, false},
        ButtonLikeCase{"EmptyTypeIsNot", "input", "", false, false},
        ButtonLikeCase{"TypeWithABlankIsNot", "input", "submit ", false, false},
        ButtonLikeCase{"FullWidthLettersAreNotFolded", "input", "ＳＵＢＭＩＴ", false, false},
        ButtonLikeCase{"ButtonTagIsNot", "button", "submit", false, false},
        ButtonLikeCase{"ImageElementIsNot", "img", "image", false, false}),
    RowName<ButtonLikeCase>);

// Containment moves one character at a time and folds ASCII letters only; the
// same rule serves a link's text and a button's caption.
struct CaptionCase {
  std::string name;
  Text caption;
  Text text;
  std::optional<bool> exact;
  bool matches;
};

class ClickCaptionTest : public AttachedPage, public ::testing::TestWithParam<CaptionCase> {};

TEST_P(ClickCaptionTest, LinkTextAndButtonCaptionMatchAlike) {
  const CaptionCase& row = GetParam();
  dom_->Add("a", {{"innerText", row.caption}});
  dom_->Add("input", {{"type", "submit"}, {"value", row.caption}});
  Attach();
  EXPECT_EQ(page_.ClickLink(row.text, PageAutomation::kByText, row.exact), row.matches);
  EXPECT_EQ(page_.ClickButton(row.text, PageAutomation::kByText, row.exact), row.matches);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ClickCaptionTest,
    ::testing::Values(CaptionCase{"ChineseInsideALongerCaptionMatches", "请点击开始采集按钮",
                                  "开始采集", kOmitted, true},
                      CaptionCase{"ChineseWithAsciiInOtherCaseMatches", "开始采集 NOW",
                                  "开始采集 now", kOmitted, true},
                      CaptionCase{"ExactNeedsTheWholeCaption", "请点击开始采集按钮", "开始采集",
                                  true, false},
                      CaptionCase{"ExactMindsCase", "Start", "start", true, false},
                      CaptionCase{"ExactFalseFoldsCase", "Start", "start", false, true},
                      // 中 (D6 D0) then 啊 (B0 A1): the bytes D0 B0 span the two characters.
                      CaptionCase{"BytesSpanningTwoCharactersDoNotMatch", "\xD6\xD0\xB0\xA1",
                                  "\xD0\xB0", kOmitted, false},
                      CaptionCase{"AsciiTrailByteIsNotALetter", "\x81\x41", "a", kOmitted, false},
                      CaptionCase{"EmptyTextNeverMatchesAnEmptyCaption", "", "", kOmitted, false}),
    RowName<CaptionCase>);

// --- Nothing attached, and references given back ---------------------------

TEST(PageAutomationTest, NothingAttachedGivesNeutralResults) {
  FakeWindowTree windows;
  PageAutomation page(windows);
  for (int32_t kind = 0; kind <= 5; ++kind) {
    EXPECT_FALSE(page.ClickButton("1", kind)) << "kind " << kind;
    EXPECT_FALSE(page.ClickLink("1", kind)) << "kind " << kind;
  }
  EXPECT_EQ(page.GetPageContent("outerHTML"), "");
  EXPECT_TRUE(page.GetElement("x", 0).IsEmpty());
  EXPECT_TRUE(page.GetElement("x", 1).IsEmpty());
}

struct ReferenceCase {
  std::string name;
  std::function<void(PageAutomation&)> operation;
  int length_reads;
};

class PageReferenceTest : public AttachedPage, public ::testing::TestWithParam<ReferenceCase> {};

// The page holds the one reference to its document; after any operation that
// one is all that is left, and a walk reads the length exactly once.
TEST_P(PageReferenceTest, GivesBackEveryReferenceAndReadsTheLengthOncePerWalk) {
  BuildMixedPage(*dom_);
  Attach();
  ASSERT_EQ(dom_->LiveReferences(), 1u);
  GetParam().operation(page_);
  EXPECT_EQ(dom_->LiveReferences(), 1u);
  EXPECT_EQ(dom_->LengthReads(), GetParam().length_reads);
}

using Page = PageAutomation;

INSTANTIATE_TEST_SUITE_P(
    Operations, PageReferenceTest,
    ::testing::Values(
        ReferenceCase{"ClickButtonById", [](Page& p) { p.ClickButton("login", 0); }, 0},
        ReferenceCase{"ClickButtonByName", [](Page& p) { p.ClickButton("go", 1); }, 0},
        ReferenceCase{"ClickButtonByNameMissing", [](Page& p) { p.ClickButton("none", 1); }, 0},
        ReferenceCase{"ClickButtonByPosition", [](Page& p) { p.ClickButton("3", 2); }, 1},
        ReferenceCase{"ClickButtonByPositionMissing", [](Page& p) { p.ClickButton("9", 2); }, 1},
        ReferenceCase{"ClickButtonByText", [](Page& p) { p.ClickButton("开始采集", 3); }, 1},
        ReferenceCase{"ClickButtonByAddress", [](Page& p) { p.ClickButton("go.png", 4); }, 1},
        ReferenceCase{"ClickButtonKind5", [](Page& p) { p.ClickButton("1", 5); }, 0},
        ReferenceCase{"ClickLinkByPosition", [](Page& p) { p.ClickLink("2", 2); }, 1},
        ReferenceCase{"ClickLinkByTextMissing", [](Page& p) { p.ClickLink("none", 3); }, 1},
        ReferenceCase{"ClickLinkByAddress", [](Page& p) { p.ClickLink("collect", 4); }, 1},
        ReferenceCase{"GetPageContentOfTheElement", [](Page& p) { p.GetPageContent("innerText"); },
                      0},
        ReferenceCase{"GetElementByNameThenDrop", [](Page& p) { p.GetElement("go", 1); }, 0},
        ReferenceCase{"GetElementByIdThenDrop", [](Page& p) { p.GetElement("clear", 0); }, 0}),
    RowName<ReferenceCase>);

class PageReturnedElementTest : public AttachedPage, public ::testing::Test {};

TEST_F(PageReturnedElementTest, IsTheOnlyReferenceLeftBesideTheDocument) {
  BuildMixedPage(*dom_);
  Attach();
  for (int32_t mode : {0, 1}) {
    ComObject element = page_.GetElement(mode == 1 ? "go" : "login", mode);
    EXPECT_EQ(dom_->LiveReferences(), 2u) << "mode " << mode;
    element.Clear();
    EXPECT_EQ(dom_->LiveReferences(), 1u) << "mode " << mode;
  }
}

// --- Looking up and reading -------------------------------------------------

struct ElementCase {
  std::string name;
  Text key;
  int32_t mode;
  Text found;  // the id of the element given; empty when none is
};

class PageGetElementTest : public AttachedPage, public ::testing::TestWithParam<ElementCase> {};

// Ids and names cross over, so a lookup by the wrong one finds the other element.
TEST_P(PageGetElementTest, OnlyMode1LooksUpByName) {
  dom_->Add("input", {{"id", "alpha"}, {"name", "beta"}});
  dom_->Add("input", {{"id", "beta"}, {"name", "alpha"}});
  dom_->Add("input", {{"id", "second-beta"}, {"name", "beta"}});
  Attach();
  const ComObject element = page_.GetElement(GetParam().key, GetParam().mode);
  const FakeElement* found = dom_->ElementOf(element);
  EXPECT_EQ(found ? found->Id() : Text(), GetParam().found);
  EXPECT_EQ(element.IsEmpty(), GetParam().found.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PageGetElementTest,
    ::testing::Values(ElementCase{"Mode1GivesTheFirstOfTheName", "beta", 1, "alpha"},
                      ElementCase{"Mode0LooksUpById", "beta", 0, "beta"},
                      ElementCase{"Mode2LooksUpByIdNotPosition", "beta", 2, "beta"},
                      ElementCase{"ModeMinus1LooksUpById", "beta", -1, "beta"},
                      ElementCase{"UnknownIdGivesNothing", "gamma", 0, ""},
                      ElementCase{"UnknownNameGivesNothing", "gamma", 1, ""},
                      ElementCase{"IdKeyIsNotCaseFolded", "BETA", 0, ""},
                      ElementCase{"NameKeyIsNotCaseFolded", "BETA", 1, ""}),
    RowName<ElementCase>);

struct ContentCase {
  std::string name;
  Text property;
  Text content;
};

class GetPageContentTest : public AttachedPage, public ::testing::TestWithParam<ContentCase> {};

// The document carries a property of its own named outerHTML, so a read that
// goes to the document instead of its element shows in the result.
TEST_P(GetPageContentTest, ReadsTheElementOnlyForTheTwoExactNames) {
  dom_->DocumentElement().properties["outerHTML"] = "<html><body>页面</body></html>";
  dom_->DocumentElement().properties["innerText"] = "页面";
  dom_->SetDocumentProperty("outerHTML", "the document's own");
  dom_->SetDocumentProperty("title", "后台管理");
  Attach();
  EXPECT_EQ(page_.GetPageContent(GetParam().property), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(
    Names, GetPageContentTest,
    ::testing::Values(
        ContentCase{"OuterHtmlIsTheWholeMarkup", "outerHTML", "<html><body>页面</body></html>"},
        ContentCase{"InnerTextIsTheWholeText", "innerText", "页面"},
        ContentCase{"OuterHtmlInCapitalsIsTheDocumentsOwn", "OUTERHTML", "the document's own"},
        ContentCase{"InnerTextInOtherCaseIsAMissingDocumentProperty", "innertext", ""},
        ContentCase{"OtherNameIsTheDocumentProperty", "title", "后台管理"},
        ContentCase{"MissingPropertyGivesEmpty", "nonesuch", ""}),
    RowName<ContentCase>);

TEST(PageAutomationTest, CopyKeepsWorkingAfterTheOriginalIsGone) {
  auto dom = std::make_shared<FakeDom>();
  dom->DocumentElement().properties["outerHTML"] = "<html></html>";
  dom->Add("input", {{"id", "go"}, {"type", "submit"}});
  FakeWindowTree windows;
  auto original = std::make_unique<PageAutomation>(windows);
  ASSERT_TRUE(original->AttachDocument(dom->Document()));

  PageAutomation copy(*original);
  PageAutomation assigned(windows);
  assigned = *original;
  original.reset();

  for (PageAutomation* page : {&copy, &assigned}) {
    EXPECT_EQ(page->GetPageContent("outerHTML"), "<html></html>");
    EXPECT_TRUE(page->ClickButton("1", PageAutomation::kByPosition));
  }
  EXPECT_EQ(dom->Clicked().size(), 2u);
  EXPECT_EQ(dom->LiveReferences(), 1u);  // the copies share the one reference
}

// --- Attaching --------------------------------------------------------------

enum class DocumentArgument { kOmitted, kEmpty, kGiven };
enum class WindowArgument { kOmitted, kFrame, kZero, kPlain };
enum class Holds { kPrevious, kGiven, kShown, kNothing };

struct AttachCase {
  std::string name;
  DocumentArgument document;
  WindowArgument window;
  bool result;
  Holds holds;
  std::size_t sends;
};

// A frame with a browser window below it showing `shown_`, and a plain window
// with none. The page starts attached to `previous_`.
class AttachTest : public ::testing::TestWithParam<AttachCase> {
 protected:
  void SetUp() override {
    windows_.GiveDocument(windows_.Add(kServer, frame_), shown_->Document());
    ASSERT_TRUE(page_.AttachDocument(previous_->Document()));
  }

  std::shared_ptr<FakeDom> previous_ = std::make_shared<FakeDom>();
  std::shared_ptr<FakeDom> given_ = std::make_shared<FakeDom>();
  std::shared_ptr<FakeDom> shown_ = std::make_shared<FakeDom>();
  FakeWindowTree windows_;
  const WindowHandle frame_ = windows_.Add("Frame");
  const WindowHandle plain_ = windows_.Add("Plain");
  PageAutomation page_{windows_};
};

TEST_P(AttachTest, DecidesByWhichArgumentsWereGiven) {
  const AttachCase& row = GetParam();
  std::optional<ComObject> document;
  if (row.document == DocumentArgument::kEmpty) document = ComObject();
  if (row.document == DocumentArgument::kGiven) document = given_->Document();
  std::optional<WindowHandle> window;
  if (row.window == WindowArgument::kFrame) window = frame_;
  if (row.window == WindowArgument::kZero) window = 0;
  if (row.window == WindowArgument::kPlain) window = plain_;

  EXPECT_EQ(page_.AttachDocument(document, window), row.result);
  document.reset();

  const ComObject& held = page_.AttachedDocument();
  switch (row.holds) {
    case Holds::kPrevious:
      EXPECT_TRUE(previous_->IsDocument(held));
      break;
    case Holds::kGiven:
      EXPECT_TRUE(given_->IsDocument(held));
      break;
    case Holds::kShown:
      EXPECT_TRUE(shown_->IsDocument(held));
      break;
    case Holds::kNothing:
      EXPECT_TRUE(held.IsEmpty());
      break;
  }
  // A document no longer held is released.
  EXPECT_EQ(previous_->LiveReferences(), row.holds == Holds::kPrevious ? 1u : 0u);
  EXPECT_EQ(windows_.Sends().size(), row.sends);
}

using Doc = DocumentArgument;
using Win = WindowArgument;

INSTANTIATE_TEST_SUITE_P(
    Arguments, AttachTest,
    ::testing::Values(AttachCase{"NothingGivenFailsAndKeepsThePrevious", Doc::kOmitted,
                                 Win::kOmitted, false, Holds::kPrevious, 0},
                      AttachCase{"EmptyDocumentFailsAndHoldsNothing", Doc::kEmpty, Win::kOmitted,
                                 false, Holds::kNothing, 0},
                      AttachCase{"EmptyDocumentWithAWindowNeverAsksTheWindow", Doc::kEmpty,
                                 Win::kFrame, false, Holds::kNothing, 0},
                      AttachCase{"DocumentWithAWindowNeverAsksTheWindow", Doc::kGiven, Win::kFrame,
                                 true, Holds::kGiven, 0},
                      AttachCase{"WindowAloneAttachesTheDocumentShown", Doc::kOmitted, Win::kFrame,
                                 true, Holds::kShown, 1},
                      AttachCase{"WindowZeroIsGivenAndSearchesTheTopLevelWindows", Doc::kOmitted,
                                 Win::kZero, true, Holds::kShown, 1},
                      AttachCase{"WindowWithoutBrowserFailsAndKeepsThePrevious", Doc::kOmitted,
                                 Win::kPlain, false, Holds::kPrevious, 0}),
    RowName<AttachCase>);

// --- Finding the browser's document window ----------------------------------

// top
// ├─ shell
// │  └─ view
// │     └─ outer (browser, shows a page)
// │        └─ inner (browser)
// ├─ sibling (browser): a direct child of top, yet after shell's whole subtree
// └─ plain
class PageWindowSearchTest : public ::testing::Test {
 protected:
  PageWindowSearchTest() {
    top_ = windows_.Add("Frame");
    const WindowHandle shell = windows_.Add("Shell Embedding", top_);
    const WindowHandle view = windows_.Add("Shell DocObject View", shell);
    outer_ = windows_.Add(kServer, view);
    inner_ = windows_.Add(kServer, outer_);
    sibling_ = windows_.Add(kServer, top_);
    plain_ = windows_.Add("Static", top_);
    windows_.GiveDocument(outer_, dom_->Document());
  }

  std::shared_ptr<FakeDom> dom_ = std::make_shared<FakeDom>();
  FakeWindowTree windows_;
  PageAutomation page_{windows_};
  WindowHandle top_, outer_, inner_, sibling_, plain_;
};

TEST_F(PageWindowSearchTest, FirstFoundIsDepthFirstPreOrderAndNeverTheWindowItself) {
  EXPECT_EQ(page_.FindBrowserServerWindow(top_), outer_);
  EXPECT_EQ(page_.FindBrowserServerWindow(outer_), inner_);
  EXPECT_EQ(page_.FindBrowserServerWindow(plain_), 0u);
  EXPECT_EQ(page_.FindBrowserServerWindow(0xDEAD), 0u);
}

TEST_F(PageWindowSearchTest, FindAllAppendsInPreOrderAndIsTrueWhenTheListIsNotEmpty) {
  constexpr WindowHandle kSeven = 7, kEight = 8;
  std::vector<WindowHandle> list{kSeven};
  EXPECT_TRUE(page_.FindAllBrowserServerWindows(top_, list));
  EXPECT_THAT(list, ElementsAre(kSeven, outer_, inner_, sibling_));

  std::vector<WindowHandle> prefilled{kSeven, kEight};
  EXPECT_TRUE(page_.FindAllBrowserServerWindows(plain_, prefilled));
  EXPECT_THAT(prefilled, ElementsAre(kSeven, kEight));

  std::vector<WindowHandle> empty;
  EXPECT_FALSE(page_.FindAllBrowserServerWindows(plain_, empty));
  EXPECT_THAT(empty, IsEmpty());
}

// The request goes once, to the outer browser window, with the registered
// message and the 1000 ms limit, whether the search starts above it or at it.
TEST_F(PageWindowSearchTest, DocumentRequestGoesToTheFirstBrowserWindowWithTheLimit) {
  const uint32_t request = windows_.RegisterWindowMessage("WM_HTML_GETOBJECT");
  for (WindowHandle start : {top_, outer_}) {
    ComObject document;
    EXPECT_TRUE(page_.DocumentFromWindow(start, document));
    EXPECT_TRUE(dom_->IsDocument(document));
  }
  ASSERT_EQ(windows_.Sends().size(), 2u);
  for (const FakeWindowTree::Send& send : windows_.Sends()) {
    EXPECT_EQ(send.window, outer_);
    EXPECT_EQ(send.message, request);
    EXPECT_EQ(send.timeout_ms, 1000);
  }
}

// inner has no page to give: the window answers nothing and the destination
// is left as it was.
TEST_F(PageWindowSearchTest, BrowserWindowWithoutAnswerFailsAndLeavesTheDestination) {
  auto other = std::make_shared<FakeDom>();
  ComObject destination = other->Document();
  EXPECT_FALSE(page_.DocumentFromWindow(inner_, destination));
  EXPECT_TRUE(other->IsDocument(destination));
  ASSERT_EQ(windows_.Sends().size(), 1u);
  EXPECT_EQ(windows_.Sends()[0].window, inner_);
}

// Class names are read as into a 255-byte buffer. The class sought is far
// shorter, so a name cut there can never equal it: what the cut must not do is
// turn the comparison into a prefix match or stop the search below that window.
struct ClassNameCase {
  std::string name;
  Text class_name;
  bool matches;
};

class PageWindowClassNameTest : public ::testing::TestWithParam<ClassNameCase> {};

TEST_P(PageWindowClassNameTest, OnlyTheExactClassNameMatches) {
  FakeWindowTree windows;
  PageAutomation page(windows);
  const WindowHandle frame = windows.Add("Frame");
  const WindowHandle candidate = windows.Add(GetParam().class_name, frame);
  const WindowHandle below = windows.Add(kServer, candidate);

  EXPECT_EQ(page.FindBrowserServerWindow(frame), GetParam().matches ? candidate : below);
  std::vector<WindowHandle> all;
  page.FindAllBrowserServerWindows(frame, all);
  if (GetParam().matches) {
    EXPECT_THAT(all, ElementsAre(candidate, below));
  } else {
    EXPECT_THAT(all, ElementsAre(below));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, PageWindowClassNameTest,
    ::testing::Values(
        ClassNameCase{"ExactNameMatches", kServer, true},
        ClassNameCase{"OtherCaseDoesNotMatch", platform::FoldLower(kServer), false},
        ClassNameCase{"PrefixDoesNotMatch", kServer.substr(0, kServer.size() - 1), false},
        ClassNameCase{"LongerNameDoesNotMatch", kServer + "1", false},
        ClassNameCase{"NameLongerThanTheBufferDoesNotMatch", kServer + Text(300, 'x'), false},
        ClassNameCase{"NameWhollyBeyondTheCutDoesNotMatch", Text(254, 'x') + kServer, false}),
    RowName<ClassNameCase>);

}  // namespace

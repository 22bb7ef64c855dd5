// The byte rules every page match and every number typed by the operator go
// through. The source is compiled to GB18030, so "开始" below is already the
// code-page bytes; escapes are used where the exact bytes are the point.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include "tests/support/row_names.h"

namespace {

using platform::Text;

using test_support::RowName;

// A rule applied to one text.
template <typename Expected>
struct OneTextCase {
  std::string name;
  Text text;
  Expected expected;
};

// --- TextToInt --------------------------------------------------------------

using ToIntCase = OneTextCase<int32_t>;

class TextToIntTest : public ::testing::TestWithParam<ToIntCase> {};

TEST_P(TextToIntTest, ReadsTheLeadingNumber) {
  EXPECT_EQ(platform::TextToInt(GetParam().text), GetParam().expected);
}

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Rules, TextToIntTest,
    ::testing::Values(
        ToIntCase{"FullWidthDigitsReadAsDigits", "１２", 12},
        ToIntCase{"FullWidthSpaceIsABlank", "　7", 7},
        ToIntCase{"FullWidthMinusIsASign", "－５", -5},
        ToIntCase{"FullAndHalfWidthDigitsMix", "1２3", 123},
        ToIntCase{"BlanksSignDigitsThenStopAtOtherCharacter", " -3x", -3},
        ToIntCase{"TabIsABlank", "\t42", 42},
        ToIntCase{"PlusSignIsAccepted", "+5", 5},
        ToIntCase{"LeadingZerosAreIgnored", "007", 7},
        ToIntCase{"LettersFirstGiveZero", "abc", 0},
        ToIntCase{"DigitsAfterALetterAreNotRead", "a12", 0},
        ToIntCase{"EmptyGivesZero", "", 0},
        ToIntCase{"SignAloneGivesZero", "-", 0},
        ToIntCase{"BlankBetweenSignAndDigitsGivesZero", "- 5", 0},
        ToIntCase{"ChineseCharacterStopsTheNumber", "10分钟", 10},
        ToIntCase{"DoubleByteCharacterFirstGivesZero", "\x81\x37", 0},
        ToIntCase{"LargestValueFits", "2147483647", kMax},
        ToIntCase{"SmallestValueFits", "-2147483648", kMin},
        ToIntCase{"OneAboveTheLargestSaturates", "2147483648", kMax},
        ToIntCase{"OneBelowTheSmallestSaturates", "-2147483649", kMin},
        ToIntCase{"ElevenDigitsSaturate", "99999999999", kMax},
        ToIntCase{"NegativeElevenDigitsSaturate", "-99999999999", kMin},
        ToIntCase{"DigitsBeyondSixtyFourBitsStillSaturate", "123456789012345678901234567890",
                  kMax},
        ToIntCase{"FullWidthDigitsBeyondThirtyTwoBitsSaturate", "９９９９９９９９９９９", kMax}),
    RowName<ToIntCase>);

// --- FoldLower --------------------------------------------------------------

using FoldCase = OneTextCase<Text>;

class FoldLowerTest : public ::testing::TestWithParam<FoldCase> {};

TEST_P(FoldLowerTest, LowersOnlyAsciiCapitals) {
  EXPECT_EQ(platform::FoldLower(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FoldLowerTest,
    ::testing::Values(
        FoldCase{"AsciiCapitalsBecomeSmall", "AbC-XYZ", "abc-xyz"},
        FoldCase{"NeighboursOfTheCapitalsStay", "@[`{", "@[`{"},
        FoldCase{"TrailByteThatIsACapitalStays", "\x81\x41", "\x81\x41"},
        FoldCase{"CapitalAfterADoubleByteCharacterIsLowered", "\x81\x5A" "B", "\x81\x5A" "b"},
        FoldCase{"TwoLeadBytesInARowAreOneCharacter", "\x81\x81" "A", "\x81\x81" "a"},
        FoldCase{"ChineseTextKeptAroundLoweredLetters", "开始ABC采集", "开始abc采集"},
        FoldCase{"LoneLeadByteAtTheEndStays", "A\x81", "a\x81"}),
    RowName<FoldCase>);

// --- ContainsFolded ---------------------------------------------------------

struct ContainsCase {
  std::string name;
  Text haystack;
  Text needle;
  bool expected;
};

class ContainsFoldedTest : public ::testing::TestWithParam<ContainsCase> {};

TEST_P(ContainsFoldedTest, FindsTheNeedleOnlyAtACharacterBoundary) {
  EXPECT_EQ(platform::ContainsFolded(GetParam().haystack, GetParam().needle),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ContainsFoldedTest,
    ::testing::Values(
        ContainsCase{"EmptyNeedleMatchesANonEmptyHaystack", "x", "", true},
        ContainsCase{"EmptyNeedleDoesNotMatchAnEmptyHaystack", "", "", false},
        ContainsCase{"NothingIsInAnEmptyHaystack", "", "a", false},
        ContainsCase{"LettersMatchInEitherCase", "Start Collecting", "cOLLECT", true},
        ContainsCase{"NeedleLongerThanHaystackIsAbsent", "ab", "abc", false},
        ContainsCase{"NeedleAtTheVeryEndIsFound", "xyz", "yz", true},
        ContainsCase{"ChineseNeedleIsFound", "开始采集", "采集", true},
        ContainsCase{"ChineseNeedleAbsent", "开始采集", "结束", false},
        ContainsCase{"PipeOnItsOwnIsFound", "a|b", "|", true},
        ContainsCase{"PipeThatIsATrailByteIsNotFound", "\x81\x7C", "|", false},
        ContainsCase{"OccurrenceStartingOnATrailPipeIsNotFound", "\x81\x7C" "x", "|x", false},
        ContainsCase{"PipeAfterTwoLeadBytesIsItsOwnCharacter", "\x81\x81\x7C", "|", true},
        ContainsCase{"RealPipeAfterATrailPipeIsFound", "\x81\x7C|", "|", true},
        ContainsCase{"OccurrenceStartingOnATrailCapitalIsNotFound", "\x81\x41" "b", "Ab", false},
        ContainsCase{"NeedleStraddlingTwoCharactersIsNotFound", "x\x81\x41\x82\x42", "\x41\x82",
                     false},
        ContainsCase{"DoubleByteNeedleWithCapitalTrailMatchesItself", "x\x81\x41", "\x81\x41",
                     true},
        ContainsCase{"TrailCapitalIsNotFoldedInTheNeedle", "\x81\x61", "\x81\x41", false},
        ContainsCase{"TrailCapitalIsNotFoldedInTheHaystack", "\x81\x41", "\x81\x61", false}),
    RowName<ContainsCase>);

// --- CharLength and IntToText -----------------------------------------------

struct LengthCase {
  std::string name;
  Text text;
  std::size_t pos;
  std::size_t expected;
};

class CharLengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(CharLengthTest, CountsTheBytesOfTheCharacterAtPos) {
  EXPECT_EQ(platform::CharLength(GetParam().text, GetParam().pos), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CharLengthTest,
    ::testing::Values(LengthCase{"AsciiByteIsOne", "ab", 0, 1},
                      LengthCase{"LeadByteTakesTheNextByte", "\x81\x41", 0, 2},
                      LengthCase{"LeadByteAtTheLastPositionIsOne", "a\x81", 1, 1},
                      LengthCase{"PositionPastTheEndIsOne", "a", 5, 1}),
    RowName<LengthCase>);

TEST(IntToTextTest, WritesDecimalWithAMinusWhenNegative) {
  const std::pair<int64_t, Text> rows[] = {
      {0, "0"},
      {-7, "-7"},
      {1234567890123, "1234567890123"},
      {std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
  };
  for (const auto& [value, expected] : rows) EXPECT_EQ(platform::IntToText(value), expected);
}

}  // namespace

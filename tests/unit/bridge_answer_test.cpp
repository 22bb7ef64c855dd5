// What the page's read of a whole collection decodes to, and which forged or
// garbled answers read as a failed read instead of rows.
#include "platform/qt/bridge_answer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QVariantMap>

#include "tests/support/row_names.h"

namespace {

using platform::Text;
using platform::qt::DecodeRowsAnswer;
using test_support::RowName;
using test_support::operator<<;

QVariant Answer(const char* rows_json) {
  return QVariantMap{{QStringLiteral("ok"), true},
                     {QStringLiteral("rows"), QString::fromUtf8(rows_json)}};
}

TEST(BridgeAnswerTest, RowsComeBackByPlaceAndPassedOverItemsComeBackEmpty) {
  const auto decoded = DecodeRowsAnswer(
      Answer(R"([7,2,["","submit","Go","text"],"1,2,-1,3,0,-3,1,0,",false])"));
  ASSERT_TRUE(decoded.has_value());
  EXPECT_FALSE(decoded->complete);
  const std::vector<std::vector<Text>> expected = {
      {"submit", "Go"}, {}, {"text", ""}, {}, {}, {}, {"submit", ""}};
  EXPECT_EQ(decoded->rows, expected);

  const auto all_passed_over = DecodeRowsAnswer(Answer(R"([3,2,[""],"-3,",true])"));
  ASSERT_TRUE(all_passed_over.has_value());
  EXPECT_EQ(all_passed_over->rows, std::vector<std::vector<Text>>(3));

  const auto nothing_read = DecodeRowsAnswer(Answer(R"([0,1,[""],"",true])"));
  ASSERT_TRUE(nothing_read.has_value());
  EXPECT_TRUE(nothing_read->complete);
  EXPECT_TRUE(nothing_read->rows.empty());
}

struct ForgedCase {
  std::string name;
  std::string rows;
};

class ForgedRowsTest : public ::testing::TestWithParam<ForgedCase> {};

TEST_P(ForgedRowsTest, ReadAsAFailedRead) {
  EXPECT_FALSE(DecodeRowsAnswer(Answer(GetParam().rows.c_str())).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ForgedRowsTest,
    ::testing::Values(
        ForgedCase{"PlaceBeyondTheTexts", R"([1,1,[""],"1,",true])"},
        ForgedCase{"FewerRowsThanCounted", R"([2,1,[""],"0,",true])"},
        ForgedCase{"MoreRowsThanCounted", R"([1,1,[""],"0,0,",true])"},
        ForgedCase{"RunBeyondTheCount", R"([2,1,[""],"0,-2,",true])"},
        ForgedCase{"RowCutShort", R"([2,2,[""],"0,0,0,",true])"},
        ForgedCase{"RunInsideARow", R"([2,2,[""],"0,-1,0,",true])"},
        ForgedCase{"EmptyRun", R"([1,1,[""],"-0,0,",true])"},
        ForgedCase{"CellWithoutItsComma", R"([1,1,[""],"0",true])"},
        ForgedCase{"CellThatIsNoNumber", R"([1,1,[""],"x,",true])"},
        ForgedCase{"SignWithoutDigits", R"([1,1,[""],"-,",true])"},
        ForgedCase{"PlaceBeyond32Bits", R"([1,1,[""],"99999999999999999999,",true])"},
        ForgedCase{"ColumnsNoTextCouldHold", R"([1,4294967295,[""],"0,",true])"},
        ForgedCase{"MoreRowsThanAnyPageHolds", R"([4194305,1,[""],"-4194305,",true])"},
        ForgedCase{"CellsAsAnArray", R"([1,1,[""],[0],true])"},
        ForgedCase{"TextThatIsNoText", R"([1,1,[1],"0,",true])"},
        ForgedCase{"NotJson", R"([1,1,)"}),
    RowName<ForgedCase>);

TEST(BridgeAnswerTest, AFailedCallIsNoRows) {
  const QVariantMap failed{{QStringLiteral("ok"), false},
                           {QStringLiteral("rows"), QStringLiteral(R"([0,1,[""],"",true])")}};
  EXPECT_FALSE(DecodeRowsAnswer(failed).has_value());
  // "true" in a text is not the script's answer of success.
  const QVariantMap text_ok{{QStringLiteral("ok"), QStringLiteral("true")},
                            {QStringLiteral("rows"), QStringLiteral(R"([0,1,[""],"",true])")}};
  EXPECT_FALSE(DecodeRowsAnswer(text_ok).has_value());
}

}  // namespace

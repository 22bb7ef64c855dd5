// The start-up notice: reading it over HTTP, splitting it, and what the first
// firing of the notice timer opens and asks.
#include "app/notice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/curl_http_client.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/simulated_event_loop.h"

namespace {

using app::NoticeInfo;
using platform::MessageBoxAnswer;
using platform::Text;
using test_support::LoopbackHttpServer;
using test_support::SimulatedEventLoop;

struct SplitCase {
  std::string name;
  Text text;
  std::vector<Text> fields;
};

TEST(SplitFieldsTest, EachBarEndsAFieldOneCharacterAtATime) {
  const SplitCase cases[] = {
      {"EmptyTextHasNoFields", "", {}},
      {"TextWithoutBarIsOneField", "abc", {"abc"}},
      {"BarAtTheEndAddsNoField", "a|b|", {"a", "b"}},
      {"AdjacentBarsMakeEmptyFields", "a||b", {"a", "", "b"}},
      {"LoneBarIsOneEmptyField", "|", {""}},
      {"LeadingBarMakesAnEmptyFirstField", "|a", {"", "a"}},
      {"TrailByteEqualToBarIsNoSeparator", "x\x81|y|z", {"x\x81|y", "z"}},
      {"LineBreaksAreNotSeparators", "a|b\r\n", {"a", "b\r\n"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(platform::SplitFields(c.text, '|'), c.fields) << c.name;
  }
}

struct ParseCase {
  std::string name;
  Text body;
  NoticeInfo expected;
};

bool operator==(const NoticeInfo& a, const NoticeInfo& b) {
  return a.notice_page_url == b.notice_page_url && a.download_url == b.download_url &&
         a.latest_version == b.latest_version;
}

TEST(ParseNoticeTest, ExactlyFourFieldsFillTheNotice) {
  const ParseCase cases[] = {
      {"FourFields", "x|http://p/|http://d/|2.0", {"http://p/", "http://d/", "2.0"}},
      {"LineEndBelongsToTheFourthField", "x|http://p/|http://d/|2.0\r\n",
       {"http://p/", "http://d/", "2.0\r\n"}},
      {"BarAfterTheFourthFieldStillFour", "x|http://p/|http://d/|2.0|",
       {"http://p/", "http://d/", "2.0"}},
      {"EmptySecondField", "x||http://d/|1.9", {"", "http://d/", "1.9"}},
      {"FiveFieldsAreIgnoredWhole", "x|http://p/|http://d/|2.1|y", {}},
      {"ThreeFieldsAreIgnored", "x|http://p/|2.1", {}},
      {"ZeroByteEndsTheText", std::string("x|http://p/|http://d\0/|2.1", 24), {}},
      {"EmptyBody", "", {}},
  };
  for (const ParseCase& c : cases) {
    EXPECT_TRUE(app::ParseNotice(c.body) == c.expected) << c.name;
  }
}

TEST(IsWebAddressTest, OnlyHttpAndHttpsAddressesWithoutControlCharacters) {
  const std::pair<Text, bool> cases[] = {
      {"http://example.test/page", true},
      {"HTTPS://example.test/", true},
      {"hTTp://x", true},
      {"file:///bin/sh", false},
      {"C:\\Windows\\system32\\cmd.exe", false},
      {"/bin/sh", false},
      {"http://x\n/bin/sh", false},
      {"http://x\x7f", false},
      {"javascript:alert(1)", false},
      {"", false},
      {"http:/", false},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(app::IsWebAddress(text), expected) << text;
}

class RecordingShell : public platform::Shell {
 public:
  void ShellOpen(const Text& target) override { opened.push_back(target); }
  std::vector<Text> opened;
};

struct OfferCase {
  std::string name;
  NoticeInfo notice;
  std::optional<MessageBoxAnswer> answer;  // empty: no question expected
  std::vector<Text> opened;
};

TEST(OfferNoticeAndUpdateTest, OpensThePageThenOffersADifferentVersion) {
  const OfferCase cases[] = {
      {"SameVersionOpensThePageAndAsksNothing", {"http://p/", "http://d/", "2.0"}, {},
       {"http://p/"}},
      {"VersionWithLineEndDiffersAndIsOffered", {"http://p/", "http://d/", "2.0\r\n"},
       MessageBoxAnswer::kYes, {"http://p/", "http://d/"}},
      {"NoPageButANewerVersionAnsweredNo", {"", "http://d/", "1.9"}, MessageBoxAnswer::kNo, {}},
      {"EmptyNoticeDoesNothing", {}, {}, {}},
      {"LocalFilesAndProgramsAreNeverOpened",
       {"file:///bin/sh", "C:\\Windows\\system32\\cmd.exe", "2.1"}, MessageBoxAnswer::kYes, {}},
  };
  for (const OfferCase& c : cases) {
    SCOPED_TRACE(c.name);
    SimulatedEventLoop loop;
    RecordingShell shell;
    auto timer = loop.CreateTimer([] {});
    platform::SetTimerPeriod(*timer, 2000);
    if (c.answer) loop.AnswerNextMessageBox(*c.answer);
    loop.At(2000, [&] { app::OfferNoticeAndUpdate(c.notice, *timer, loop, shell); });
    loop.RunUntil(20000);
    EXPECT_EQ(shell.opened, c.opened);
    EXPECT_EQ(timer->Period(), 0);
    ASSERT_EQ(loop.MessageBoxes().size(), c.answer ? 1u : 0u);
    if (c.answer) {
      EXPECT_EQ(loop.MessageBoxes()[0].text, "发现新版本，是否下载更新？");
      EXPECT_EQ(loop.MessageBoxes()[0].title, "更新提示：");
      EXPECT_EQ(loop.MessageBoxes()[0].shown_at_ms, 5000) << "three seconds after the page";
    }
  }
}

TEST(CurlHttpClientTest, SendsAnUncachedHttp10GetWithTheUserAgentAndReadsTheBody) {
  LoopbackHttpServer server(
      LoopbackHttpServer::Response("200 OK", "x|http://p/|http://d/|2.0"));
  platform::CurlHttpClient client;
  const NoticeInfo notice = app::FetchNotice(client, server.Url(app::kNoticePath));
  EXPECT_EQ(notice.latest_version, "2.0");
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string head = server.Requests()[0];
  EXPECT_EQ(head.rfind("GET /zhushou/quorvingg/free.txt HTTP/1.0\r\n", 0), 0u) << head;
  EXPECT_NE(head.find("\r\nAccept: */*\r\n"), std::string::npos) << head;
  EXPECT_NE(head.find("\r\nPragma: no-cache\r\n"), std::string::npos) << head;
  EXPECT_NE(head.find("\r\nCache-Control: no-cache\r\n"), std::string::npos) << head;
  EXPECT_NE(head.find("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"),
            std::string::npos)
      << head;
}

TEST(CurlHttpClientTest, ErrorStatusBodyIsReadAllTheSame) {
  LoopbackHttpServer server(
      LoopbackHttpServer::Response("500 Internal Server Error", "x|http://p/|http://d/|2.1"));
  platform::CurlHttpClient client;
  EXPECT_EQ(app::FetchNotice(client, server.Url(app::kNoticePath)).latest_version, "2.1");
}

TEST(CurlHttpClientTest, BodyLargerThanANoticeIsNoNotice) {
  const std::string large = "x|http://p/|http://d/|2.1" + std::string(10 * 1024 * 1024, 'a');
  LoopbackHttpServer server(LoopbackHttpServer::Response("200 OK", large));
  platform::CurlHttpClient client;
  EXPECT_EQ(client.Get(server.Url("/")), "");
}

TEST(CurlHttpClientTest, ServerThatNeverAnswersGivesAnEmptyBodyWithinTheTimeOut) {
  LoopbackHttpServer server("", /*answer=*/false);
  platform::CurlHttpClient client(platform::CurlHttpClient::Limits{1000, 1500, 64 * 1024});
  EXPECT_EQ(client.Get(server.Url("/")), "");
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(CurlHttpClientTest, RefusedConnectionAndOtherSchemesGiveAnEmptyBody) {
  int closed_port = 0;
  {
    LoopbackHttpServer gone("");
    closed_port = gone.Port();
  }
  platform::CurlHttpClient client;
  EXPECT_EQ(client.Get("http://127.0.0.1:" + std::to_string(closed_port) + "/"), "");
  EXPECT_EQ(client.Get("file:///etc/hostname"), "");
}

}  // namespace

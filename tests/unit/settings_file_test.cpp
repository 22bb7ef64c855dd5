// config.ini must stay byte-compatible with files written by hand and by the
// earlier tool, and a damaged or odd file must never stop start-up.
#include "cycle/settings_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include "tests/support/row_names.h"

namespace cycle {
// Lets a failing comparison show all six texts.
void PrintTo(const Settings& s, std::ostream* os) {
  *os << ::testing::PrintToString(std::vector<std::string>{
      s.login_url, s.collect_url, s.channel_html_url, s.home_html_url, s.round_minutes,
      s.interval_minutes});
}
}  // namespace cycle

namespace {

using namespace std::string_literals;
using cycle::LoadSettings;
using cycle::Settings;
using cycle::WriteSettingsFile;
using platform::Text;

using test_support::RowName;

const Settings kSix{"a", "b", "", "d", "1", "10"};
const Settings kSixEmpty{};

void WriteBytes(const std::string& path, const std::string& bytes, mode_t mode = 0644) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  chmod(path.c_str(), mode);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

mode_t ModeOf(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::set<std::string> NamesIn(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Runs `body` in a child process and gives its exit code, or -1 when it was
// killed; the watchdog turns a blocking call into a failure instead of a hang.
int ExitCodeInChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    alarm(20);
    _exit(body());
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -2;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/settings_file_test.XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
    path_ = dir_ + "/config.ini";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string dir_;
  std::string path_;
};

// --- Loading ----------------------------------------------------------------

struct LoadCase {
  std::string name;
  std::string bytes;
  mode_t mode;
  Settings expected;
};

class LoadTest : public SettingsFileTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadTest, GivesTheSixLinesAsTheReaderSeesThem) {
  WriteBytes(path_, GetParam().bytes, GetParam().mode);
  EXPECT_EQ(LoadSettings(path_), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    HandWrittenFiles, LoadTest,
    ::testing::Values(
        LoadCase{"LineFeedOnlyLineEndsLoadTheSame", "a\nb\n\nd\n1\n10", 0644, kSix},
        LoadCase{"LineEndAfterTheSixthLoadsTheSame", "a\r\nb\r\n\r\nd\r\n1\r\n10\r\n", 0644,
                 kSix},
        LoadCase{"ReadOnlyFileLoads", "a\r\nb\r\n\r\nd\r\n1\r\n10", 0444, kSix},
        LoadCase{"TwoCarriageReturnsLeaveOne", "a\r\r\nb\r\n\r\nd\r\n1\r\n10", 0644,
                 Settings{"a\r", "b", "", "d", "1", "10"}},
        LoadCase{"ZeroByteCutsLineTwoAndEmptiesTheRest", "a\r\nb\0x\r\nc\r\nd\r\n1\r\n10"s,
                 0644, Settings{"a", "b", "", "", "", ""}},
        LoadCase{"EndOfTextByteCutsLineTwoAndEmptiesTheRest",
                 "a\r\nb\x1A" "x\r\nc\r\nd\r\n1\r\n10", 0644,
                 Settings{"a", "b", "", "", "", ""}},
        LoadCase{"ThreeLinesLeaveTheLastThreeEmpty", "a\r\nb\r\nc", 0644,
                 Settings{"a", "b", "c", "", "", ""}},
        LoadCase{"LinesAfterTheSixthAreNotRead", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n\0"s, 0644,
                 Settings{"1", "2", "3", "4", "5", "6"}},
        LoadCase{"LineFeedAfterAHighBitByteStaysInTheLine",
                 "\xB2\n" "x\r\nb\r\n\r\nd\r\n1\r\n10", 0644,
                 Settings{"\xB2\n" "x", "b", "", "d", "1", "10"}},
        LoadCase{"ChineseTextLoadsUnchanged", "开始\r\n采集\r\n\r\nd\r\n1\r\n10", 0644,
                 Settings{"开始", "采集", "", "d", "1", "10"}},
        LoadCase{"EmptyFileGivesSixEmptyTexts", "", 0644, kSixEmpty}),
    RowName<LoadCase>);

TEST_F(SettingsFileTest, WhatIsNotARegularFileLoadsAsSixEmptyTextsWithoutBlocking) {
  // A writer that never writes keeps the FIFO open: reading it would wait forever.
  int fifo_writer = -1;
  const std::pair<std::string, std::function<void()>> kinds[] = {
      {"missing", [] {}},
      {"directory", [&] { std::filesystem::create_directory(path_); }},
      {"fifo with an idle writer",
       [&] {
         ASSERT_EQ(mkfifo(path_.c_str(), 0644), 0);
         fifo_writer = open(path_.c_str(), O_RDWR | O_CLOEXEC);
         ASSERT_GE(fifo_writer, 0);
       }},
  };
  for (const auto& [kind, make] : kinds) {
    SCOPED_TRACE(kind);
    std::filesystem::remove_all(path_);
    make();
    EXPECT_EQ(ExitCodeInChild([&] { return LoadSettings(path_) == kSixEmpty ? 0 : 1; }), 0);
  }
  close(fifo_writer);
}

TEST_F(SettingsFileTest, FiftyMegabytesWithoutALineEndFillTheFirstText) {
  constexpr std::size_t kSize = 50u * 1024 * 1024;
  WriteBytes(path_, std::string(kSize, 'x'));
  const Settings loaded = LoadSettings(path_);
  EXPECT_EQ(loaded.login_url.size(), kSize);
  EXPECT_EQ(loaded.collect_url, "");
  EXPECT_EQ(loaded.interval_minutes, "");
}

// Whatever the bytes, a text never holds a line end or a stop byte where a
// character begins: those can only be inside a double-byte character.
TEST_F(SettingsFileTest, RandomBytesSplitOnlyAtCharacterBoundaries) {
  const char special[] = {'\n', '\r', '\0', '\x1A', '\x81', '\xFE', 'A'};
  for (unsigned seed = 1; seed <= 50; ++seed) {
    std::mt19937 next(seed);
    std::string bytes(4096, '\0');
    for (char& byte : bytes) {
      byte = next() % 2 ? special[next() % sizeof special] : static_cast<char>(next());
    }
    WriteBytes(path_, bytes);
    const Settings s = LoadSettings(path_);
    for (const Text& text : {s.login_url, s.collect_url, s.channel_html_url, s.home_html_url,
                             s.round_minutes, s.interval_minutes}) {
      for (std::size_t i = 0; i < text.size(); i += platform::CharLength(text, i)) {
        ASSERT_TRUE(text[i] != '\n' && text[i] != '\0' && text[i] != '\x1A')
            << "seed " << seed << ", byte " << i << " of " << ::testing::PrintToString(text);
      }
    }
  }
}

// --- Saving -----------------------------------------------------------------

struct SaveCase {
  std::string name;
  std::string previous;  // bytes of the file being replaced; none when empty
};

class SaveTest : public SettingsFileTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveTest, WritesExactlyTheSixLinesAndLoadsThemBack) {
  if (!GetParam().previous.empty()) WriteBytes(path_, GetParam().previous);
  const cycle::SaveOutcome outcome = WriteSettingsFile(path_, kSix);
  EXPECT_TRUE(outcome.saved);
  EXPECT_EQ(outcome.error, 0);
  EXPECT_EQ(ReadBytes(path_), "a\r\nb\r\n\r\nd\r\n1\r\n10");
  EXPECT_EQ(LoadSettings(path_), kSix);
  EXPECT_EQ(NamesIn(dir_), std::set<std::string>{"config.ini"}) << "no temporary file is left";
}

INSTANTIATE_TEST_SUITE_P(
    Targets, SaveTest,
    ::testing::Values(SaveCase{"IntoAnEmptyFolder", ""},
                      SaveCase{"OverALongerFile",
                               "\xEF\xBB\xBFold login\r\nold collect\r\nx\r\ny\r\n30\r\n60\r\n"
                               "seventh line\r\n"}),
    RowName<SaveCase>);

struct ModeCase {
  std::string name;
  mode_t previous_mode;  // 0: no file before
  mode_t umask;
  mode_t expected_mode;
};

class SaveModeTest : public SettingsFileTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(SaveModeTest, GivesTheFileItsPermissionBits) {
  if (GetParam().previous_mode != 0) WriteBytes(path_, "old", GetParam().previous_mode);
  const mode_t saved_umask = umask(GetParam().umask);
  const bool saved = WriteSettingsFile(path_, kSix).saved;
  umask(saved_umask);
  EXPECT_TRUE(saved);
  EXPECT_EQ(ModeOf(path_), GetParam().expected_mode);
}

INSTANTIATE_TEST_SUITE_P(
    Permissions, SaveModeTest,
    ::testing::Values(ModeCase{"ExistingBitsKeptWhereTheUmaskWouldClearThem", 0606, 022, 0606},
                      ModeCase{"ExistingPrivateFileStaysPrivate", 0600, 0, 0600},
                      ModeCase{"NewFileFollowsTheUmask", 0, 027, 0640}),
    RowName<ModeCase>);

// Every file and folder under `dir` with its mode, and the bytes of files.
std::map<std::string, std::pair<mode_t, std::string>> Snapshot(const std::string& dir) {
  std::map<std::string, std::pair<mode_t, std::string>> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    const std::string path = entry.path().string();
    entries[path] = {ModeOf(path), entry.is_regular_file() ? ReadBytes(path) : ""};
  }
  return entries;
}

constexpr int kRestrictionImpossible = 77;

struct RefusedCase {
  std::string name;
  // Prepares the folder and gives the path to save to.
  std::function<std::string(const std::string& dir)> prepare;
  // Runs in the child before the save; false when the restriction cannot be set.
  std::function<bool()> restrict;
};

class RefusedSaveTest : public SettingsFileTest,
                        public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedSaveTest, FailsWithAnErrnoAndChangesNothingOnDisk) {
  const std::string target = GetParam().prepare(dir_);
  const auto before = Snapshot(dir_);
  const int code = ExitCodeInChild([&] {
    if (!GetParam().restrict()) return kRestrictionImpossible;
    const cycle::SaveOutcome outcome = WriteSettingsFile(target, kSix);
    if (outcome.saved) return 1;
    return outcome.error != 0 ? 0 : 2;
  });
  if (code == kRestrictionImpossible) GTEST_SKIP() << "restriction cannot be set here";
  EXPECT_EQ(code, 0) << "1: saved anyway, 2: failed without an errno";
  EXPECT_EQ(Snapshot(dir_), before);
}

std::string OldReadOnlyFile(const std::string& dir) {
  WriteBytes(dir + "/config.ini", "old\r\nfile", 0444);
  return dir + "/config.ini";
}

std::string LockedFolder(const std::string& dir) {
  chmod(dir.c_str(), 0755);  // so that "nobody" can reach the locked folder
  const std::string locked = dir + "/locked";
  mkdir(locked.c_str(), 0555);
  chmod(locked.c_str(), 0555);
  return locked + "/config.ini";
}

std::string OldWritableFile(const std::string& dir) {
  WriteBytes(dir + "/config.ini", "old\r\nfile with more bytes than the limit");
  return dir + "/config.ini";
}

bool NoRestriction() { return true; }

// Root writes into any folder, so the save runs as "nobody".
bool DropRoot() { return geteuid() != 0 || setuid(65534) == 0; }

// The write stops after four bytes, as on a full disk.
bool LimitFileSize() {
  signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{4, 4};
  return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RefusedSaveTest,
    ::testing::Values(RefusedCase{"ReadOnlyFileKeepsItsBytesAndMode", OldReadOnlyFile,
                                  NoRestriction},
                      RefusedCase{"UnwritableFolderGetsNoFile", LockedFolder, DropRoot},
                      RefusedCase{"WriteCutShortLeavesTheOldFileWhole", OldWritableFile,
                                  LimitFileSize}),
    RowName<RefusedCase>);

}  // namespace

namespace {

// A save cut short at its last step, by a crash or a power cut, must leave the
// old file whole; the new one appears whole or not at all.
TEST_F(SettingsFileTest, SaveCutShortBeforeTheRenameLeavesTheOldFileWhole) {
  const std::string old_bytes = "http://old/login\r\nc\r\nh\r\nm\r\n1\r\n10";
  WriteBytes(path_, old_bytes);
  const Settings replacement{"http://new/login", "c2", "h2", "m2", "5", "30"};

  const int code = ExitCodeInChild([&] {
    WriteSettingsFile(path_, replacement, [] { _exit(7); });
    return 0;
  });
  ASSERT_EQ(code, 7) << "the save did not reach the moment before the rename";
  EXPECT_EQ(ReadBytes(path_), old_bytes);

  ASSERT_TRUE(WriteSettingsFile(path_, replacement).saved);
  EXPECT_EQ(LoadSettings(path_), replacement);
}

}  // namespace

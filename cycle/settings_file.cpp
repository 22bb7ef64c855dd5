#include "cycle/settings_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"

namespace cycle {
namespace {

constexpr int kLineFeed = 0x0A;
constexpr int kCarriageReturn = 0x0D;
constexpr int kEndOfText = 0x1A;

// Opens for reading only, and only a regular file: a FIFO or device named
// config.ini must not block start-up.
std::FILE* OpenRegularFileForReading(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) close(fd);
  return file;
}

bool WriteAll(int fd, const Text& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// "Read-only" as the operator means it: no write permission bits, which holds
// even for root, who may write anything.
bool MarkedReadOnly(const struct stat& info) {
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

std::string SettingsFilePath() {
  return platform::JoinPath(platform::ExecutableDirectory(), "config.ini");
}

LineReader::LineReader(const std::string& path) : file_(OpenRegularFileForReading(path)) {}

LineReader::~LineReader() {
  if (file_ != nullptr) std::fclose(file_);
}

Text LineReader::ReadLine() {
  Text line;
  if (file_ == nullptr || stopped_) return line;
  for (;;) {
    const int byte = std::getc(file_);
    if (byte == EOF || byte == kLineFeed) break;
    if (byte == 0 || byte == kEndOfText) {
      stopped_ = true;
      break;
    }
    line.push_back(static_cast<char>(byte));
    if (byte >= 0x80) {
      const int trail = std::getc(file_);
      if (trail == EOF) break;
      line.push_back(static_cast<char>(trail));
    }
  }
  if (!line.empty() && static_cast<unsigned char>(line.back()) == kCarriageReturn) line.pop_back();
  return line;
}

Settings LoadSettings(const std::string& path) {
  LineReader reader(path);
  Settings settings;
  for (Text* member : {&settings.login_url, &settings.collect_url, &settings.channel_html_url,
                       &settings.home_html_url, &settings.round_minutes,
                       &settings.interval_minutes}) {
    *member = reader.ReadLine();
  }
  return settings;
}

Text FormatSettings(const Settings& settings) {
  const Text separator = "\r\n";
  return settings.login_url + separator + settings.collect_url + separator +
         settings.channel_html_url + separator + settings.home_html_url + separator +
         settings.round_minutes + separator + settings.interval_minutes;
}

SaveOutcome WriteSettingsFile(const std::string& path, const Settings& settings,
                              const std::function<void()>& before_rename) {
  mode_t mode = 0666;
  struct stat existing {};
  if (stat(path.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) return {false, EISDIR};
    if (MarkedReadOnly(existing)) return {false, EACCES};
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode &= ~mask;
  }

  std::string temp_path = platform::JoinPath(DirectoryOf(path), ".config.ini.XXXXXX");
  const int fd = mkstemp(temp_path.data());
  if (fd < 0) return {false, errno};

  const Text bytes = FormatSettings(settings);
  bool ok = fchmod(fd, mode) == 0 && WriteAll(fd, bytes) && fsync(fd) == 0;
  int error = ok ? 0 : errno;
  if (close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && before_rename) before_rename();
  if (ok && rename(temp_path.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temp_path.c_str());
    return {false, error};
  }
  // Make the rename itself durable.
  const int dir_fd = open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    fsync(dir_fd);
    close(dir_fd);
  }
  return {true, 0};
}

}  // namespace cycle

// config.ini of any bytes: loading never crashes, hangs or invents a byte, and
// whatever settings a save writes load back unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "cycle/settings_file.h"
#include "fuzz/check.h"

namespace {

using platform::Text;

// One file per process under TMPDIR (run.sh clears it), rewritten in place for
// every input: truncating it to nothing each time has ext4 flush it each time.
struct ScratchFile {
  std::string path;
  int fd = -1;
};

const ScratchFile& Scratch() {
  static const ScratchFile file = [] {
    const char* dir = std::getenv("TMPDIR");
    ScratchFile made;
    made.path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/config-ini-XXXXXX";
    made.fd = mkstemp(made.path.data());
    if (made.fd < 0) std::abort();
    return made;
  }();
  return file;
}

void Rewrite(const ScratchFile& file, const Text& bytes) {
  if (pwrite(file.fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()) ||
      ftruncate(file.fd, static_cast<off_t>(bytes.size())) != 0) {
    std::abort();
  }
}

// Texts that survive a save and a load: whole characters, no line end or
// byte that ends the file among the single-byte ones, and no CR last (a load
// drops one).
bool Savable(const Text& text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80) {
      if (i + 1 == text.size()) return false;
      i += 2;
      continue;
    }
    if (byte == '\n' || byte == 0 || byte == 0x1A) return false;
    ++i;
  }
  return text.empty() || text.back() != '\r';
}

std::vector<Text*> Lines(cycle::Settings& settings) {
  return {&settings.login_url,     &settings.collect_url,  &settings.channel_html_url,
          &settings.home_html_url, &settings.round_minutes, &settings.interval_minutes};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Text bytes(reinterpret_cast<const char*>(data), size);
  const ScratchFile& file = Scratch();
  Rewrite(file, bytes);
  cycle::Settings loaded = cycle::LoadSettings(file.path);

  // Each line is a piece of the file, each after the one before.
  std::size_t from = 0;
  for (const Text* line : Lines(loaded)) {
    if (line->empty()) continue;
    const std::size_t at = bytes.find(*line, from);
    FUZZ_CHECK(at != Text::npos);
    from = at + line->size();
  }

  // The same bytes read as six texts typed on the settings page.
  FuzzedDataProvider provider(data, size);
  cycle::Settings typed;
  bool savable = true;
  for (Text* line : Lines(typed)) {
    *line = provider.ConsumeRandomLengthString();
    savable = savable && Savable(*line);
  }
  if (savable) {
    Rewrite(file, cycle::FormatSettings(typed));
    FUZZ_CHECK(cycle::LoadSettings(file.path) == typed);
  }
  return 0;
}

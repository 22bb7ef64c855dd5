// config.ini: the six settings as six lines joined by CR LF, no line end after
// the sixth, no BOM, no keys; bytes in the system code page. Files written by
// earlier versions of the tool load unchanged and ours load there.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "cycle/settings.h"

namespace cycle {

// config.ini beside the executable.
std::string SettingsFilePath();

// Reads the lines of one file one after another. A file that cannot be opened
// reads as nothing but empty lines.
class LineReader {
 public:
  explicit LineReader(const std::string& path);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Up to and including the first LF (not kept); one trailing CR removed. A
  // zero or 0x1A byte ends this line and every later one. A byte with the high
  // bit set takes the next byte with it, so that byte never ends the line.
  Text ReadLine();

 private:
  std::FILE* file_ = nullptr;
  bool stopped_ = false;
};

// Six lines in the order of the file; missing lines read as empty texts.
Settings LoadSettings(const std::string& path);

Text FormatSettings(const Settings& settings);

struct SaveOutcome {
  bool saved = false;
  int error = 0;  // errno of the step that failed
};

// Writes a temporary file beside `path`, flushes it and renames it over `path`,
// so that a failure part-way never leaves a cut or empty file. A file marked
// read-only is left as it is.
// `before_rename` runs once the new bytes are safely on disk and before they
// replace the file: the one moment a failure could matter.
SaveOutcome WriteSettingsFile(const std::string& path, const Settings& settings,
                              const std::function<void()>& before_rename = {});

}  // namespace cycle

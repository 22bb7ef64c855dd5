// A notice body as the network delivers it: splitting loses and invents no
// byte, and only web addresses are ever offered for opening.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "app/notice.h"
#include "fuzz/check.h"
#include "platform/text.h"

namespace {

using platform::Text;

bool EndsWithSeparator(const Text& text, char separator) {
  std::size_t last = Text::npos;
  for (std::size_t i = 0; i < text.size(); i += platform::CharLength(text, i)) last = i;
  return last != Text::npos && text[last] == separator;
}

bool StartsWithFolded(const Text& text, const char* prefix) {
  const std::size_t length = std::strlen(prefix);
  if (text.size() < length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

void CheckSplit(const Text& text) {
  const std::vector<Text> fields = platform::SplitFields(text, '|');
  const auto separators = static_cast<std::size_t>(std::count(text.begin(), text.end(), '|'));
  FUZZ_CHECK(fields.size() <= separators + 1);

  Text joined;
  for (std::size_t k = 0; k < fields.size(); ++k) {
    if (k > 0) joined += '|';
    joined += fields[k];
    // A '|' inside a field can only be the second byte of a character.
    const Text& field = fields[k];
    for (std::size_t i = 0; i < field.size(); i += platform::CharLength(field, i)) {
      FUZZ_CHECK(field[i] != '|');
    }
  }
  FUZZ_CHECK(joined + (EndsWithSeparator(text, '|') ? "|" : "") == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Text body(reinterpret_cast<const char*>(data), size);
  CheckSplit(body);

  const app::NoticeInfo notice = app::ParseNotice(body);
  for (const Text* field : {&notice.notice_page_url, &notice.download_url, &notice.latest_version}) {
    FUZZ_CHECK(field->find('\0') == Text::npos);
  }
  for (const Text* address : {&notice.notice_page_url, &notice.download_url}) {
    if (!app::IsWebAddress(*address)) continue;
    FUZZ_CHECK(StartsWithFolded(*address, "http://") || StartsWithFolded(*address, "https://"));
    FUZZ_CHECK(std::none_of(address->begin(), address->end(), [](char c) {
      const auto byte = static_cast<unsigned char>(c);
      return byte < 0x20 || byte == 0x7F;
    }));
  }
  return 0;
}

// Case folding and containment on any bytes. The first byte says how many of
// the following ones form the needle; the rest is the haystack.
#include <cstdint>

#include "fuzz/check.h"
#include "platform/text.h"

namespace {

using platform::Text;

// a-z raised where they stand as characters of their own.
Text Raise(const Text& text) {
  Text out = text;
  for (std::size_t i = 0; i < out.size(); i += platform::CharLength(out, i)) {
    if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
  }
  return out;
}

// Whether the text ends at a character boundary (no lead byte left waiting).
bool Whole(const Text& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    if (static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 == text.size()) return false;
    i += platform::CharLength(text, i);
  }
  return true;
}

void CheckFold(const Text& text) {
  const Text folded = platform::FoldLower(text);
  FUZZ_CHECK(folded.size() == text.size());
  for (std::size_t i = 0; i < text.size(); i += platform::CharLength(text, i)) {
    if (platform::CharLength(text, i) == 2) {
      FUZZ_CHECK(folded.compare(i, 2, text, i, 2) == 0);
    } else if (text[i] >= 'A' && text[i] <= 'Z') {
      FUZZ_CHECK(folded[i] == text[i] - 'A' + 'a');
    } else {
      FUZZ_CHECK(folded[i] == text[i]);
    }
  }
  FUZZ_CHECK(platform::FoldLower(folded) == folded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::size_t needle_size = data[0] % size;
  const Text needle(reinterpret_cast<const char*>(data) + 1, needle_size);
  const Text haystack(reinterpret_cast<const char*>(data) + 1 + needle_size, size - 1 - needle_size);
  CheckFold(needle);
  CheckFold(haystack);

  const bool found = platform::ContainsFolded(haystack, needle);
  if (needle.empty()) FUZZ_CHECK(found == !haystack.empty());
  if (found) {
    FUZZ_CHECK(platform::FoldLower(haystack).find(platform::FoldLower(needle)) != Text::npos);
  }
  FUZZ_CHECK(platform::ContainsFolded(Raise(haystack), needle) == found);
  FUZZ_CHECK(platform::ContainsFolded(haystack, Raise(needle)) == found);
  if (!needle.empty()) {
    FUZZ_CHECK(platform::ContainsFolded(needle + haystack, needle));
    if (Whole(haystack)) FUZZ_CHECK(platform::ContainsFolded(haystack + needle, needle));
  }
  return 0;
}

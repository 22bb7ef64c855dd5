// Text to integer on any bytes: plain ASCII reads as the C library reads it,
// clamped to 32 bits; full-width forms read as their ASCII forms; a value's
// own text reads back as the value.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "fuzz/check.h"
#include "platform/text.h"

namespace {

using platform::Text;

// Digits, signs and spaces that stand as characters of their own become their
// full-width forms (0xA3 xx, the space 0xA1 0xA1).
Text Widen(const Text& text) {
  Text out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = platform::CharLength(text, i);
    const char c = text[i];
    if (length == 1 && ((c >= '0' && c <= '9') || c == '+' || c == '-')) {
      out += static_cast<char>(0xA3);
      out += static_cast<char>(c + 0x80);
    } else if (length == 1 && c == ' ') {
      out += "\xA1\xA1";
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
  return out;
}

int32_t Clamp(long long value) {
  return static_cast<int32_t>(std::clamp<long long>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Text text(reinterpret_cast<const char*>(data), size);
  const int32_t value = platform::TextToInt(text);

  const bool ascii = std::all_of(text.begin(), text.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) FUZZ_CHECK(value == Clamp(std::strtoll(text.c_str(), nullptr, 10)));
  FUZZ_CHECK(platform::TextToInt(Widen(text)) == value);
  FUZZ_CHECK(platform::TextToInt(" " + text) == value);
  FUZZ_CHECK(platform::TextToInt(platform::IntToText(value)) == value);
  return 0;
}

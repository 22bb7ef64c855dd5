#include "platform/text.h"

#include <limits>

namespace platform {
namespace {

bool IsLeadByte(unsigned char byte) { return byte >= 0x80; }

// Full-width forms are replaced before parsing, so "１２" reads as 12.
Text NarrowFullWidth(const Text& text) {
  Text out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(lead) && i + 1 < text.size()) {
      const auto trail = static_cast<unsigned char>(text[i + 1]);
      if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
        out.push_back(static_cast<char>(trail - 0x80));
      } else if (lead == 0xA1 && trail == 0xA1) {
        out.push_back(' ');
      } else {
        out.append(text, i, 2);
      }
      i += 2;
    } else {
      out.push_back(text[i]);
      ++i;
    }
  }
  return out;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

std::size_t CharLength(const Text& text, std::size_t pos) {
  if (pos < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos])) &&
      pos + 1 < text.size()) {
    return 2;
  }
  return 1;
}

int32_t TextToInt(const Text& text) {
  const Text narrow = NarrowFullWidth(text);
  std::size_t i = 0;
  while (i < narrow.size() && IsBlank(narrow[i])) ++i;
  bool negative = false;
  if (i < narrow.size() && (narrow[i] == '+' || narrow[i] == '-')) {
    negative = narrow[i] == '-';
    ++i;
  }
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < narrow.size() && narrow[i] >= '0' && narrow[i] <= '9'; ++i) {
    value = value * 10 + (narrow[i] - '0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value >= kLimit ? kLimit - 1 : value);
}

Text FoldLower(const Text& text) {
  Text out = text;
  for (std::size_t i = 0; i < out.size(); i += CharLength(out, i)) {
    if (out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
  }
  return out;
}

bool ContainsFolded(const Text& haystack, const Text& needle) {
  if (haystack.empty()) return false;
  if (needle.empty()) return true;
  const Text hay = FoldLower(haystack);
  const Text pin = FoldLower(needle);
  for (std::size_t i = 0; i + pin.size() <= hay.size(); i += CharLength(hay, i)) {
    if (hay.compare(i, pin.size(), pin) == 0) return true;
  }
  return false;
}

std::vector<Text> SplitFields(const Text& text, char separator) {
  std::vector<Text> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == separator) {
      fields.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < text.size()) fields.push_back(text.substr(start));
  return fields;
}

Text IntToText(int64_t value) { return std::to_string(value); }

}  // namespace platform

// Texts are byte strings in the system code page (GB18030, a superset of GBK).
// The byte rules below treat a byte with its high bit set as the lead byte of a
// double-byte character that takes the next byte with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

using Text = std::string;

// Number of bytes of the character that starts at `pos` (1 or 2; 1 at the last byte).
std::size_t CharLength(const Text& text, std::size_t pos);

// Full-width ASCII forms (0xA3 xx) and the full-width space (0xA1 0xA1) become
// their single-byte forms; then blanks, an optional sign and decimal digits are
// read. No digits give 0; values beyond 32 bits saturate instead of wrapping.
int32_t TextToInt(const Text& text);

// Only A-Z change; double-byte characters are left whole, so a trail byte that
// happens to be an ASCII capital is never altered.
Text FoldLower(const Text& text);

// Whether `needle` occurs in `haystack` at a character boundary, ASCII letters
// folded. An empty needle matches any non-empty haystack.
bool ContainsFolded(const Text& haystack, const Text& needle);

// Splits at `separator` one character at a time, so the second byte of a
// double-byte character is never taken for it. Each separator ends a field;
// text after the last one is a field only when it is not empty.
std::vector<Text> SplitFields(const Text& text, char separator);

// Decimal text of a signed integer, with a minus sign when negative.
Text IntToText(int64_t value);

}  // namespace platform

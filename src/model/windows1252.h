#pragma once

#include <string>
#include <string_view>

namespace trv {

// Code page 1252, the 8-bit character set of the controller's text fields.

// Each character that code page 1252 cannot hold, and each malformed UTF-8 sequence, becomes '?'.
std::string Utf8ToWindows1252(std::string_view utf8);

// Every byte has a character; the five bytes without a glyph (0x81, 0x8D, 0x8F, 0x90, 0x9D) read
// as the control characters of the same number, so that they convert back unchanged.
std::string Windows1252ToUtf8(std::string_view windows1252);

}  // namespace trv

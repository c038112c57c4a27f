#include "model/windows1252.h"

#include <array>
#include <cstdint>
#include <optional>

namespace trv {

namespace {

// Code points of bytes 0x80..0x9F; the other bytes are their own code point.
constexpr std::array<char32_t, 32> kHighControlBlock = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char kReplacement = '?';

char32_t CodePointOf(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControlBlock[byte - 0x80];
  return byte;
}

std::optional<unsigned char> ByteOf(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<unsigned char>(codePoint);
  }
  for (std::size_t i = 0; i < kHighControlBlock.size(); ++i) {
    if (kHighControlBlock[i] == codePoint) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

struct DecodedCharacter {
  std::optional<char32_t> CodePoint;  // empty for a malformed sequence
  std::size_t Length;
};

struct LeadByte {
  std::size_t Length;  // 0 for a byte that cannot start a sequence
  char32_t Bits;
  char32_t Minimum;  // smallest code point of this length: anything below is an overlong form
};

LeadByte ClassifyLead(unsigned char lead) {
  if ((lead & 0xE0) == 0xC0) return {2, static_cast<char32_t>(lead & 0x1F), 0x80};
  if ((lead & 0xF0) == 0xE0) return {3, static_cast<char32_t>(lead & 0x0F), 0x800};
  if ((lead & 0xF8) == 0xF0) return {4, static_cast<char32_t>(lead & 0x07), 0x10000};
  return {0, 0, 0};
}

constexpr std::size_t kLongestSequence = 4;

bool IsValidCodePoint(char32_t codePoint) {
  return codePoint <= 0x10FFFF && !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
}

// Decodes the sequence at the start of utf8 (not empty); a malformed one consumes its lead byte
// and the continuation bytes that directly follow it, so that one bad character gives one '?'.
DecodedCharacter DecodeUtf8Character(std::string_view utf8) {
  const auto lead = static_cast<unsigned char>(utf8[0]);
  if (lead < 0x80) return {lead, 1};
  const LeadByte form = ClassifyLead(lead);
  const std::size_t limit = form.Length == 0 ? kLongestSequence : form.Length;
  char32_t codePoint = form.Bits;
  std::size_t taken = 1;
  while (taken < utf8.size() && taken < limit &&
         IsContinuation(static_cast<unsigned char>(utf8[taken]))) {
    codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8[taken]) & 0x3F);
    ++taken;
  }
  const bool wellFormed = form.Length != 0 && taken == form.Length && codePoint >= form.Minimum &&
                          IsValidCodePoint(codePoint);
  if (!wellFormed) return {std::nullopt, taken};
  return {codePoint, taken};
}

void AppendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

}  // namespace

std::string Utf8ToWindows1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  while (!utf8.empty()) {
    const DecodedCharacter character = DecodeUtf8Character(utf8);
    const std::optional<unsigned char> byte =
        character.CodePoint ? ByteOf(*character.CodePoint) : std::nullopt;
    out += byte ? static_cast<char>(*byte) : kReplacement;
    utf8.remove_prefix(character.Length);
  }
  return out;
}

std::string Windows1252ToUtf8(std::string_view windows1252) {
  std::string out;
  out.reserve(windows1252.size() * 2);
  for (const char byte : windows1252)
    AppendUtf8(out, CodePointOf(static_cast<unsigned char>(byte)));
  return out;
}

}  // namespace trv

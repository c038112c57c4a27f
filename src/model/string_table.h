#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace trv {

// The kind of a % conversion in a table text: %d (with h or l, width, "0" and precision, as in
// "%4.d" or "%02d") takes a number, %s (with width) a text.
enum class ConversionKind { Integer, Text };

// The conversions of a text in order ("%%" is a plain percent sign); nullopt when a % starts
// anything else, so that such a text is never taken for a format.
std::optional<std::vector<ConversionKind>> TextConversions(std::string_view text);

class FormatArgument {
 public:
  template <typename Number>
  requires std::is_integral_v<Number> FormatArgument(Number number)
      : FValue(static_cast<std::int64_t>(number)) {}
  FormatArgument(std::string_view text) : FValue(text) {}
  FormatArgument(const std::string& text) : FValue(std::string_view(text)) {}
  FormatArgument(const char* text) : FValue(std::string_view(text)) {}

  const std::variant<std::int64_t, std::string_view>& Value() const { return FValue; }

 private:
  std::variant<std::int64_t, std::string_view> FValue;
};

// Fills the conversions of a table text with the arguments in order, as printf would, but
// without ever handing the text to printf. A conversion whose argument is missing or of the
// other kind, and a % that starts no conversion, are copied as they stand.
std::string FormatTextFromList(std::string_view format, std::span<const FormatArgument> arguments);

template <typename... Arguments>
std::string FormatText(std::string_view format, const Arguments&... arguments) {
  const std::array<FormatArgument, sizeof...(Arguments)> list{FormatArgument(arguments)...};
  return FormatTextFromList(format, list);
}

enum class StringRefusal {
  NotAnObject,        // the "strings" value is not an object
  NotAnId,            // the key is not a decimal number
  IdOutOfRange,       // not 65000..65440
  NotText,            // the value is not a JSON string
  TooLong,            // more than kMaxTextBytes
  InvalidText,        // not valid UTF-8, or holds a NUL
  ConversionsDiffer,  // the built-in text is a format and the conversions do not match it
};

struct RefusedString {
  std::string Key;
  StringRefusal Reason;
  bool operator==(const RefusedString&) const = default;
};

struct StringReplacement {
  int Accepted = 0;
  std::vector<RefusedString> Refused;
};

// Texts by id 65000..65440: the built-in ones, some of which a language module may replace.
class StringTable {
 public:
  static constexpr int kFirstId = 65000;
  static constexpr int kLastId = 65440;
  static constexpr std::size_t kMaxTextBytes = 4096;

  StringTable();  // the built-in texts

  static const StringTable& BuiltIn();

  // Empty for an id without a text, inside the range or not.
  const std::string& Text(int id) const;

  // Takes the entries of a language module's "strings" object ({"65000": "..."}); an entry is
  // refused unless its id is in range, its text is sound and, where the built-in text is a
  // format, its conversions match the built-in ones in number, kind and order.
  StringReplacement Replace(const nlohmann::json& strings);

 private:
  std::optional<StringRefusal> RefusalOf(int id, const nlohmann::json& text) const;

  std::vector<std::string> FTexts;
};

// The table that the windows and the command-line tool read: the built-in one until a language
// module replaces entries at start-up (before any other thread runs).
const StringTable& ActiveStrings();
const std::string& ActiveText(int id);
StringReplacement ReplaceActiveStrings(const nlohmann::json& strings);
void ResetActiveStrings();

}  // namespace trv

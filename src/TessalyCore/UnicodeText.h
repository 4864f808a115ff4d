#pragma once
// Small Unicode helpers over UTF-8 text, shared by the model's records.
#include <optional>
#include <string>
#include <string_view>

#include <unicode/umachine.h>
#include <unicode/unistr.h>

namespace tessaly {

// The UTF-8 text as ICU's UTF-16 string (ill-formed bytes become U+FFFD).
icu::UnicodeString unicodeStringFromUTF8(std::string_view text);

// Whether the bytes are UTF-8 without ill-formed sequences.
bool isWellFormedUTF8(std::string_view text);

// Whether two texts are canonically equivalent (equal after NFC
// normalisation), the way titles and names compare. A text that is not
// well-formed UTF-8 equals only the same bytes.
bool canonicallyEqual(std::string_view a, std::string_view b);
inline bool canonicallyEqual(const std::string& a, const std::string& b) {
    return canonicallyEqual(std::string_view(a), std::string_view(b));
}
// The same over optional texts: two absent ones are equal, absent and present are not.
bool canonicallyEqual(const std::optional<std::string>& a, const std::optional<std::string>& b);

// White space and newlines: the separators (Zs, Zl, Zp), the controls
// U+0009...U+000D and U+0085.
bool isWhitespaceOrNewline(UChar32 c);

// The text without white space and newlines at both ends.
std::string trimmingWhitespaceAndNewlines(std::string_view text);

}  // namespace tessaly

#include "TessalyCore/UnicodeText.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace tessaly {

icu::UnicodeString unicodeStringFromUTF8(std::string_view text) {
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
}

bool canonicallyEqual(std::string_view a, std::string_view b) {
    if (a == b) return true;
    // Ill-formed bytes would all decode to U+FFFD and make different texts
    // look equal; such texts are equal only byte for byte.
    if (!isWellFormedUTF8(a) || !isWellFormedUTF8(b)) return false;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status) || nfc == nullptr) return false;
    const icu::UnicodeString left = nfc->normalize(unicodeStringFromUTF8(a), status);
    const icu::UnicodeString right = nfc->normalize(unicodeStringFromUTF8(b), status);
    if (U_FAILURE(status)) return false;
    return left == right;
}

bool canonicallyEqual(const std::optional<std::string>& a, const std::optional<std::string>& b) {
    if (a.has_value() != b.has_value()) return false;
    return !a.has_value() || canonicallyEqual(*a, *b);
}

bool isWhitespaceOrNewline(UChar32 c) {
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85) return true;
    const auto category = u_charType(c);
    return category == U_SPACE_SEPARATOR || category == U_LINE_SEPARATOR || category == U_PARAGRAPH_SEPARATOR;
}

// ICU's UTF-8 iteration macros cast in the C style.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wold-style-cast"
bool isWellFormedUTF8(std::string_view text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) return false;
    }
    return true;
}

std::string trimmingWhitespaceAndNewlines(std::string_view text) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    // Ill-formed bytes decode as U+FFFD (negative here), which is kept.
    int32_t start = 0;
    while (start < length) {
        int32_t next = start;
        UChar32 c;
        U8_NEXT(bytes, next, length, c);
        if (c < 0 || !isWhitespaceOrNewline(c)) break;
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 c;
        U8_PREV(bytes, start, previous, c);
        if (c < 0 || !isWhitespaceOrNewline(c)) break;
        end = previous;
    }
    return std::string(text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
}
#pragma GCC diagnostic pop

}  // namespace tessaly

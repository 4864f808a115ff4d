#include "TessalyCore/DisplayText.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <memory>

namespace tessaly::DisplayText {

namespace {

constexpr UChar32 kZeroWidthNonJoiner = 0x200C;
constexpr UChar32 kZeroWidthJoiner = 0x200D;
constexpr std::string_view kEllipsis = "\u2026";

bool isInvisible(UChar32 c) {
    if (c == kZeroWidthNonJoiner || c == kZeroWidthJoiner) return false;
    switch (u_charType(c)) {
        case U_LINE_SEPARATOR:
        case U_PARAGRAPH_SEPARATOR:
        case U_CONTROL_CHAR:
        case U_FORMAT_CHAR:
            return true;
        default:
            return false;
    }
}

void appendUTF8(std::string& out, UChar32 c) {
    char buffer[U8_MAX_LENGTH];
    int32_t length = 0;
    U8_APPEND_UNSAFE(buffer, length, c);
    out.append(buffer, static_cast<std::size_t>(length));
}

// Calls `visit` with the end offset of every grapheme cluster in order until
// it returns false.
template <class Visit>
void forEachCharacterEnd(std::string_view text, Visit visit) {
    if (text.empty()) return;
    // One iterator per thread: creating one loads the break rules.
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> it(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(it) : nullptr;
    }();
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    if (!iterator || U_FAILURE(status)) {
        // Without break rules, fall back to code points.
        utext_close(utext);
        int32_t i = 0;
        const auto length = static_cast<int32_t>(text.size());
        while (i < length) {
            UChar32 c;
            U8_NEXT(text.data(), i, length, c);
            if (!visit(static_cast<std::size_t>(i))) return;
        }
        return;
    }
    iterator->setText(utext, status);
    if (U_SUCCESS(status)) {
        for (int32_t end = iterator->next(); end != icu::BreakIterator::DONE; end = iterator->next()) {
            if (!visit(static_cast<std::size_t>(end))) break;
        }
    }
    // Leave the iterator pointing at nothing before the text goes away.
    UErrorCode resetStatus = U_ZERO_ERROR;
    UText* empty = utext_openUTF8(nullptr, "", 0, &resetStatus);
    iterator->setText(empty, resetStatus);
    utext_close(empty);
    utext_close(utext);
}

}  // namespace

std::string sanitized(std::string_view text) {
    std::string out;
    if (text.empty()) return out;
    out.reserve(text.size());
    bool pendingSpace = false;
    int32_t i = 0;
    const auto length = static_cast<int32_t>(text.size());
    while (i < length) {
        UChar32 c;
        U8_NEXT(text.data(), i, length, c);
        if (c < 0) c = 0xFFFD;
        if (u_hasBinaryProperty(c, UCHAR_WHITE_SPACE)) {
            if (!out.empty()) pendingSpace = true;
            continue;
        }
        if (isInvisible(c)) continue;
        if (pendingSpace) {
            out.push_back(' ');
            pendingSpace = false;
        }
        appendUTF8(out, c);
    }
    return out;
}

std::size_t characterCount(std::string_view text) {
    std::size_t count = 0;
    forEachCharacterEnd(text, [&](std::size_t) {
        ++count;
        return true;
    });
    return count;
}

std::string truncated(std::string_view text, std::size_t limit) {
    // One pass that stops as soon as the text is known to be too long,
    // noting where its first `limit` - 1 characters end on the way.
    std::size_t seen = 0;
    std::size_t cut = 0;
    forEachCharacterEnd(text, [&](std::size_t end) {
        if (++seen + 1 == limit) cut = end;
        return seen <= limit;
    });
    if (seen <= limit) return std::string(text);
    if (limit == 0) return {};
    return std::string(text.substr(0, cut)) + std::string(kEllipsis);
}

}  // namespace tessaly::DisplayText

#pragma once
// Cleaning of window and group titles before they are shown, and counting in
// user-perceived characters (extended grapheme clusters).
#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly::DisplayText {

// Collapses every run of white space to one space with none leading or
// trailing, and drops control, format and separator characters except the
// zero-width joiner and non-joiner. A dropped character between two words
// still leaves the space that preceded it:
//   sanitized("  a \t b\n")   -> "a b"
//   sanitized("a \u0007b")    -> "a b"
// Invalid UTF-8 is read as U+FFFD. No length limit.
std::string sanitized(std::string_view text);

// The number of user-perceived characters of UTF-8 text.
std::size_t characterCount(std::string_view text);

// The text itself when it has fewer than `limit` + 1 characters, else its
// first `limit` - 1 characters followed by "…" (so `limit` characters in all).
std::string truncated(std::string_view text, std::size_t limit);

}  // namespace tessaly::DisplayText

#pragma once
// Foreign text (window titles, group and display names) as the overlay shows
// it: through the display-text sanitiser, and cut to a number of characters
// when it is longer (the last one then "…"). Text that has no more bytes
// than the limit cannot have more characters, so it is not counted: most
// titles never reach the character-boundary rules.
#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly::ShownText {

std::string cut(std::string text, std::size_t limit);
QString sanitizedAndCut(std::string_view raw, std::size_t limit);

}  // namespace tessaly::ShownText

#pragma once
// Which drags from other applications spring-load a tab bar's tabs: those
// offering a file or link, text, HTML, rich text, a TIFF, PNG or PDF image,
// or a file promise. Only the offered type names are looked at, never the
// payload. On X11 these are the XDND type atoms' names (Qt's mime formats).
#include <string>
#include <string_view>
#include <vector>

namespace tessaly::SpringLoadingDragTypes {

// At most this many offered types are examined (an XDND type list can be
// arbitrarily long); later ones are ignored.
inline constexpr std::size_t maxExaminedTypes = 64;
// A type name longer than this is no type we know and is skipped unread.
inline constexpr std::size_t maxTypeLength = 256;

// The recognised types, in this order: file and link lists, links, text,
// HTML, rich text, TIFF, PNG, PDF, then the file promise (XDS).
const std::vector<std::string>& all();

// Whether one offered type is recognised: compared without case, ignoring
// parameters (";charset=...") and surrounding white space.
bool recognizes(std::string_view offeredType);
// Whether any of the first maxExaminedTypes offered types is recognised.
bool springs(const std::vector<std::string>& offeredTypes);

}  // namespace tessaly::SpringLoadingDragTypes

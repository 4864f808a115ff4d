#pragma once
// Locations as text: whether a text is a URL, the file URL of a path, and
// the standardised file-system path of a URL or a path.
#include <string>

namespace tessaly {

// Whether a text is a well-formed URL reference (absolute or relative).
bool parsesAsURL(const std::string& text);
// A file URL for a path, with the characters that need it percent-encoded;
// a relative path is taken from the current folder.
std::string fileURLForPath(const std::string& path);
// The standardised file-system path of a location: the path of a URL (file
// or other), percent-decoded, with "." and ".." resolved and no trailing
// slash; a plain path is standardised the same way.
std::string standardizedFilePath(const std::string& location);

}  // namespace tessaly

#pragma once
// Reads GSettings as the desktop's own programs do: through GIO, with its
// default backend (dconf on a desktop) and the installed schemas.
// Main thread only.
#include <string>
#include <utility>
#include <vector>

namespace tessaly::GSettingsReader {

// Every key of `schema` that holds a list of strings, with its value (in no
// particular order); empty when the schema is not installed.
std::vector<std::pair<std::string, std::vector<std::string>>> stringLists(const std::string& schema);

}  // namespace tessaly::GSettingsReader

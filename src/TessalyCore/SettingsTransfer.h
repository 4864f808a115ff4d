#pragma once
// What the settings window's export and import rely on, without any window:
// the proposed file name, the bytes written, the reading of a chosen file and
// the message shown for each way a file can be refused. The panels and
// alerts around them belong to the window.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "TessalyCore/SettingsFileError.h"
#include "TessalyCore/SettingsSnapshot.h"

namespace tessaly::SettingsTransfer {

// The base name, "-", the local date of `now` as yyyy-MM-dd (Gregorian,
// Western digits) and ".json": "Tessaly-Settings-2026-12-06.json".
std::string defaultFileName(double now);

// The file's bytes: the snapshot stamped with `now` as its export time.
// Absent (with `error` set) when it cannot be encoded.
std::optional<std::string> exportBytes(SettingsSnapshot snapshot, double now, std::string* error = nullptr);

// Writes the export to `file` atomically. A failure is logged ("settings
// export failed: ...") and answers false; no partial file is left.
bool writeExport(const SettingsSnapshot& snapshot, const std::filesystem::path& file, double now);

struct ImportResult {
    std::optional<SettingsSnapshot> snapshot;  // present on success
    std::optional<SettingsFileError> error;    // present on failure
};

// Decodes a chosen file's bytes; a failure is logged ("settings import
// failed: ...") and carries its error. Nothing is applied here.
ImportResult decodeImport(std::string_view bytes);
// Reads (at most 1 MiB) and decodes the file at `file`.
ImportResult readImport(const std::filesystem::path& file);

// The text shown when an import is refused.
std::string message(const SettingsFileError& error);

// The confirmation's text: the replace warning and, when entries of the file
// could not be read, a line with their number after a blank line.
std::string confirmReplaceText(int dropped);

}  // namespace tessaly::SettingsTransfer

#pragma once
// Why a settings file could not be read. The one error type that crosses a
// module boundary as an exception (thrown by SettingsSnapshot::decode).
#include <cstdint>
#include <exception>
#include <ostream>
#include <string>

namespace tessaly {

class SettingsFileError : public std::exception {
public:
    enum class Kind {
        unsupportedVersion,  // "version" is present and not 1; version() holds it
        notASettingsFile,    // "app" is not "Tessaly", or "version" is missing
        unreadable,          // not JSON, too large or deep, or a value of the wrong type
    };

    static SettingsFileError unsupportedVersion(std::int64_t version) {
        return SettingsFileError(Kind::unsupportedVersion, version, "unsupported settings file version " + std::to_string(version));
    }
    static SettingsFileError notASettingsFile() {
        return SettingsFileError(Kind::notASettingsFile, 0, "not a Tessaly settings file");
    }
    static SettingsFileError unreadable(std::string reason) {
        return SettingsFileError(Kind::unreadable, 0, std::move(reason));
    }

    Kind kind() const { return kind_; }
    std::int64_t version() const { return version_; }
    // A sentence for the log.
    const char* what() const noexcept override { return description_.c_str(); }

    // Same kind and, for an unsupported version, the same number.
    friend bool operator==(const SettingsFileError& a, const SettingsFileError& b) {
        return a.kind_ == b.kind_ && a.version_ == b.version_;
    }

private:
    SettingsFileError(Kind kind, std::int64_t version, std::string description)
        : kind_(kind), version_(version), description_(std::move(description)) {}

    Kind kind_;
    std::int64_t version_;
    std::string description_;
};

inline std::ostream& operator<<(std::ostream& os, const SettingsFileError& error) { return os << error.what(); }

}  // namespace tessaly

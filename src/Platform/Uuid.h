#pragma once
// A 128-bit random identifier, written upper-case as 8-4-4-4-12 hex digits.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace tessaly {

class Uuid {
public:
    Uuid() = default;  // all zero
    explicit Uuid(const std::array<std::uint8_t, 16>& bytes) : bytes_(bytes) {}

    // A fresh random (version 4) identifier.
    static Uuid random();
    // Reads 8-4-4-4-12 hex digits in either case; anything else is absent.
    static std::optional<Uuid> fromString(std::string_view text);

    std::string uuidString() const;  // upper case
    const std::array<std::uint8_t, 16>& bytes() const { return bytes_; }

    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend auto operator<=>(const Uuid&, const Uuid&) = default;

private:
    std::array<std::uint8_t, 16> bytes_{};
};

inline std::ostream& operator<<(std::ostream& os, const Uuid& id) { return os << id.uuidString(); }

}  // namespace tessaly

template <>
struct std::hash<tessaly::Uuid> {
    std::size_t operator()(const tessaly::Uuid& id) const noexcept {
        std::size_t h = 1469598103934665603ull;
        for (auto b : id.bytes()) h = (h ^ b) * 1099511628211ull;
        return h;
    }
};

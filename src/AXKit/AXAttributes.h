#pragma once
// Typed reads of accessibility attributes: any error, missing value or value
// of another type reads as absent.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/Accessibility.h"

namespace tessaly::ax {

template <typename T>
std::optional<T> read(Accessibility& api, const AXElement& element, std::string_view attribute, AXTimeout timeout) {
    AXAnswer answer = api.copyAttributeValue(element, attribute, timeout);
    if (!answer.ok()) return std::nullopt;
    if (T* value = std::get_if<T>(&answer.value)) return std::move(*value);
    return std::nullopt;
}

inline std::optional<std::string> readString(Accessibility& api, const AXElement& element, std::string_view attribute,
                                             AXTimeout timeout) {
    return read<std::string>(api, element, attribute, timeout);
}

inline bool readBool(Accessibility& api, const AXElement& element, std::string_view attribute, AXTimeout timeout) {
    return read<bool>(api, element, attribute, timeout).value_or(false);
}

inline std::vector<AXElement> readElements(Accessibility& api, const AXElement& element, std::string_view attribute,
                                           AXTimeout timeout) {
    return read<std::vector<AXElement>>(api, element, attribute, timeout).value_or(std::vector<AXElement>{});
}

}  // namespace tessaly::ax

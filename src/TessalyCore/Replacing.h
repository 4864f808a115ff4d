#pragma once
// Copy-and-replace of one element, found by its `id`, in a list of records.
#include <optional>
#include <vector>

namespace tessaly {

// A copy of `items` in which the first element whose `id` equals `id` is
// replaced by `replacement` (whose own id is not compared); absent when no
// element has that id. `items` itself is left as it was.
template <class T, class ID>
std::optional<std::vector<T>> replacing(const std::vector<T>& items, const ID& id, const T& replacement) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].id == id) {
            std::vector<T> copy = items;
            copy[i] = replacement;
            return copy;
        }
    }
    return std::nullopt;
}

}  // namespace tessaly

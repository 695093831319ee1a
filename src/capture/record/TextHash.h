#pragma once

#include <functional>
#include <string_view>

namespace vexmoor {

// A hash for text-keyed containers that can be asked with a string_view, so that a lookup on the
// hot path never builds a std::string.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view> {}(text); }
};

} // namespace vexmoor

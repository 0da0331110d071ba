#pragma once
#include <cstddef>
#include <string_view>

namespace Utils::utf8 {

// Length of the valid UTF-8 sequence that starts at text[at] (1 to 4), or 0 when the bytes there
// are not one (stray continuation byte, overlong form, surrogate, beyond U+10FFFF, cut short).
size_t SequenceLength(std::string_view text, size_t at);

}  // namespace Utils::utf8

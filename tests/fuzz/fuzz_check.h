#pragma once

// What the fuzz targets assert: a broken promise stops the run the way a crash
// does, so libFuzzer keeps the input that shows it.

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <vector>

#define FUZZ_CHECK(condition)                                                                        \
    do {                                                                                             \
        if (!(condition)) {                                                                          \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);             \
            __builtin_trap();                                                                        \
        }                                                                                            \
    } while (false)

namespace tintora::fuzz {

// The input split at NUL bytes: argument lists, or a text followed by the
// pieces that say what to do with it.
inline std::vector<std::string_view> splitAtNul(std::string_view data)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t nul = data.find('\0');
        parts.push_back(data.substr(0, nul));
        if (nul == std::string_view::npos) return parts;
        data.remove_prefix(nul + 1);
    }
}

} // namespace tintora::fuzz

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

// The entry point that libFuzzer, or the corpus replay, calls with each input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace kvq::fuzz {

// A property every input must keep; a broken one is a finding like a crash, in every build type.
inline void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "Property broken: %s\n", what);
    std::abort();
}

// An input that carries several texts separates them by a line "%%". There are always N parts:
// missing ones are empty, and the last one runs to the end of the input, separators and all.
template <std::size_t N>
std::array<std::string_view, N> Parts(const std::uint8_t* data, std::size_t size) {
    constexpr std::string_view kSeparator = "\n%%\n";
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::array<std::string_view, N> parts{};
    for (std::size_t i = 0; i + 1 < N; ++i) {
        const auto end = rest.find(kSeparator);
        parts[i] = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view()
                                             : rest.substr(end + kSeparator.size());
    }
    parts[N - 1] = rest;
    return parts;
}

} // namespace kvq::fuzz

#pragma once
// Shared by the fuzz targets: the input as text, and a failed property reported as a crash so
// that libFuzzer keeps the input that shows it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace quillan::fuzz {

inline std::string text(const std::uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

[[noreturn]] inline void broken(const char* property, std::string_view detail = {}) {
    std::fprintf(stderr, "property broken: %s [%.*s]\n", property, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

inline void require(bool holds, const char* property, std::string_view detail = {}) {
    if (!holds)
        broken(property, detail);
}

} // namespace quillan::fuzz

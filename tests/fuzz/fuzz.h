// What the fuzz targets share: the input as text or as a command line, and a
// hard stop when a promise does not hold, so the fuzzer keeps the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace qv::fuzz {

inline void Require(bool promise) {
    if (!promise)
        std::abort();
}

inline std::string Text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Arguments are the input split at NUL bytes.
inline std::vector<std::string> Arguments(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += char(data[i]);
    }
    return args;
}

} // namespace qv::fuzz

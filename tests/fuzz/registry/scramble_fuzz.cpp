// The stored password text: any text reads to one byte per started group of
// four, and any password survives scrambling.
#include "settings/scramble.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 16))
        return 0;
    std::string input(reinterpret_cast<const char*>(data), size);
    const std::string clear = qv::settings::UnscramblePassword(input, kPasswordSeed);
    if (clear.size() != (input.size() + 3) / 4)
        std::abort();
    const std::string stored = qv::settings::ScramblePassword(input, kPasswordSeed);
    if (stored.size() != 4 * input.size() ||
        qv::settings::UnscramblePassword(stored, kPasswordSeed) != input)
        std::abort();
    return 0;
}

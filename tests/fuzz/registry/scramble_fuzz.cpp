// The stored password text: any text reads to one byte per started group of
// four, and any password survives scrambling.
#include "../fuzz.h"
#include "settings/scramble.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (1u << 16))
        return 0;
    const std::string input = qv::fuzz::Text(data, size);
    const std::string clear = qv::settings::UnscramblePassword(input, kPasswordSeed);
    qv::fuzz::Require(clear.size() == (input.size() + 3) / 4);
    const std::string stored = qv::settings::ScramblePassword(input, kPasswordSeed);
    qv::fuzz::Require(stored.size() == 4 * input.size() &&
                      qv::settings::UnscramblePassword(stored, kPasswordSeed) == input);
    return 0;
}

// The stored form of the PABX password: four lower-case hex digits per byte,
// each the byte (sign-extended) XOR the next value of a 15-bit generator
// seeded afresh for every operation. It keeps the password out of plain
// sight; it is not encryption.
#pragma once

#include "platform/registry/registry.h"
#include "platform/types.h"

#include <cstdint>
#include <string>
#include <string_view>

// The seed both the reading and the writing caller pass.
inline constexpr DWORD kPasswordSeed = 0x2F6B1C47;

namespace qv::settings {

// The classic runtime generator: state * 214013 + 2531011, values 0..32767.
class PasswordKeystream {
public:
    explicit PasswordKeystream(std::uint32_t seed) : state_(seed) {}
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }

private:
    std::uint32_t state_;
};

std::string ScramblePassword(std::string_view clear, DWORD seed);
// Reads groups of up to four hex digits; a short last group still gives a
// byte, and a group that does not start with a hex digit counts as 0.
std::string UnscramblePassword(std::string_view stored, DWORD seed);

} // namespace qv::settings

bool WriteScrambledSetting(LPCSTR section, LPCSTR name, LPCSTR clear, DWORD seed,
                           HKEY root = HKEY_CURRENT_USER);
std::string GetScrambledSetting(LPCSTR section, LPCSTR name, DWORD seed,
                                HKEY root = HKEY_CURRENT_USER);

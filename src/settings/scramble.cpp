#include "settings/scramble.h"

#include "platform/text.h"
#include "settings/settings.h"

namespace qv::settings {
namespace {

constexpr std::size_t kGroup = 4;

} // namespace

std::string ScramblePassword(std::string_view clear, DWORD seed) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(clear.size() * kGroup);
    PasswordKeystream keys(seed);
    for (char byte : clear) {
        auto r = static_cast<std::uint32_t>(keys.Next());
        // Sign-extended, so bytes of 0x80 and above invert the high half.
        auto c =
            static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(byte)));
        std::uint32_t v = (r ^ c) & 0xFFFF;
        for (int shift = 12; shift >= 0; shift -= 4)
            out += kDigits[(v >> shift) & 0xF];
    }
    return out;
}

std::string UnscramblePassword(std::string_view stored, DWORD seed) {
    std::string out;
    out.reserve(stored.size() / kGroup + 1);
    PasswordKeystream keys(seed);
    while (!stored.empty()) {
        std::string_view group = stored.substr(0, kGroup);
        std::uint32_t v = 0;
        for (char c : group) {
            int d = qv::text::HexDigitValue(c);
            if (d < 0)
                break;
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        auto r = static_cast<std::uint32_t>(keys.Next());
        out += static_cast<char>((v ^ r) & 0xFF);
        stored.remove_prefix(group.size());
    }
    return out;
}

} // namespace qv::settings

bool WriteScrambledSetting(LPCSTR section, LPCSTR name, LPCSTR clear, DWORD seed, HKEY root) {
    const std::string stored = qv::settings::ScramblePassword(clear ? clear : "", seed);
    return WriteSettingString(section, name, stored.c_str(), root);
}

std::string GetScrambledSetting(LPCSTR section, LPCSTR name, DWORD seed, HKEY root) {
    const std::string stored = GetSettingString(section, name, "", root);
    return qv::settings::UnscramblePassword(stored, seed);
}

// A card as the address book shows it: MAPI text properties (UTF-8) and
// whether it is a contact or a group.
#pragma once

#include "platform/types.h"
#include "vcard.h"

#include <string>
#include <vector>

namespace qv::wab {

struct TextProp {
    ULONG tag; // PT_STRING8
    std::string value;
};

struct Contact {
    bool distList = false;
    std::vector<TextProp> texts; // PR_DISPLAY_NAME_A first when the card has a name

    // The value of that tag, or null.
    const std::string* Find(ULONG tag) const;
};

// Values beyond the one tag their kind has (a second home number) keep
// private ids from kFirstExtraId on, so a lookup over every text still
// finds them.
inline constexpr ULONG kFirstExtraId = 0x8000;
inline constexpr ULONG kLastExtraId = 0xFFFE;

Contact MapCard(const vcard::Card& card);

} // namespace qv::wab

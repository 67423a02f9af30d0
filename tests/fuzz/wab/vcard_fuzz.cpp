// The vCard reader and the mapping to properties: whatever the bytes, every
// text that comes out is valid UTF-8 without NULs (it becomes a C string in
// PT_STRING8), and the bounds hold.
#include "../fuzz.h"
#include "contact.h"
#include "platform/wab/wab.h"
#include "vcard.h"

using namespace qv::vcard;
using qv::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (4u << 20))
        return 0;
    const std::string input = qv::fuzz::Text(data, size);
    const auto cards = ParseVCards(input, 64);
    Require(cards.size() <= 64);
    for (const auto& card : cards) {
        Require(!card.properties.empty() && card.properties.size() <= kMaxProperties);
        for (const auto& p : card.properties) {
            Require(IsValidUtf8(p.value) && !p.name.empty());
            for (const auto& part : SplitComponents(p.value, card.IsV21()))
                Require(IsValidUtf8(part));
        }
        const qv::wab::Contact contact = qv::wab::MapCard(card);
        for (const auto& t : contact.texts)
            Require(PROP_TYPE(t.tag) == PT_STRING8 && !t.value.empty() && IsValidUtf8(t.value));
        Require(contact.texts.empty() || !contact.Find(PR_DISPLAY_NAME_A) ||
                contact.texts.front().tag == PR_DISPLAY_NAME_A);
    }
    // Charset conversion and sanitising alone.
    for (const char* charset : {"windows-1252", "", "UTF-16"})
        Require(IsValidUtf8(ToUtf8(input, charset)));
    Require(IsValidUtf8(SanitizeUtf8(input)));
    Require(!IsValidUtf8(input) || SanitizeUtf8(input) == input);
    return 0;
}

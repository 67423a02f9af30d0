// The vCard reader and the mapping to properties: whatever the bytes, every
// text that comes out is valid UTF-8 without NULs (it becomes a C string in
// PT_STRING8), and the bounds hold.
#include "contact.h"
#include "platform/wab/wab.h"
#include "vcard.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (4u << 20))
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto cards = qv::vcard::ParseVCards(input, 64);
    if (cards.size() > 64)
        std::abort();
    for (const auto& card : cards) {
        if (card.properties.empty() || card.properties.size() > qv::vcard::kMaxProperties)
            std::abort();
        for (const auto& p : card.properties) {
            if (!qv::vcard::IsValidUtf8(p.value) || p.name.empty())
                std::abort();
            for (const auto& part : qv::vcard::SplitComponents(p.value, card.IsV21()))
                if (!qv::vcard::IsValidUtf8(part))
                    std::abort();
        }
        const qv::wab::Contact contact = qv::wab::MapCard(card);
        for (const auto& t : contact.texts) {
            if (PROP_TYPE(t.tag) != PT_STRING8 || t.value.empty() ||
                !qv::vcard::IsValidUtf8(t.value))
                std::abort();
        }
        if (!contact.texts.empty() && contact.Find(PR_DISPLAY_NAME_A) &&
            contact.texts.front().tag != PR_DISPLAY_NAME_A)
            std::abort();
    }
    // Charset conversion and sanitising alone.
    if (!qv::vcard::IsValidUtf8(qv::vcard::ToUtf8(input, "windows-1252")) ||
        !qv::vcard::IsValidUtf8(qv::vcard::ToUtf8(input, "")) ||
        !qv::vcard::IsValidUtf8(qv::vcard::ToUtf8(input, "UTF-16")) ||
        !qv::vcard::IsValidUtf8(qv::vcard::SanitizeUtf8(input)))
        std::abort();
    if (qv::vcard::IsValidUtf8(input) && qv::vcard::SanitizeUtf8(input) != input)
        std::abort();
    return 0;
}

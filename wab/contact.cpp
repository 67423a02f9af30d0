#include "contact.h"

#include "platform/wab/wab.h"

#include <string_view>

namespace qv::wab {
namespace {

std::string_view Trim(std::string_view s) {
    constexpr std::string_view kSpace = " \t\r\n";
    const std::size_t first = s.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != prefix[i])
            return false;
    }
    return true;
}

class Builder {
public:
    bool Has(ULONG tag) const { return contact_.Find(tag) != nullptr; }
    // Single-valued kinds: the first value wins.
    void SetFirst(ULONG tag, std::string_view value) {
        value = Trim(value);
        if (!value.empty() && !Has(tag))
            contact_.texts.push_back({tag, std::string(value)});
    }
    // Kinds a card may have several of: later values get private ids.
    void Add(ULONG tag, std::string_view value) {
        value = Trim(value);
        if (value.empty())
            return;
        if (!Has(tag)) {
            contact_.texts.push_back({tag, std::string(value)});
        } else if (nextExtra_ <= kLastExtraId) {
            contact_.texts.push_back({PROP_TAG(PT_STRING8, nextExtra_++), std::string(value)});
        }
    }
    void SetDistList() { contact_.distList = true; }
    void SetDisplayName(std::string_view value) {
        value = Trim(value);
        if (!value.empty())
            contact_.texts.insert(contact_.texts.begin(), {PR_DISPLAY_NAME_A, std::string(value)});
    }
    Contact Take() { return std::move(contact_); }

private:
    Contact contact_;
    ULONG nextExtra_ = kFirstExtraId;
};

ULONG TelephoneTag(const vcard::Property& p) {
    const bool home = p.HasType("home");
    if (p.HasType("fax"))
        return home ? PR_HOME_FAX_NUMBER_A : PR_BUSINESS_FAX_NUMBER_A;
    if (p.HasType("pager"))
        return PR_PAGER_TELEPHONE_NUMBER_A;
    if (p.HasType("cell") || p.HasType("mobile") || p.HasType("iphone"))
        return PR_MOBILE_TELEPHONE_NUMBER_A;
    if (p.HasType("work"))
        return PR_BUSINESS_TELEPHONE_NUMBER_A;
    if (home)
        return PR_HOME_TELEPHONE_NUMBER_A;
    if (p.HasType("voice"))
        return PR_BUSINESS_TELEPHONE_NUMBER_A;
    return PR_OTHER_TELEPHONE_NUMBER_A;
}

struct AddressTags {
    ULONG street, locality, region, code, country;
};
constexpr AddressTags kBusinessAddress{PR_STREET_ADDRESS_A, PR_LOCALITY_A, PR_STATE_OR_PROVINCE_A,
                                       PR_POSTAL_CODE_A, PR_COUNTRY_A};
constexpr AddressTags kHomeAddress{PR_HOME_ADDRESS_STREET_A, PR_HOME_ADDRESS_CITY_A,
                                   PR_HOME_ADDRESS_STATE_OR_PROVINCE_A,
                                   PR_HOME_ADDRESS_POSTAL_CODE_A, PR_HOME_ADDRESS_COUNTRY_A};

// ADR: post office box; extended address; street; locality; region; code; country.
void MapAddress(Builder& b, const vcard::Property& p, bool v21) {
    const bool home = p.HasType("home");
    const bool work = p.HasType("work");
    // An address of no kind fills the business fields first, as 3.0 reads it.
    const AddressTags& tags = home && !work                             ? kHomeAddress
                              : work || !b.Has(kBusinessAddress.street) ? kBusinessAddress
                                                                        : kHomeAddress;
    if (b.Has(tags.street) || b.Has(tags.locality))
        return; // one address of each kind
    auto parts = vcard::SplitComponents(p.value, v21);
    parts.resize(7);
    std::string street;
    for (int i : {0, 1, 2}) {
        std::string_view part = Trim(parts[i]);
        if (part.empty())
            continue;
        if (!street.empty())
            street += ", ";
        street += part;
    }
    b.SetFirst(tags.street, street);
    b.SetFirst(tags.locality, parts[3]);
    b.SetFirst(tags.region, parts[4]);
    b.SetFirst(tags.code, parts[5]);
    b.SetFirst(tags.country, parts[6]);
}

} // namespace

const std::string* Contact::Find(ULONG tag) const {
    for (const auto& t : texts)
        if (t.tag == tag)
            return &t.value;
    return nullptr;
}

Contact MapCard(const vcard::Card& card) {
    const bool v21 = card.IsV21();
    Builder b;
    std::string fn, composed, org, firstEmail;
    for (const auto& p : card.properties) {
        const std::string& n = p.name;
        if (n == "FN") {
            if (fn.empty())
                fn = Trim(vcard::UnescapeText(p.value, v21));
        } else if (n == "N") {
            auto parts = vcard::SplitComponents(p.value, v21);
            parts.resize(5);
            b.SetFirst(PR_SURNAME_A, parts[0]);
            b.SetFirst(PR_GIVEN_NAME_A, parts[1]);
            if (composed.empty()) {
                std::string_view given = Trim(parts[1]), family = Trim(parts[0]);
                composed = std::string(given);
                if (!given.empty() && !family.empty())
                    composed += ' ';
                composed += family;
            }
        } else if (n == "ORG") {
            auto parts = vcard::SplitComponents(p.value, v21);
            b.SetFirst(PR_COMPANY_NAME_A, parts[0]);
            if (org.empty())
                org = Trim(parts[0]);
        } else if (n == "TITLE") {
            b.SetFirst(PR_TITLE_A, vcard::UnescapeText(p.value, v21));
        } else if (n == "NICKNAME") {
            b.SetFirst(PR_NICKNAME_A, vcard::UnescapeText(p.value, v21));
        } else if (n == "NOTE") {
            b.SetFirst(PR_COMMENT_A, vcard::UnescapeText(p.value, v21));
        } else if (n == "EMAIL") {
            std::string email = vcard::UnescapeText(p.value, v21);
            if (firstEmail.empty())
                firstEmail = Trim(email);
            b.Add(PR_EMAIL_ADDRESS_A, email);
        } else if (n == "TEL") {
            std::string number = vcard::UnescapeText(p.value, v21);
            std::string_view value = Trim(number);
            if (StartsWithNoCase(value, "tel:"))
                value.remove_prefix(4);
            b.Add(TelephoneTag(p), value);
        } else if (n == "ADR") {
            MapAddress(b, p, v21);
        } else if (n == "URL") {
            std::string url = vcard::UnescapeText(p.value, v21);
            if (p.HasType("home") && !b.Has(PR_PERSONAL_HOME_PAGE_A))
                b.SetFirst(PR_PERSONAL_HOME_PAGE_A, url);
            else
                b.SetFirst(PR_BUSINESS_HOME_PAGE_A, url);
        } else if (n == "KIND" || n == "X-ADDRESSBOOKSERVER-KIND") {
            std::string kind(Trim(p.value));
            for (char& c : kind)
                if (c >= 'A' && c <= 'Z')
                    c = char(c - 'A' + 'a');
            if (kind == "group")
                b.SetDistList();
        }
    }
    if (!fn.empty())
        b.SetDisplayName(fn);
    else if (!composed.empty())
        b.SetDisplayName(composed);
    else if (!org.empty())
        b.SetDisplayName(org);
    else
        b.SetDisplayName(firstEmail);
    return b.Take();
}

} // namespace qv::wab

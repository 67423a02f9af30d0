// The vCard reader and the mapping of cards to address book properties,
// without the library around them.
#include "book.h"
#include "contact.h"
#include "platform/wab/wab.h"
#include "support/support.h"
#include "support/utf16.h"
#include "vcard.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

using namespace qv::vcard;
using qv::test::Utf16Bytes;
using qv::wab::Contact;
using qv::wab::MapCard;

namespace {

std::string Text(const Contact& c, ULONG tag) {
    const std::string* v = c.Find(tag);
    return v ? *v : "<missing>";
}

Contact MapOne(std::string_view text) {
    auto cards = ParseVCards(text);
    EXPECT_EQ(cards.size(), 1u);
    return cards.empty() ? Contact{} : MapCard(cards[0]);
}

TEST(WabVCardLines, UnfoldsContinuationsAndSplitsParameters) {
    auto cards = ParseVCards("\xEF\xBB\xBF"
                             "BEGIN:VCARD\r\nVERSION:3.0\r\n"
                             "item1.tel;Type=\"HOME,Voice\";type=pref:+1 555\r\n 0100\r\n"
                             "NOTE;X-NAME=\"a;b:c\":long\r\n\tline\n"
                             "end:vcard\r\n");
    ASSERT_EQ(cards.size(), 1u);
    const Card& card = cards[0];
    EXPECT_EQ(card.version, "3.0");
    ASSERT_EQ(card.properties.size(), 2u);
    const Property& tel = card.properties[0];
    EXPECT_EQ(tel.group, "item1");
    EXPECT_EQ(tel.name, "TEL");
    EXPECT_TRUE(tel.HasType("home"));
    EXPECT_TRUE(tel.HasType("VOICE"));
    EXPECT_TRUE(tel.HasType("pref"));
    EXPECT_EQ(tel.value, "+1 5550100");
    // A quoted parameter value may hold ';' and ':'.
    const Property& note = card.properties[1];
    ASSERT_EQ(note.params.size(), 1u);
    EXPECT_EQ(note.params[0].value, "a;b:c");
    EXPECT_EQ(note.value, "longline");
}

TEST(WabVCardValues, QuotedPrintableSoftBreaksAndCharsets) {
    auto cards = ParseVCards("BEGIN:VCARD\nVERSION:2.1\n"
                             "NOTE;QUOTED-PRINTABLE;CHARSET=ISO-8859-1:Gr=FC=DFe =\n"
                             "aus K=F6ln=\n"
                             "\n"
                             "ORG;CHARSET=windows-1252:Caf\xE9 \x80 10\n"
                             "ROLE;CHARSET=x-unknown:bad \xFF\xFE bytes\n"
                             "X-RAW:plain \xE9t\xE9\n"
                             "X-QP;ENCODING=QUOTED-PRINTABLE:a=3Db=ZZ=4\n"
                             "END:VCARD\n");
    ASSERT_EQ(cards.size(), 1u);
    const auto& p = cards[0].properties;
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0].value, "Gr\xC3\xBC\xC3\x9F"
                          "e aus K\xC3\xB6ln");
    EXPECT_EQ(p[1].value, "Caf\xC3\xA9 \xE2\x82\xAC 10");
    EXPECT_EQ(p[2].value, "bad \xEF\xBF\xBD\xEF\xBF\xBD bytes");
    // No charset and not UTF-8: old exports in the Windows code page.
    EXPECT_EQ(p[3].value, "plain \xC3\xA9t\xC3\xA9");
    // Malformed escapes stay as they were written.
    EXPECT_EQ(p[4].value, "a=b=ZZ=4");
}

TEST(WabVCardValues, Utf16FilesAndUtf16Texts) {
    const std::u16string card = u"BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zo\u00EB \U0001F4DE\r\n"
                                u"TEL;CHARSET=UTF-16:030 1234567\r\nEND:VCARD\r\n";
    for (bool big : {false, true}) {
        const Contact c = MapOne(Utf16Bytes(u"\uFEFF", big) + Utf16Bytes(card, big));
        EXPECT_EQ(Text(c, PR_DISPLAY_NAME_A), "Zo\xC3\xAB \xF0\x9F\x93\x9E") << big;
        EXPECT_EQ(Text(c, PR_OTHER_TELEPHONE_NUMBER_A), "030 1234567") << big;
    }
    // In an 8-bit file a UTF-16 text comes encoded; its byte order from its
    // mark, its charset's name, or else its zero bytes.
    auto cards = ParseVCards("BEGIN:VCARD\nVERSION:2.1\n"
                             "N;CHARSET=UTF-16;ENCODING=QUOTED-PRINTABLE:"
                             "=FE=FF=00=4D=00=FC=00=6C=00=6C=00=65=00=72\n"
                             "NOTE;CHARSET=utf-16le;QUOTED-PRINTABLE:=31=00=34=D8=1E=DD\n"
                             "TITLE;CHARSET=UTF-16;QUOTED-PRINTABLE:=43=00=EF=00\n"
                             "ROLE;CHARSET=UTF-16;QUOTED-PRINTABLE:=00=43=00\n"
                             "END:VCARD\n");
    ASSERT_EQ(cards.size(), 1u);
    const auto& p = cards[0].properties;
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0].value, "M\xC3\xBCller");
    EXPECT_EQ(p[1].value, "1\xF0\x9D\x84\x9E");
    EXPECT_EQ(p[2].value, "C\xC3\xAF");
    EXPECT_EQ(p[3].value, "C\xEF\xBF\xBD") << "an odd byte left over";
}

TEST(WabVCardValues, EscapesAndComponents) {
    EXPECT_EQ(UnescapeText("a\\nb\\Nc\\,d\\;e\\\\f\\x", false), "a\nb\nc,d;e\\f\\x");
    // 2.1 has no \n: a Windows path keeps its backslash.
    EXPECT_EQ(UnescapeText("C:\\new\\; x", true), "C:\\new; x");
    auto parts = SplitComponents("Berg\\;Holm;Anna;;Dr.\\", false);
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_EQ(parts[0], "Berg;Holm");
    EXPECT_EQ(parts[1], "Anna");
    EXPECT_EQ(parts[2], "");
    EXPECT_EQ(parts[3], "Dr.\\");
}

TEST(WabVCardUtf8, SanitizeReplacesEveryInvalidForm) {
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80 ok"));
    // Overlong, surrogate, past U+10FFFF, truncated, lone continuation, NUL.
    for (std::string bad :
         {std::string("\xC0\xAF"), std::string("\xED\xA0\x80"), std::string("\xF4\x90\x80\x80"),
          std::string("\xE2\x82"), std::string("\x80"), std::string("a\0b", 3)}) {
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
        EXPECT_TRUE(IsValidUtf8(SanitizeUtf8(bad))) << bad;
        EXPECT_NE(SanitizeUtf8(bad).find("\xEF\xBF\xBD"), std::string::npos) << bad;
    }
}

TEST(WabVCardDamage, OversizedInputIsBounded) {
    // A card past the size cap goes whole, whether the size comes in one
    // line, by folding or by soft line breaks; the card after it is read.
    std::string folded = "NOTE:x", soft = "NOTE;QUOTED-PRINTABLE:";
    for (int i = 0; i < 1100; ++i) {
        folded += "\n " + std::string(4096, 'y');
        soft += std::string(4096, 'z') + "=\n";
    }
    for (const std::string& huge : {"NOTE:" + std::string(kMaxCardBytes, 'x'), folded, soft}) {
        auto cards =
            ParseVCards("BEGIN:VCARD\n" + huge + "\nEND:VCARD\nBEGIN:VCARD\nFN:Small\nEND:VCARD\n");
        ASSERT_EQ(cards.size(), 1u);
        EXPECT_EQ(cards[0].properties[0].value, "Small");
    }

    // Property and card counts are capped too.
    std::string many = "BEGIN:VCARD\n";
    for (std::size_t i = 0; i < kMaxProperties + 50; ++i)
        many += "TEL:" + std::to_string(i) + "\n";
    many += "END:VCARD\n";
    auto cards = ParseVCards(many + many + many, 2);
    ASSERT_EQ(cards.size(), 2u);
    EXPECT_EQ(cards[0].properties.size(), kMaxProperties);
}

TEST(WabContactMapping, TelephoneTypesAndExtraValues) {
    Contact c = MapOne("BEGIN:VCARD\nVERSION:3.0\nFN:T\n"
                       "TEL;TYPE=home:H1\nTEL;TYPE=home,voice:H2\nTEL;TYPE=work:W\n"
                       "TEL;TYPE=voice:V\nTEL;TYPE=cell:C\nTEL;TYPE=mobile,work:M\n"
                       "TEL;TYPE=fax:F\nTEL;TYPE=fax,work:F2\nTEL;TYPE=fax,home:HF\n"
                       "TEL;TYPE=pager:P\nTEL:O\nTEL;TYPE=text:O2\n"
                       "TEL;VALUE=uri:TEL:+1-555\nEND:VCARD\n");
    EXPECT_EQ(Text(c, PR_HOME_TELEPHONE_NUMBER_A), "H1");
    EXPECT_EQ(Text(c, PR_BUSINESS_TELEPHONE_NUMBER_A), "W");
    EXPECT_EQ(Text(c, PR_MOBILE_TELEPHONE_NUMBER_A), "C");
    EXPECT_EQ(Text(c, PR_BUSINESS_FAX_NUMBER_A), "F");
    EXPECT_EQ(Text(c, PR_HOME_FAX_NUMBER_A), "HF");
    EXPECT_EQ(Text(c, PR_PAGER_TELEPHONE_NUMBER_A), "P");
    EXPECT_EQ(Text(c, PR_OTHER_TELEPHONE_NUMBER_A), "O");
    // Every value that found its tag taken, in card order, in private ids.
    const char* extras[] = {"H2", "V", "M", "F2", "O2", "+1-555"};
    for (ULONG i = 0; i < std::size(extras); ++i)
        EXPECT_EQ(Text(c, PROP_TAG(PT_STRING8, 0x8000 + i)), extras[i]);
    EXPECT_EQ(c.Find(PROP_TAG(PT_STRING8, 0x8000 + std::size(extras))), nullptr);
}

TEST(WabContactMapping, DisplayNameFallsBackInOrder) {
    auto name = [](std::string_view card) { return Text(MapOne(card), PR_DISPLAY_NAME_A); };
    EXPECT_EQ(name("BEGIN:VCARD\nFN: Full \nN:F;G\nORG:O\nEND:VCARD"), "Full");
    EXPECT_EQ(name("BEGIN:VCARD\nN:Berg;Anna;M;Dr.;\nORG:O\nEND:VCARD"), "Anna Berg");
    EXPECT_EQ(name("BEGIN:VCARD\nN:;Anna\nEND:VCARD"), "Anna");
    EXPECT_EQ(name("BEGIN:VCARD\nFN:\nN:;;;;\nORG:Acme\\, Inc;Dept\nEMAIL:x@y\nEND:VCARD"),
              "Acme, Inc");
    EXPECT_EQ(name("BEGIN:VCARD\nTEL:1\nEMAIL:a@b\nEMAIL:c@d\nEND:VCARD"), "a@b");
    // Nothing to call it by: no name at all rather than an empty one.
    EXPECT_EQ(name("BEGIN:VCARD\nTEL:1\nEND:VCARD"), "<missing>");
}

TEST(WabContactMapping, AddressesByKind) {
    Contact c = MapOne("BEGIN:VCARD\nFN:A\n"
                       "ADR:;;Untyped 1;U;;1;UC\n"
                       "ADR;TYPE=home:PO 5;;Home 2;H;HS;2;HC\n"
                       "ADR;TYPE=home:;;Second Home;X;;;\n"
                       "END:VCARD");
    EXPECT_EQ(Text(c, PR_STREET_ADDRESS_A), "Untyped 1");
    EXPECT_EQ(Text(c, PR_COUNTRY_A), "UC");
    EXPECT_EQ(Text(c, PR_HOME_ADDRESS_STREET_A), "PO 5, Home 2");
    EXPECT_EQ(Text(c, PR_HOME_ADDRESS_CITY_A), "H");
    EXPECT_EQ(Text(c, PR_HOME_ADDRESS_STATE_OR_PROVINCE_A), "HS");
    EXPECT_EQ(Text(c, PR_HOME_ADDRESS_POSTAL_CODE_A), "2");
    EXPECT_EQ(Text(c, PR_HOME_ADDRESS_COUNTRY_A), "HC");
}

// As the base directory rules say (an absolute one: WabOpen's default book).
TEST(WabBookSource, RelativeXdgDataHomeIsIgnored) {
    qv::test::ScopedEnv data("XDG_DATA_HOME", "rel"), home("HOME", "/home/h");
    EXPECT_EQ(qv::wab::DefaultBookPath(), "/home/h/.local/share/quorvia/contacts");
}

} // namespace

#include "platform/module/dialog_template.h"
#include "platform/module/window_styles.h"
#include "platform/text.h"
#include "test_support.h"

#include <array>
#include <gtest/gtest.h>

namespace {

using qv::platform::NameOrOrdinal;
using qv::platform::ParseDialogTemplate;
using qv::platform::ParseDlgInit;
using qv::test::FixtureModule;
using qv::test::ResBuilder;
using qv::test::ResourceData;

using Box = std::array<int, 4>;

NameOrOrdinal Ordinal(WORD id) {
    return NameOrOrdinal{id, {}};
}
NameOrOrdinal Text(std::string text) {
    return NameOrOrdinal{std::nullopt, std::move(text)};
}

TEST(DialogTemplate, ReadsAClassicDialogWithEveryControlKind) {
    FixtureModule module;
    const auto data = ResourceData(module.get(), RT_DIALOG_ID, 100, 0);
    const auto dialog = ParseDialogTemplate(data.data(), data.size());
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(dialog->extended);
    EXPECT_EQ(dialog->style & (DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU),
              DWORD(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ((Box{dialog->x, dialog->y, dialog->cx, dialog->cy}), (Box{10, 20, 200, 100}));
    EXPECT_TRUE(dialog->menu.IsEmpty());
    EXPECT_TRUE(dialog->windowClass.IsEmpty());
    EXPECT_EQ(dialog->caption, "Info Ä");
    ASSERT_TRUE(dialog->font);
    EXPECT_EQ(dialog->font->pointSize, 8);
    EXPECT_EQ(dialog->font->face, "MS Shell Dlg");
    // Class, id, style bits (and the type field they are in) and box of each control.
    struct Expected {
        const char* className;
        DWORD id, style, typeMask;
        Box box; // x, y, cx, cy
    };
    const Expected expected[] = {
        {"Static", 0xFFFF, SS_LEFT, SS_TYPEMASK, {7, 7, 50, 8}},
        {"Edit", 1002, ES_AUTOHSCROLL | ES_PASSWORD, 0, {60, 7, 100, 12}},
        {"Button", 1, BS_DEFPUSHBUTTON, BS_TYPEMASK, {7, 80, 50, 14}},
        {"msctls_updown32", 1010, UDS_SETBUDDYINT | UDS_AUTOBUDDY, 0, {160, 7, 10, 12}},
        {"{8856F961-340A-11D0-A96B-00C04FD705A2}", 1011, WS_TABSTOP, 0, {0, 30, 100, 50}},
        {"Static", 0xFFFF, SS_ICON, SS_TYPEMASK, {7, 30, 20, 20}},
        {"ComboBox", 1012, CBS_DROPDOWNLIST, 3, {7, 60, 80, 50}},
    };
    ASSERT_EQ(dialog->controls.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const auto& control = dialog->controls[i];
        const Expected& e = expected[i];
        EXPECT_TRUE(qv::text::EqualsIgnoreAsciiCase(control.ClassName(), e.className))
            << i << ": " << control.ClassName();
        EXPECT_EQ(control.id, e.id) << i;
        EXPECT_EQ(control.style & (e.style | e.typeMask), e.style) << i;
        EXPECT_EQ((Box{control.x, control.y, control.cx, control.cy}), e.box) << i;
    }
    EXPECT_EQ(dialog->controls[0].title, Text("&Name:"));
    EXPECT_EQ(dialog->controls[5].title, Ordinal(117));
}

TEST(DialogTemplate, ReadsExtendedDialogsWithFontWeightAndHelpIds) {
    FixtureModule module;
    const auto data = ResourceData(module.get(), RT_DIALOG_ID, 101, 0);
    const auto dialog = ParseDialogTemplate(data.data(), data.size());
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->extended);
    EXPECT_EQ(dialog->helpId, 55u);
    EXPECT_EQ(dialog->exStyle, DWORD(WS_EX_TOOLWINDOW));
    EXPECT_EQ(dialog->style & DS_SHELLFONT, DWORD(DS_SHELLFONT));
    EXPECT_TRUE(qv::text::EqualsIgnoreAsciiCase(dialog->windowClass.text, "QvDialog"));
    EXPECT_EQ(dialog->caption, "Extended");
    ASSERT_TRUE(dialog->font);
    EXPECT_EQ(dialog->font->pointSize, 9);
    EXPECT_EQ(dialog->font->weight, 700);
    EXPECT_TRUE(dialog->font->italic);
    EXPECT_EQ(dialog->font->charset, 1);
    EXPECT_EQ(dialog->font->face, "Segoe UI");
    ASSERT_EQ(dialog->controls.size(), 2u);
    const auto& check = dialog->controls[0];
    EXPECT_EQ(check.id, 70000u); // ids are 32-bit in the extended form
    EXPECT_EQ(check.helpId, 99u);
    EXPECT_EQ(check.exStyle, DWORD(WS_EX_CLIENTEDGE));
    EXPECT_EQ(check.ClassName(), "Button");
    EXPECT_EQ(check.style & BS_TYPEMASK, DWORD(BS_AUTOCHECKBOX));
    EXPECT_EQ(dialog->controls[1].style & ES_NUMBER, DWORD(ES_NUMBER));
}

// A DLGTEMPLATE with a menu ordinal, no font, and one control with creation data.
std::vector<BYTE> HandMadeDialog(WORD count = 1) {
    std::vector<BYTE> out;
    ResBuilder::Put32(out, WS_POPUP);
    ResBuilder::Put32(out, 0);
    ResBuilder::Put16(out, count);
    for (WORD v : {1, 2, 3, 4})
        ResBuilder::Put16(out, v);
    ResBuilder::Put16(out, 0xFFFF);
    ResBuilder::Put16(out, 119); // menu
    ResBuilder::Put16(out, 0);   // class
    ResBuilder::PutString(out, u"T");
    while (out.size() % 4)
        out.push_back(0);
    ResBuilder::Put32(out, WS_CHILD);
    ResBuilder::Put32(out, 0);
    for (WORD v : {0xFFFF, 2, 30, 40}) // x = -1
        ResBuilder::Put16(out, v);
    ResBuilder::Put16(out, 77);
    ResBuilder::PutString(out, u"Custom");
    ResBuilder::Put16(out, 0); // no title
    ResBuilder::Put16(out, 3);
    for (BYTE b : {0xA, 0xB, 0xC})
        out.push_back(b);
    return out;
}

TEST(DialogTemplate, MenuOrdinalsCreationDataAndSignedCoordinates) {
    const auto data = HandMadeDialog();
    const auto dialog = ParseDialogTemplate(data.data(), data.size());
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->menu, Ordinal(119));
    EXPECT_FALSE(dialog->font);
    EXPECT_EQ(dialog->caption, "T");
    ASSERT_EQ(dialog->controls.size(), 1u);
    EXPECT_EQ(dialog->controls[0].x, -1);
    EXPECT_EQ(dialog->controls[0].windowClass, Text("Custom"));
    EXPECT_TRUE(dialog->controls[0].title.IsEmpty());
    EXPECT_EQ(dialog->controls[0].creationData, (std::vector<BYTE>{0xA, 0xB, 0xC}));
}

TEST(DialogTemplate, RefusesCutTemplatesAndInflatedCounts) {
    FixtureModule module;
    for (WORD name : {100, 101}) {
        const auto data = ResourceData(module.get(), RT_DIALOG_ID, name, 0);
        for (std::size_t size = 0; size < data.size(); ++size)
            EXPECT_FALSE(ParseDialogTemplate(data.data(), size)) << name << " cut to " << size;
    }
    const auto inflated = HandMadeDialog(2);
    EXPECT_FALSE(ParseDialogTemplate(inflated.data(), inflated.size()));
    const auto huge = HandMadeDialog(0xFFFF);
    EXPECT_FALSE(ParseDialogTemplate(huge.data(), huge.size()));
    EXPECT_FALSE(ParseDialogTemplate(nullptr, 0));
}

TEST(DlgInit, ReadsRecordsUpToTheEnd) {
    FixtureModule module;
    const auto data = ResourceData(module.get(), RT_DLGINIT_ID, 100, 0);
    const auto records = ParseDlgInit(data.data(), data.size());
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 2u);
    EXPECT_EQ((*records)[0].controlId, 1012);
    EXPECT_EQ((*records)[0].message, 0x0143);
    EXPECT_EQ((*records)[0].data, (std::vector<BYTE>{'a', 'b', 'c', 0}));
    EXPECT_EQ((*records)[1].data, (std::vector<BYTE>{'d', 'e', 0}));

    // Without the closing 0 the end of the data ends the list; anything after
    // a closing 0 is ignored.
    const std::vector<BYTE> open = {5, 0, 0x80, 1, 1, 0, 0, 0, 'x'};
    ASSERT_TRUE(ParseDlgInit(open.data(), open.size()));
    EXPECT_EQ(ParseDlgInit(open.data(), open.size())->size(), 1u);
    const std::vector<BYTE> closed = {0, 0, 5, 0, 0x80, 1, 1, 0, 0, 0, 'x'};
    EXPECT_TRUE(ParseDlgInit(closed.data(), closed.size())->empty());

    const std::vector<BYTE> cut = {5, 0, 0x80, 1, 9, 0, 0, 0, 'x'};
    EXPECT_FALSE(ParseDlgInit(cut.data(), cut.size()));
    const std::vector<BYTE> huge = {5, 0, 0x80, 1, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_FALSE(ParseDlgInit(huge.data(), huge.size()));
}

} // namespace

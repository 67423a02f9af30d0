// The compiled resources: what exists in which language, the dialog
// templates, the control-initialisation data and the embedded image.
#include "platform/module/dialog_template.h"
#include "platform/module/res_image.h"
#include "platform/module/window_styles.h"
#include "res/embedded.h"
#include "res/resource.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace qv::restest;
using qv::platform::ControlClass;
using qv::platform::DialogControl;
using qv::platform::DialogTemplate;
using qv::platform::ResourceName;

constexpr const char* kBrowserClass = "{8856F961-340A-11D0-A96B-00C04FD705A2}";

TEST(ResourceFileTest, EmbeddedImageIsTheCompiledFile) {
    const auto file = ReadBytes(QV_RES_FILE);
    const auto image = qv::res::EmbeddedResourceImage();
    ASSERT_FALSE(file.empty());
    ASSERT_EQ(image.size(), file.size());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), file.begin()));
}

TEST(ResourceFileTest, InstallingMakesItTheResourceHandle) {
    ScopedResources keep(AfxGetResourceHandle());
    HINSTANCE module = qv::res::InstallEmbeddedResources("/usr/bin/quorvia");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(AfxGetResourceHandle(), module);
    EXPECT_EQ(module->path, "/usr/bin/quorvia");
}

TEST(ResourceFileTest, ExactlyTheResourcesDescribed) {
    // (type, name) -> languages
    std::map<std::pair<WORD, WORD>, std::set<LANGID>> found;
    // The readme pages and their pictures, named by file: name -> languages.
    std::map<std::string, std::set<LANGID>> foundHtml;
    for (const auto& entry : RealModule()->resources->Entries()) {
        ASSERT_TRUE(entry.type.isOrdinal);
        if (!entry.name.isOrdinal) {
            EXPECT_EQ(entry.type.ordinal, 23) << entry.name.text;
            foundHtml[entry.name.text].insert(entry.language);
            continue;
        }
        found[{entry.type.ordinal, entry.name.ordinal}].insert(entry.language);
    }
    const std::set<LANGID> all = {0x0000, 0x0407, 0x040C, 0x0413};
    const std::set<LANGID> neutral = {0x0000};
    const std::set<LANGID> german = {0x0407};
    std::map<std::pair<WORD, WORD>, std::set<LANGID>> expected = {
        {{RT_DIALOG_ID, 110}, neutral},  {{RT_DIALOG_ID, 112}, neutral},
        {{RT_DIALOG_ID, 118}, all},      {{RT_DIALOG_ID, 120}, neutral},
        {{RT_MENU_ID, 119}, all},        {{RT_GROUP_ICON_ID, 117}, german},
        {{RT_ICON_ID, 1}, german},       {{RT_ICON_ID, 2}, german},
        {{RT_ICON_ID, 3}, german},       {{RT_ICON_ID, 4}, german},
        {{RT_VERSION_ID, 1}, neutral},   {{RT_DLGINIT_ID, 112}, neutral},
        {{RT_DLGINIT_ID, 120}, neutral},
    };
    // The program's strings, and the framework's messages (ids 0xF110...).
    for (WORD block : {7, 8, 63, 64, 65, 0xF12})
        expected[{RT_STRING_ID, block}] = all;
    EXPECT_EQ(found, expected);

    std::map<std::string, std::set<LANGID>> expectedHtml;
    for (const char* name :
         {"README-EN.HTM", "README-DE.HTM", "README-FR.HTM", "README-NL.HTM", "README.CSS",
          "EN.GIF", "DE.GIF", "FR.GIF", "NL.GIF", "TOP.GIF", "TASKICON.GIF", "MENU-EN.GIF",
          "MENU-DE.GIF", "MENU-FR.GIF", "MENU-NL.GIF", "VPHONE.JPG"})
        expectedHtml[name] = neutral;
    EXPECT_EQ(foundHtml, expectedHtml);
}

DialogTemplate Template(WORD id, LANGID language) {
    HRSRC resource = FindResourceExA(RealModule(), MAKEINTRESOURCEA(RT_DIALOG_ID),
                                     MAKEINTRESOURCEA(id), language);
    EXPECT_NE(resource, nullptr);
    if (!resource)
        return {};
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(RealModule(), resource)));
    auto parsed = qv::platform::ParseDialogTemplate(data, SizeofResource(RealModule(), resource));
    EXPECT_TRUE(parsed.has_value());
    return parsed.value_or(DialogTemplate{});
}

std::tuple<int, int, int, int> Rect(const DialogControl& control) {
    return {control.x, control.y, control.cx, control.cy};
}

const DialogControl* ById(const DialogTemplate& dialog, DWORD id) {
    for (const auto& control : dialog.controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

TEST(DialogTemplateTest, InfoDialog) {
    const auto dialog = Template(IDD_INFO_DIALOG, 0);
    EXPECT_EQ(dialog.caption, "Info");
    EXPECT_EQ(std::tie(dialog.cx, dialog.cy), std::make_tuple(SHORT(217), SHORT(40)));
    EXPECT_EQ(dialog.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    ASSERT_TRUE(dialog.font.has_value());
    EXPECT_EQ(dialog.font->face, "MS Sans Serif");
    EXPECT_EQ(dialog.font->pointSize, 8);
    ASSERT_EQ(dialog.controls.size(), 5u);
    const auto& icon = dialog.controls[0];
    EXPECT_EQ(icon.Class(), ControlClass::Static);
    EXPECT_EQ(icon.style & SS_TYPEMASK, DWORD(SS_ICON));
    EXPECT_EQ(icon.title.ordinal, std::optional<WORD>(IDR_MAINFRAME));
    EXPECT_EQ(Rect(icon), std::make_tuple(7, 7, 21, 20));
    EXPECT_EQ(dialog.controls[1].id, 1u);
    EXPECT_EQ(dialog.controls[1].style & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
    EXPECT_NE(dialog.controls[1].style & WS_GROUP, 0u);
    EXPECT_EQ(dialog.controls[2].id, DWORD(IDC_PRODUCT));
    EXPECT_EQ(dialog.controls[2].title.text, "%s");
    EXPECT_EQ(dialog.controls[3].title.text, "Version %s");
    EXPECT_EQ(Rect(dialog.controls[3]), std::make_tuple(37, 15, 117, 8));
    EXPECT_EQ(dialog.controls[4].id, DWORD(IDC_COPYRIGHT));
    EXPECT_EQ(dialog.controls[4].style & SS_NOPREFIX, 0u);
}

TEST(DialogTemplateTest, BrowserWindows) {
    const auto main = Template(IDD_BROWSER_DIALOG, 0);
    EXPECT_EQ(std::tie(main.cx, main.cy), std::make_tuple(SHORT(244), SHORT(321)));
    const DWORD frame = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(main.style & frame, frame);
    EXPECT_NE(main.style & DS_CENTER, 0u);
    EXPECT_EQ(main.style & (WS_POPUP | WS_CHILD), 0u);
    EXPECT_NE(main.exStyle & WS_EX_APPWINDOW, 0u);
    ASSERT_EQ(main.controls.size(), 1u);
    EXPECT_EQ(main.controls[0].id, DWORD(IDC_EXPLORER));
    EXPECT_EQ(main.controls[0].windowClass.text, kBrowserClass);
    EXPECT_EQ(Rect(main.controls[0]), std::make_tuple(0, 0, 244, 321));

    const auto popup = Template(IDD_POPUP_BROWSER, 0);
    EXPECT_EQ(popup.caption, "");
    EXPECT_EQ(std::tie(popup.x, popup.y, popup.cx, popup.cy),
              std::make_tuple(SHORT(16), SHORT(16), SHORT(245), SHORT(324)));
    EXPECT_EQ(popup.style & (frame | WS_VISIBLE), frame | WS_VISIBLE);
    EXPECT_EQ(popup.style & (WS_POPUP | WS_CHILD), 0u);
    ASSERT_EQ(popup.controls.size(), 1u);
    const auto& browser = popup.controls[0];
    EXPECT_EQ(browser.id, DWORD(IDC_POPUP_EXPLORER));
    EXPECT_EQ(browser.windowClass.text, kBrowserClass);
    EXPECT_EQ(browser.style & (WS_VISIBLE | WS_TABSTOP), DWORD(WS_VISIBLE | WS_TABSTOP));
    EXPECT_EQ(Rect(browser), std::make_tuple(0, 0, 245, 323));
}

// The configuration dialog's controls in tab order, one row per control.
struct Row {
    DWORD id;
    ControlClass kind;
    const char* text;
    int x, y, cx, cy;
};

constexpr DWORD kStatic = 0xFFFF;

void ExpectConfig(LANGID language, const char* caption, int width, const std::vector<Row>& rows) {
    SCOPED_TRACE(language);
    const auto dialog = Template(IDD_CONFIG_DIALOG, language);
    EXPECT_EQ(dialog.caption, caption);
    EXPECT_EQ(std::tie(dialog.cx, dialog.cy), std::make_tuple(SHORT(width), SHORT(135)));
    EXPECT_EQ(dialog.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    ASSERT_TRUE(dialog.font.has_value());
    EXPECT_EQ(dialog.font->face, "MS Sans Serif");
    ASSERT_EQ(dialog.controls.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& control = dialog.controls[i];
        const Row& row = rows[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(control.id, row.id);
        if (row.kind != ControlClass::Other) {
            EXPECT_EQ(control.Class(), row.kind);
        }
        EXPECT_EQ(control.title.text, row.text);
        EXPECT_EQ(Rect(control), std::make_tuple(row.x, row.y, row.cx, row.cy));
    }
    const auto* user = ById(dialog, IDC_USER);
    const auto* password = ById(dialog, IDC_PASSWORD);
    const auto* timeout = ById(dialog, IDC_TIMEOUT);
    const auto* spin = ById(dialog, IDC_TIMEOUT_SPIN);
    ASSERT_TRUE(user && password && timeout && spin);
    EXPECT_EQ(user->style & (WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_PASSWORD),
              DWORD(WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL));
    EXPECT_NE(password->style & ES_PASSWORD, 0u);
    EXPECT_NE(timeout->style & ES_NUMBER, 0u);
    EXPECT_EQ(spin->windowClass.text, "msctls_updown32");
    const DWORD spinStyle =
        UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | UDS_NOTHOUSANDS;
    EXPECT_EQ(spin->style & 0xFFFF, spinStyle | (language == 0 ? UDS_WRAP : 0));
    for (DWORD id : {IDC_AUTOSTART, IDC_AUTOLOGIN, IDC_CALL_TOOLTIP}) {
        const auto* box = ById(dialog, id);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->style & (BS_TYPEMASK | WS_TABSTOP), DWORD(BS_AUTOCHECKBOX | WS_TABSTOP));
    }
    EXPECT_EQ(ById(dialog, 1)->style & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
}

constexpr auto S = ControlClass::Static;
constexpr auto E = ControlClass::Edit;
constexpr auto B = ControlClass::Button;
constexpr auto O = ControlClass::Other;

TEST(DialogTemplateTest, ConfigurationNeutral) {
    ExpectConfig(0, "Configuration", 188,
                 {{kStatic, S, "&Address:", 7, 7, 28, 8},
                  {IDC_ADDRESS, E, "", 7, 16, 104, 14},
                  {kStatic, S, "&User name:", 7, 37, 37, 8},
                  {IDC_USER, E, "", 7, 47, 104, 14},
                  {kStatic, S, "&Password:", 7, 67, 34, 8},
                  {IDC_PASSWORD, E, "", 7, 77, 104, 14},
                  {IDC_AUTOSTART, B, "&Start with windows logon", 7, 98, 94, 10},
                  {IDC_AUTOLOGIN, B, "Automatic &relogin", 7, 108, 70, 10},
                  {IDC_CALL_TOOLTIP, B, "&Tooltip on incoming call", 7, 119, 90, 10},
                  {kStatic, S, "Time&out:", 134, 104, 28, 8},
                  {IDC_TIMEOUT, E, "", 134, 114, 47, 14},
                  {IDC_TIMEOUT_SPIN, O, "Spin1", 124, 114, 11, 14},
                  {1, B, "OK", 131, 7, 50, 14},
                  {2, B, "Abbrechen", 131, 24, 50, 14}});
}

TEST(DialogTemplateTest, ConfigurationGerman) {
    ExpectConfig(0x0407, "Konfiguration", 188,
                 {{kStatic, S, "&Adresse:", 7, 7, 30, 8},
                  {IDC_ADDRESS, E, "", 7, 16, 104, 14},
                  {kStatic, S, "&Benutzername", 7, 37, 44, 8},
                  {IDC_USER, E, "", 7, 47, 104, 14},
                  {kStatic, S, "&Kennwort", 7, 67, 30, 8},
                  {IDC_PASSWORD, E, "", 7, 77, 104, 14},
                  {IDC_AUTOSTART, B, "&Start bei Windows-Anmeldung", 7, 98, 107, 10},
                  {IDC_AUTOLOGIN, B, "Automatisches &Wiederanmelden", 7, 108, 115, 10},
                  {IDC_CALL_TOOLTIP, B, "S&prechblase bei kommenden Anruf", 7, 119, 122, 10},
                  {kStatic, S, "Zeit&limit:", 139, 104, 36, 8},
                  {IDC_TIMEOUT, E, "", 139, 114, 42, 14},
                  {IDC_TIMEOUT_SPIN, O, "Spin1", 130, 114, 11, 14},
                  {1, B, "OK", 131, 7, 50, 14},
                  {2, B, "&Abbrechen", 131, 24, 50, 14}});
}

TEST(DialogTemplateTest, ConfigurationFrench) {
    ExpectConfig(0x040C, "Configuration", 188,
                 {{kStatic, S, "&Adresse :", 7, 7, 33, 8},
                  {IDC_ADDRESS, E, "", 7, 16, 104, 14},
                  {kStatic, S, "&Nom d'utilisateur :", 7, 37, 66, 8},
                  {IDC_USER, E, "", 7, 47, 104, 14},
                  {kStatic, S, "&Mot de passe :", 7, 67, 50, 8},
                  {IDC_PASSWORD, E, "", 7, 77, 104, 14},
                  {IDC_AUTOSTART, B, "Démarrer sous &Windows-Connexion", 7, 98, 122, 10},
                  {IDC_AUTOLOGIN, B, "&Reconnexion automatique", 7, 108, 93, 10},
                  {IDC_CALL_TOOLTIP, B, "&Bulle lors d'un appel entrant", 7, 119, 108, 10},
                  {kStatic, S, "&Délai :", 139, 104, 26, 8},
                  {IDC_TIMEOUT, E, "", 139, 114, 42, 14},
                  {IDC_TIMEOUT_SPIN, O, "Spin1", 130, 114, 11, 14},
                  {1, B, "OK", 131, 7, 50, 14},
                  {2, B, "&Annuler", 131, 24, 50, 14}});
}

TEST(DialogTemplateTest, ConfigurationDutch) {
    ExpectConfig(0x0413, "Configuratie", 232,
                 {{kStatic, S, "&Adres:", 7, 7, 24, 8},
                  {IDC_ADDRESS, E, "", 7, 16, 104, 14},
                  {kStatic, S, "&Gebruikersnaam:", 7, 37, 55, 8},
                  {IDC_USER, E, "", 7, 47, 104, 14},
                  {kStatic, S, "&Wachtwoord:", 7, 67, 41, 8},
                  {IDC_PASSWORD, E, "", 7, 77, 104, 14},
                  {IDC_AUTOSTART, B, "&Start bij aanmelding Windows", 7, 98, 111, 10},
                  {IDC_AUTOLOGIN, B, "Automatisch &opnieuw aanmelden", 7, 108, 115, 10},
                  {IDC_CALL_TOOLTIP, B, "&Tekstwolkje bij binnenkomende oproep", 7, 119, 140, 10},
                  {kStatic, S, "Tijds&limiet", 172, 103, 40, 8},
                  {IDC_TIMEOUT, E, "", 182, 114, 42, 14},
                  {IDC_TIMEOUT_SPIN, O, "Spin1", 171, 114, 11, 14},
                  {1, B, "OK", 174, 7, 50, 14},
                  {2, B, "&Annuleren", 174, 24, 50, 14}});
}

TEST(DialogTemplateTest, LocalizedControlsStayClearOfEachOther) {
    // Widened labels and check boxes must not run into the timeout column.
    for (LANGID language : {0x0000, 0x0407, 0x040C, 0x0413}) {
        const auto dialog = Template(IDD_CONFIG_DIALOG, language);
        const auto* spin = ById(dialog, IDC_TIMEOUT_SPIN);
        ASSERT_NE(spin, nullptr);
        for (DWORD id : {IDC_AUTOSTART, IDC_AUTOLOGIN, IDC_CALL_TOOLTIP}) {
            const auto* box = ById(dialog, id);
            ASSERT_NE(box, nullptr);
            EXPECT_LE(box->x + box->cx, spin->x) << language << " " << id;
        }
        for (const auto& control : dialog.controls)
            EXPECT_LE(control.x + control.cx, dialog.cx) << language << " " << control.id;
    }
}

TEST(DlgInitTest, OneBrowserStateRecordEach) {
    for (auto [name, control, width] :
         {std::tuple<WORD, WORD, DWORD>{IDD_BROWSER_DIALOG, IDC_EXPLORER, 9684},
          {IDD_POPUP_BROWSER, IDC_POPUP_EXPLORER, 9737}}) {
        ScopedResources resources(RealModule());
        ScopedLocale user(kGerman.name);
        const auto data = LockLocalizedBytes(name, RT_DLGINIT_ID);
        ASSERT_EQ(data.size(), 2u + 2 + 4 + 160 + 2) << name;
        const auto records = qv::platform::ParseDlgInit(data.data(), data.size());
        ASSERT_TRUE(records.has_value());
        ASSERT_EQ(records->size(), 1u);
        const auto& record = records->front();
        EXPECT_EQ(record.controlId, control);
        EXPECT_EQ(record.message, 0x0376);
        ASSERT_EQ(record.data.size(), 160u);
        auto dword = [&](int index) {
            const BYTE* p = record.data.data() + 4 * index;
            return DWORD(p[0] | (p[1] << 8) | (p[2] << 16) | (DWORD(p[3]) << 24));
        };
        EXPECT_EQ(dword(0), 160u); // the state's own size
        EXPECT_EQ(dword(2), width);
        EXPECT_EQ(data[data.size() - 2] | data[data.size() - 1], 0); // closing id 0
    }
}

} // namespace

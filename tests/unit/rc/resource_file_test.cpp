// The compiled resources: the dialog templates and their translations, the
// control-initialisation data and the embedded image. What else exists in
// which language is checked where it is used (strings, icons, version, pages).
#include "../localized/test_support.h"
#include "platform/module/dialog_template.h"
#include "platform/module/res_image.h"
#include "platform/module/window_styles.h"
#include "rc/embedded.h"
#include "rc/resource.h"

#include <cctype>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <tuple>

namespace {

using namespace qv::restest;
using qv::platform::ControlClass;
using qv::platform::DialogControl;
using qv::platform::DialogTemplate;

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

const DialogControl* ById(const DialogTemplate& dialog, DWORD id) {
    for (const auto& control : dialog.controls)
        if (control.id == id)
            return &control;
    return nullptr;
}

TEST(DialogTemplateTest, InfoDialogShowsTheProgramIconAndItsFields) {
    const auto dialog = Template(IDD_INFO_DIALOG, 0);
    EXPECT_EQ(dialog.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    ASSERT_EQ(dialog.controls.size(), 5u);
    const auto& icon = dialog.controls[0];
    EXPECT_EQ(icon.style & SS_TYPEMASK, DWORD(SS_ICON));
    EXPECT_EQ(icon.title.ordinal, std::optional<WORD>(IDR_MAINFRAME));
    EXPECT_EQ(dialog.controls[1].style & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
    EXPECT_EQ(ById(dialog, IDC_COPYRIGHT)->style & SS_NOPREFIX, 0u);
}

TEST(DialogTemplateTest, BrowserWindowsAreResizableFramesFilledByTheControl) {
    const DWORD frame = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    for (auto [id, control] : {std::pair<WORD, DWORD>{IDD_BROWSER_DIALOG, IDC_EXPLORER},
                               {IDD_POPUP_BROWSER, IDC_POPUP_EXPLORER}}) {
        const auto dialog = Template(id, 0);
        EXPECT_EQ(dialog.style & frame, frame) << id;
        EXPECT_EQ(dialog.style & (WS_POPUP | WS_CHILD), 0u) << id;
        ASSERT_EQ(dialog.controls.size(), 1u) << id;
        const auto& browser = dialog.controls[0];
        EXPECT_EQ(browser.id, control);
        EXPECT_EQ(browser.windowClass.text, kBrowserClass);
        EXPECT_EQ(std::tie(browser.x, browser.y), std::make_tuple(SHORT(0), SHORT(0)));
        EXPECT_LE(std::abs(browser.cx - dialog.cx) + std::abs(browser.cy - dialog.cy), 1) << id;
    }
    EXPECT_NE(Template(IDD_BROWSER_DIALOG, 0).exStyle & WS_EX_APPWINDOW, 0u);
    EXPECT_NE(Template(IDD_POPUP_BROWSER, 0).style & WS_VISIBLE, 0u);
}

constexpr DWORD kStatic = 0xFFFF;

// Every translation of the configuration: the neutral one's controls in its
// tab order, each label and box with a mnemonic of its own, nothing overlapping
// or running into the timeout column or out of the dialog.
TEST(DialogTemplateTest, ConfigurationTranslationsKeepTheControlsAndTheirMnemonics) {
    const auto neutral = Template(IDD_CONFIG_DIALOG, 0);
    ASSERT_EQ(neutral.controls.size(), 14u);
    for (LANGID language : {0x0000, 0x0407, 0x040C, 0x0413}) {
        SCOPED_TRACE(language);
        const auto dialog = Template(IDD_CONFIG_DIALOG, language);
        EXPECT_FALSE(dialog.caption.empty());
        // The icon's menu is translated with it.
        const HRSRC menu = FindResourceExA(RealModule(), MAKEINTRESOURCEA(RT_MENU_ID),
                                           MAKEINTRESOURCEA(IDR_TRAY_MENU), language);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->language, language);
        EXPECT_EQ(dialog.style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
                  DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
        ASSERT_EQ(dialog.controls.size(), neutral.controls.size());
        std::set<char> mnemonics;
        for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
            const auto& control = dialog.controls[i];
            EXPECT_EQ(control.id, neutral.controls[i].id) << i;
            EXPECT_EQ(control.Class(), neutral.controls[i].Class()) << i;
            EXPECT_LE(control.x + control.cx, dialog.cx) << control.id;
            const std::string& text = control.title.text;
            if (control.Class() == ControlClass::Edit) {
                EXPECT_EQ(text, "") << control.id;
            }
            // Labels and check boxes each reach their field by a key of its own.
            const auto amp = text.find('&');
            if (control.id == kStatic ||
                (control.Class() == ControlClass::Button && control.id > 2)) {
                ASSERT_TRUE(amp != std::string::npos && amp + 1 < text.size())
                    << "no mnemonic: " << text;
                EXPECT_TRUE(mnemonics.insert(char(std::tolower(text[amp + 1]))).second) << text;
            }
            for (std::size_t j = 0; j < i; ++j) {
                const auto& other = dialog.controls[j];
                const bool apart =
                    control.x >= other.x + other.cx || other.x >= control.x + control.cx ||
                    control.y >= other.y + other.cy || other.y >= control.y + control.cy;
                // The up-down control sits against its buddy.
                if (control.id != IDC_TIMEOUT_SPIN && other.id != IDC_TIMEOUT_SPIN) {
                    EXPECT_TRUE(apart) << control.id << " overlaps " << other.id;
                }
            }
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
            // Widened labels and check boxes must not run into the timeout column.
            EXPECT_LE(box->x + box->cx, spin->x) << id;
        }
        EXPECT_EQ(ById(dialog, 1)->style & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
    }
}

TEST(DlgInitTest, OneBrowserStateRecordEach) {
    ScopedResources resources(RealModule());
    ScopedLocale user(kGerman.name);
    for (auto [name, control] : {std::pair<WORD, WORD>{IDD_BROWSER_DIALOG, IDC_EXPLORER},
                                 {IDD_POPUP_BROWSER, IDC_POPUP_EXPLORER}}) {
        const auto data = LockLocalizedBytes(name, RT_DLGINIT_ID);
        const auto records = qv::platform::ParseDlgInit(data.data(), data.size());
        ASSERT_TRUE(records.has_value());
        ASSERT_EQ(records->size(), 1u);
        const auto& record = records->front();
        EXPECT_EQ(record.controlId, control);
        EXPECT_EQ(record.message, 0x0376);
        // The control's state, which starts with its own size.
        ASSERT_EQ(record.data.size(), 160u);
        EXPECT_EQ(record.data[0] | (record.data[1] << 8) | (record.data[2] << 16), 160);
    }
}

} // namespace

#include "app/browser_app.h"

#include "addressbook/address_book.h"
#include "app/custom_occ_manager.h"
#include "localized/version_info.h"
#include "mainwnd/browser_dlg.h"
#include "platform/text.h"
#include "settings/settings.h"

namespace {

constexpr const char* kNavigatingSoundKey =
    "AppEvents\\Schemes\\Apps\\Explorer\\Navigating\\.Current";
constexpr std::string_view kAddressBookSwitch = "/wab";
constexpr std::string_view kNavClickSwitch = "/navclick";

bool TakeSwitch(std::string& text, std::string_view name) {
    const auto at = text.find(name);
    if (at == std::string::npos)
        return false;
    text.erase(at, name.size());
    return true;
}

// The Explorer click on every navigation would sound with each console poll.
void SilenceNavigationSound() {
    if (!ReadRegistryText(HKEY_CURRENT_USER, kNavigatingSoundKey, "", "").empty())
        WriteRegistryText(HKEY_CURRENT_USER, "", kNavigatingSoundKey, "", REG_SZ);
}

} // namespace

CommandLineRequest ParseCommandLine(std::string tail) {
    std::string text = qv::text::AsciiLower(tail);
    CommandLineRequest request;
    request.addressBook = TakeSwitch(text, kAddressBookSwitch);
    request.navClick = TakeSwitch(text, kNavClickSwitch);
    request.urlFormat = std::string(qv::text::Trim(text));
    return request;
}

CBrowserApp::CBrowserApp() : CWinApp(nullptr) {}

CBrowserApp::~CBrowserApp() = default;

BOOL CBrowserApp::InitInstance() {
    Enable3dControls();
    AfxEnableControlContainer(std::make_unique<CCustomOccManager>());
    m_pExternal = std::make_unique<CCtiExternal>();
    // Before any setting is touched: the company names the settings key.
    SetSettingsCompany(GetVersionInfoString("CompanyName").c_str());

    CBrowserDlg dialog;
    const CommandLineRequest request = ParseCommandLine(m_lpCmdLine);
    if (request.addressBook) {
        // Without a usable book the user hears why and calls show numbers.
        auto book = std::make_unique<CAddressBook>();
        if (book->Open(nullptr))
            dialog.m_pAddressBook = std::move(book);
        else
            AfxMessageBox(book->TakeLastError(), MB_OK);
    }
    if (!request.navClick)
        SilenceNavigationSound();
    if (!request.urlFormat.empty())
        dialog.m_strUrlFormat = request.urlFormat;

    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CBrowserApp::ExitInstance() {
    m_pExternal.reset();
    return CWinApp::ExitInstance();
}

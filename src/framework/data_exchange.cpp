#include "framework/data_exchange.h"

#include "framework/afxres.h"
#include "framework/control_container.h"
#include "framework/win_app.h"
#include "framework/wnd.h"
#include "platform/module/resources.h"
#include "platform/text.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

namespace {

// The framework's messages, in the user's language where the program's
// string table has them, else in English.
std::string FrameworkText(UINT id, const char* english) {
    char text[256];
    return ::LoadStringA(AfxGetResourceHandle(), id, text, sizeof text) > 0 ? text : english;
}

// Optional blanks, an optional sign, digits, optional blanks; nothing else.
std::optional<int> ParseInt(const std::string& text) {
    const char* p = text.c_str();
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    if (!*p)
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    while (std::isspace(static_cast<unsigned char>(*end)))
        ++end;
    if (*end)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

CDataExchange::CDataExchange(CWnd* dialog, BOOL saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
    m_hWndLastControl = control;
    m_bEditLastControl = FALSE;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND control = PrepareCtrl(id);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_hWndLastControl) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    m_bFailed = true;
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (dx->Failed() || control.m_hWnd)
        return;
    HWND hwnd = dx->PrepareCtrl(id);
    if (!hwnd || !control.SubclassWindow(hwnd))
        return;
    if (COleControlContainer* container = dx->m_pDlgWnd->GetControlContainer())
        control.m_pCtrlSite = container->FindSite(hwnd);
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
    if (dx->Failed())
        return;
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = qv::platform::GetWindowTextString(control);
    else
        ::SetWindowTextA(control, value.c_str());
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    if (dx->Failed())
        return;
    HWND control = dx->PrepareEditCtrl(id);
    if (!dx->m_bSaveAndValidate) {
        ::SetWindowTextA(control, std::to_string(value).c_str());
        return;
    }
    auto parsed = ParseInt(qv::platform::GetWindowTextString(control));
    if (!parsed) {
        AfxMessageBox(FrameworkText(AFX_IDP_PARSE_INT, "Please enter an integer."),
                      MB_ICONEXCLAMATION);
        dx->Fail();
        return;
    }
    value = *parsed;
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    if (dx->Failed())
        return;
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum) {
    if (dx->Failed() || !dx->m_bSaveAndValidate)
        return;
    if (value >= minimum && value <= maximum)
        return;
    const std::string pattern =
        FrameworkText(AFX_IDP_PARSE_INT_RANGE, "Please enter an integer between %s and %s.");
    AfxMessageBox(qv::text::FormatText(pattern, {std::to_string(minimum), std::to_string(maximum)}),
                  MB_ICONEXCLAMATION);
    dx->Fail();
}

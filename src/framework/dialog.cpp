#include "framework/dialog.h"

#include "framework/occ_manager.h"
#include "framework/win_app.h"
#include "platform/module/res_image.h"
#include "platform/module/resources.h"

namespace {

inline constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;

// The bytes of a resource that holds the address, up to the resource's end.
std::size_t BoundInResources(const void* data) {
    HINSTANCE module = AfxGetResourceHandle();
    if (!module || !module->resources)
        return 0;
    const auto* entry = module->resources->EntryContaining(data);
    if (!entry)
        return 0;
    return static_cast<std::size_t>(entry->data.data() + entry->data.size() -
                                    static_cast<const BYTE*>(data));
}

std::optional<std::span<const BYTE>> FindResourceBytes(LPCSTR name, WORD type) {
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC found = ::FindResourceExA(module, MAKEINTRESOURCEA(type), name, LANG_NEUTRAL);
    if (!found)
        return std::nullopt;
    const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
    if (!data)
        return std::nullopt;
    return std::span<const BYTE>(data, ::SizeofResource(module, found));
}

} // namespace

CDialog::CDialog() = default;

CDialog::CDialog(UINT templateId, CWnd* parent) : m_pParentWnd(parent) {
    SetTemplateName(MAKEINTRESOURCEA(static_cast<WORD>(templateId)));
}

CDialog::CDialog(LPCSTR templateName, CWnd* parent) : m_pParentWnd(parent) {
    SetTemplateName(templateName);
}

CDialog::~CDialog() = default;

void CDialog::SetTemplateName(LPCSTR name) {
    if (!name || IS_INTRESOURCE(name)) {
        m_lpszTemplateName = name;
        return;
    }
    m_strTemplateName = name;
    m_lpszTemplateName = m_strTemplateName.c_str();
}

void CDialog::SetTemplate(qv::platform::DialogTemplate dialog,
                          std::vector<qv::platform::DlgInitRecord> init) {
    m_template = std::move(dialog);
    m_templateInit = std::move(init);
}

std::optional<qv::platform::DialogTemplate> CDialog::ResolveTemplate() const {
    if (m_template)
        return m_template;
    if (m_hDialogTemplate) {
        const auto* data = static_cast<const BYTE*>(m_hDialogTemplate);
        const std::size_t size =
            m_nDialogTemplateSize ? m_nDialogTemplateSize : BoundInResources(data);
        return size ? qv::platform::ParseDialogTemplate(data, size) : std::nullopt;
    }
    if (!m_lpszTemplateName)
        return std::nullopt;
    auto bytes = FindResourceBytes(m_lpszTemplateName, RT_DIALOG_ID);
    if (!bytes)
        return std::nullopt;
    return qv::platform::ParseDialogTemplate(bytes->data(), bytes->size());
}

std::vector<qv::platform::DlgInitRecord> CDialog::ResolveDlgInit() const {
    if (m_template)
        return m_templateInit;
    std::optional<std::vector<qv::platform::DlgInitRecord>> parsed;
    if (m_lpDialogInit) {
        const auto* data = static_cast<const BYTE*>(m_lpDialogInit);
        const std::size_t size = m_nDialogInitSize ? m_nDialogInitSize : BoundInResources(data);
        if (size)
            parsed = qv::platform::ParseDlgInit(data, size);
    } else if (m_lpszTemplateName) {
        // The framework finds the init data by the template's name.
        if (auto bytes = FindResourceBytes(m_lpszTemplateName, RT_DLGINIT_ID))
            parsed = qv::platform::ParseDlgInit(bytes->data(), bytes->size());
    }
    return parsed ? std::move(*parsed) : std::vector<qv::platform::DlgInitRecord>{};
}

HWND CDialog::OwnerWindow() const {
    if (m_pParentWnd)
        return m_pParentWnd->m_hWnd;
    // Without a parent the main window owns it, as the framework's rule is.
    CWnd* main = AfxGetMainWnd();
    return main && main != this ? main->m_hWnd : nullptr;
}

BOOL CDialog::CreateDlgWindow(HWND owner) {
    auto* ws = qv::platform::GetWindowSystem();
    auto dialog = ResolveTemplate();
    if (!ws || !dialog)
        return FALSE;
    HWND hwnd = ws->CreateDialogWindow(*dialog, ResolveDlgInit(), owner, MakeProcedure());
    if (!hwnd)
        return FALSE;
    if (!m_hWnd)
        Bind(hwnd, true);
    if (COccManager* manager = AfxGetOccManager())
        manager->CreateDlgControls(this);
    const BOOL setFocus = static_cast<BOOL>(SendMessage(WM_INITDIALOG, 0, 0));
    if (!m_hWnd)
        return FALSE;
    if (setFocus) {
        for (HWND child : ws->Tree().Children(m_hWnd)) {
            const DWORD style = static_cast<DWORD>(::GetWindowLongA(child, GWL_STYLE));
            if ((style & WS_TABSTOP) && ::IsWindowEnabled(child)) {
                ::SetFocus(child);
                // As the dialog manager does: typing replaces an edit's text.
                if (::SendMessageA(child, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
                    ::SendMessageA(child, EM_SETSEL, 0, -1);
                break;
            }
        }
    }
    if ((dialog->style & WS_VISIBLE) && !IsWindowVisible())
        ShowWindow(SW_SHOWNORMAL);
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    const HWND owner = OwnerWindow();
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);
    m_nModalResult = -1;
    m_bContinueModal = true;
    if (CreateDlgWindow(owner) && m_bContinueModal)
        RunModalLoop();
    m_bContinueModal = false;
    if (m_hWnd)
        ShowWindow(SW_HIDE);
    if (disableOwner)
        ::EnableWindow(owner, TRUE);
    DestroyWindow();
    return m_nModalResult;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    return Create(MAKEINTRESOURCEA(static_cast<WORD>(templateId)), parent);
}

BOOL CDialog::Create(LPCSTR templateName, CWnd* parent) {
    if (m_hWnd)
        return FALSE;
    if (templateName)
        SetTemplateName(templateName);
    m_pParentWnd = parent;
    return CreateDlgWindow(parent ? parent->m_hWnd : nullptr);
}

void CDialog::EndDialog(int result) {
    if (m_bContinueModal) {
        EndModalLoop(result);
        return;
    }
    m_nModalResult = result;
    if (m_hWnd)
        ShowWindow(SW_HIDE);
}

BOOL CDialog::OnInitDialog() {
    // Values into the controls; a failure here leaves the dialog usable.
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::OnCmdMsg(UINT id, int code) {
    if (code != BN_CLICKED)
        return FALSE;
    if (id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_INITDIALOG) {
        *result = OnInitDialog();
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // A dialog's close box is its Cancel button.
    if (message == WM_CLOSE) {
        SendMessage(WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(::GetDlgItem(m_hWnd, IDCANCEL)));
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message != WM_KEYDOWN || (msg->wParam != VK_ESCAPE && msg->wParam != VK_RETURN))
        return FALSE;
    if (msg->hwnd != m_hWnd) {
        // Only keys within this dialog; a control that wants them keeps them.
        HWND hwnd = msg->hwnd;
        while (hwnd && hwnd != m_hWnd)
            hwnd = ::GetParent(hwnd);
        if (!hwnd)
            return FALSE;
        if (::SendMessageA(msg->hwnd, WM_GETDLGCODE, msg->wParam, 0) & DLGC_WANTALLKEYS)
            return FALSE;
    }
    const int command = msg->wParam == VK_ESCAPE ? IDCANCEL : IDOK;
    SendMessage(WM_COMMAND, MAKELONG(WORD(command), BN_CLICKED),
                reinterpret_cast<LPARAM>(::GetDlgItem(m_hWnd, command)));
    return TRUE;
}

// CDialog: a dialog built from a template. Modal with DoModal (the
// framework's modal loop until EndDialog), modeless with Create. The
// template comes from the resources by name, from a template handle the
// caller located, or ready parsed (SetTemplate).
#pragma once

#include "framework/wnd.h"
#include "platform/module/dialog_template.h"

#include <optional>
#include <string>
#include <vector>

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    explicit CDialog(LPCSTR templateName, CWnd* parent = nullptr);
    ~CDialog() override;

    // The id of the button that ended it (IDOK, IDCANCEL ...), -1 on failure.
    virtual INT_PTR DoModal();
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL Create(LPCSTR templateName, CWnd* parent = nullptr);
    // A modal run ends with the result; a modeless dialog is only hidden.
    void EndDialog(int result);

    // A template made in memory; wins over the other sources.
    void SetTemplate(qv::platform::DialogTemplate dialog,
                     std::vector<qv::platform::DlgInitRecord> init = {});

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL PreTranslateMessage(MSG* msg) override;

    // Where the template comes from, in the framework's names. A handle (and
    // init data) without a size is bounded by the resource it lies in.
    LPCSTR m_lpszTemplateName = nullptr;
    HGLOBAL m_hDialogTemplate = nullptr;
    DWORD m_nDialogTemplateSize = 0;
    const void* m_lpDialogInit = nullptr;
    DWORD m_nDialogInitSize = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    BOOL OnCmdMsg(UINT id, int code) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SetTemplateName(LPCSTR name);
    std::optional<qv::platform::DialogTemplate> ResolveTemplate() const;
    std::vector<qv::platform::DlgInitRecord> ResolveDlgInit() const;
    HWND OwnerWindow() const;
    BOOL CreateDlgWindow(HWND owner);

    std::string m_strTemplateName; // backs a named template
    std::optional<qv::platform::DialogTemplate> m_template;
    std::vector<qv::platform::DlgInitRecord> m_templateInit;
};

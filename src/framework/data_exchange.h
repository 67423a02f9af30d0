// Dialog data exchange: moving values between controls and members, and
// validating them. A failed exchange shows the standard message, puts the
// focus on the control and skips the rest of the exchange; UpdateData then
// answers FALSE and the dialog stays open.
#pragma once

#include "platform/ui/winuser.h"

#include <string>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND m_hWndLastControl = nullptr;
    BOOL m_bEditLastControl = FALSE;

    // The control with that id; remembered for the focus on failure.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);
    void Fail();
    bool Failed() const { return m_bFailed; }

private:
    bool m_bFailed = false;
};

// Binds a window object to the dialog's control (its ActiveX site too).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, std::string& value);
// "Please enter an integer." for text that is not one.
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
// "Please enter an integer between %d and %d." when out of range.
void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum);

// CSpinButtonCtrl: an up-down control bound to its buddy edit.
#pragma once

#include "framework/wnd.h"

class CSpinButtonCtrl : public CWnd {
public:
    void SetRange(int lower, int upper) { SetRange32(lower, upper); }
    void SetRange32(int lower, int upper);
    void GetRange32(int& lower, int& upper) const;
};

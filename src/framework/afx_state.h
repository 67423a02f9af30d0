// The framework's per-thread bookkeeping: the handle maps, the message
// being handled, the control-container manager. One user-interface thread,
// as the design has it.
#pragma once

#include "platform/ui/winuser.h"

#include <memory>
#include <unordered_map>
#include <vector>

class CWnd;
class CMenu;
class COccManager;
class CWinApp;

namespace qv::framework {

struct AfxState {
    CWinApp* app = nullptr;
    MSG lastSent;   // what Default() answers
    MSG currentMsg; // what the pump took last
    std::unordered_map<HWND, CWnd*> permanentWnds;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> tempWnds;
    std::unordered_map<HMENU, std::unique_ptr<CMenu>> tempMenus;
    COccManager* occManager = nullptr;
    std::unique_ptr<COccManager> ownedOccManager;
    int waitCursorCount = 0;
    std::vector<CWnd*> modalLoops; // running modal loops, innermost last

    AfxState();
    ~AfxState();
};

AfxState& State();

} // namespace qv::framework

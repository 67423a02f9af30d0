// The windows that exist, as both backends see them: handles, parent and
// owner links, control ids, classes and window procedures. Handles are
// opaque numbers, never addresses, so a stale handle is simply not found.
#pragma once

#include "platform/module/menu.h"
#include "platform/ui/winuser.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace qv::platform {

struct WindowRecord {
    HWND parent = nullptr; // the parent of a child, the owner of a top-level window
    int id = 0;            // control id of a child
    std::string className; // "#32770", "Button", "Edit", an ActiveX class id ...
    DWORD style = 0;
    DWORD exStyle = 0;
    WindowProcedure proc;
    HMENU systemMenu = nullptr; // made on first request, destroyed with the window
    bool destroying = false;

    bool IsChild() const { return (style & WS_CHILD) != 0; }
};

class WindowTree {
public:
    WindowTree() = default;
    WindowTree(const WindowTree&) = delete;
    WindowTree& operator=(const WindowTree&) = delete;
    ~WindowTree();

    HWND Add(WindowRecord record);
    void Remove(HWND hwnd);
    WindowRecord* Find(HWND hwnd);
    const WindowRecord* Find(HWND hwnd) const;
    bool Contains(HWND hwnd) const { return Find(hwnd) != nullptr; }

    // Child windows of a window, in creation order.
    std::vector<HWND> Children(HWND parent) const;
    // Children, their children in turn, depth first.
    std::vector<HWND> Descendants(HWND parent) const;
    // Top-level windows owned by a window.
    std::vector<HWND> Owned(HWND owner) const;
    std::vector<HWND> TopLevel() const;
    HWND ChildById(HWND parent, int id) const;

    // Replaces the window procedure; returns the previous one.
    WindowProcedure SetProc(HWND hwnd, WindowProcedure proc);

    // Lets the system menu of a window be made once and freed with the window.
    HMENU SystemMenu(HWND hwnd, bool revert);

private:
    static HMENU MakeSystemMenu();

    std::map<std::uintptr_t, WindowRecord> records_; // ordered by creation
    std::uintptr_t next_ = 0x10000;
};

} // namespace qv::platform

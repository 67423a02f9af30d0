#include "platform/ui/window_tree.h"

#include <utility>

namespace qv::platform {

namespace {
std::uintptr_t Key(HWND hwnd) {
    return reinterpret_cast<std::uintptr_t>(hwnd);
}
HWND Handle(std::uintptr_t key) {
    return reinterpret_cast<HWND>(key);
}
} // namespace

WindowTree::~WindowTree() {
    for (auto& [key, record] : records_)
        DestroyMenu(record.systemMenu);
}

HWND WindowTree::Add(WindowRecord record) {
    // Even numbers, as the platform's, and never reused.
    next_ += 2;
    records_.emplace(next_, std::move(record));
    return Handle(next_);
}

void WindowTree::Remove(HWND hwnd) {
    auto it = records_.find(Key(hwnd));
    if (it == records_.end())
        return;
    DestroyMenu(it->second.systemMenu);
    records_.erase(it);
}

WindowRecord* WindowTree::Find(HWND hwnd) {
    auto it = records_.find(Key(hwnd));
    return it == records_.end() ? nullptr : &it->second;
}

const WindowRecord* WindowTree::Find(HWND hwnd) const {
    auto it = records_.find(Key(hwnd));
    return it == records_.end() ? nullptr : &it->second;
}

std::vector<HWND> WindowTree::Children(HWND parent) const {
    std::vector<HWND> out;
    for (const auto& [key, record] : records_) {
        if (record.parent == parent && record.IsChild())
            out.push_back(Handle(key));
    }
    return out;
}

std::vector<HWND> WindowTree::Descendants(HWND parent) const {
    std::vector<HWND> out;
    for (HWND child : Children(parent)) {
        out.push_back(child);
        for (HWND grandchild : Descendants(child))
            out.push_back(grandchild);
    }
    return out;
}

std::vector<HWND> WindowTree::Owned(HWND owner) const {
    std::vector<HWND> out;
    for (const auto& [key, record] : records_) {
        if (record.parent == owner && !record.IsChild())
            out.push_back(Handle(key));
    }
    return out;
}

std::vector<HWND> WindowTree::TopLevel() const {
    std::vector<HWND> out;
    for (const auto& [key, record] : records_) {
        if (!record.IsChild())
            out.push_back(Handle(key));
    }
    return out;
}

HWND WindowTree::ChildById(HWND parent, int id) const {
    for (const auto& [key, record] : records_) {
        if (record.parent == parent && record.IsChild() && record.id == id)
            return Handle(key);
    }
    return nullptr;
}

WindowProcedure WindowTree::SetProc(HWND hwnd, WindowProcedure proc) {
    WindowRecord* record = Find(hwnd);
    if (!record)
        return {};
    return std::exchange(record->proc, std::move(proc));
}

HMENU WindowTree::SystemMenu(HWND hwnd, bool revert) {
    WindowRecord* record = Find(hwnd);
    if (!record || record->IsChild())
        return nullptr;
    if (revert) {
        DestroyMenu(record->systemMenu);
        record->systemMenu = nullptr;
        return nullptr;
    }
    if (!record->systemMenu)
        record->systemMenu = MakeSystemMenu();
    return record->systemMenu;
}

HMENU WindowTree::MakeSystemMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, SC_RESTORE, "&Restore");
    AppendMenuA(menu, MF_STRING, SC_MOVE, "&Move");
    AppendMenuA(menu, MF_STRING, SC_SIZE, "&Size");
    AppendMenuA(menu, MF_STRING, SC_MINIMIZE, "Mi&nimize");
    AppendMenuA(menu, MF_STRING, SC_MAXIMIZE, "Ma&ximize");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
    return menu;
}

} // namespace qv::platform

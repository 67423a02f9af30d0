#include "memory.h"

#include "platform/wab/wab.h"

#include <cstdlib>
#include <new>

namespace qv::wab {

Allocator::~Allocator() {
    for (auto& [data, header] : live_)
        if (!header->root)
            FreeChain(header);
}

void Allocator::FreeChain(Header* root) {
    Header* h = root->nextChild;
    while (h) {
        Header* next = h->nextChild;
        std::free(h);
        h = next;
    }
    std::free(root);
}

HRESULT Allocator::Allocate(ULONG size, void** buffer) {
    if (!buffer)
        return MAPI_E_INVALID_PARAMETER;
    *buffer = nullptr;
    if (size > kMaxBlock)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* h = static_cast<Header*>(std::malloc(sizeof(Header) + size));
    if (!h)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    h->root = nullptr;
    h->nextChild = nullptr;
    try {
        std::lock_guard lock(mutex_);
        live_.emplace(DataOf(h), h);
    } catch (const std::bad_alloc&) {
        std::free(h);
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    *buffer = DataOf(h);
    return S_OK;
}

HRESULT Allocator::AllocateMore(ULONG size, void* parent, void** buffer) {
    if (!buffer)
        return MAPI_E_INVALID_PARAMETER;
    *buffer = nullptr;
    if (!parent)
        return MAPI_E_INVALID_PARAMETER;
    if (size > kMaxBlock)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    std::lock_guard lock(mutex_);
    auto it = live_.find(parent);
    if (it == live_.end())
        return MAPI_E_INVALID_PARAMETER;
    // A child as parent ties the new block to the same root.
    Header* root = it->second->root ? it->second->root : it->second;
    auto* h = static_cast<Header*>(std::malloc(sizeof(Header) + size));
    if (!h)
        return MAPI_E_NOT_ENOUGH_MEMORY;
    h->root = root;
    try {
        live_.emplace(DataOf(h), h);
    } catch (const std::bad_alloc&) {
        std::free(h);
        return MAPI_E_NOT_ENOUGH_MEMORY;
    }
    h->nextChild = root->nextChild;
    root->nextChild = h;
    *buffer = DataOf(h);
    return S_OK;
}

HRESULT Allocator::Free(void* buffer) {
    if (!buffer)
        return S_OK;
    std::lock_guard lock(mutex_);
    auto it = live_.find(buffer);
    if (it == live_.end() || it->second->root)
        return MAPI_E_INVALID_PARAMETER;
    Header* root = it->second;
    live_.erase(it);
    for (Header* h = root->nextChild; h; h = h->nextChild)
        live_.erase(DataOf(h));
    FreeChain(root);
    return S_OK;
}

} // namespace qv::wab

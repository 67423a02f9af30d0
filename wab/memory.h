// The session's buffers with MAPI's rules: AllocateMore ties a block to a
// parent, and freeing the parent frees them all. Each block has a header in
// front that links its chain; a set of live blocks lets FreeBuffer refuse a
// pointer that is not ours (or was freed already) instead of reading
// memory in front of it.
#pragma once

#include "platform/types.h"

#include <cstddef>
#include <mutex>
#include <unordered_map>

namespace qv::wab {

class Allocator {
public:
    Allocator() = default;
    Allocator(const Allocator&) = delete;
    Allocator& operator=(const Allocator&) = delete;
    // Blocks still out when the session goes are freed with it.
    ~Allocator();

    HRESULT Allocate(ULONG size, void** buffer);
    HRESULT AllocateMore(ULONG size, void* parent, void** buffer);
    // Null is fine; a block tied to a parent is freed only with it.
    HRESULT Free(void* buffer);

    // A single request past this is refused rather than tried.
    static constexpr std::size_t kMaxBlock = 256u << 20;

private:
    struct alignas(16) Header {
        Header* root;      // null for a block of AllocateBuffer
        Header* nextChild; // the chain hangs off the root
    };
    static void* DataOf(Header* h) { return h + 1; }
    static Header* HeaderOf(void* data) { return static_cast<Header*>(data) - 1; }
    static void FreeChain(Header* root);

    mutable std::mutex mutex_;
    std::unordered_map<void*, Header*> live_; // data pointer -> its header
};

} // namespace qv::wab

// Reference counting for objects that implement interfaces: the object
// deletes itself when its last reference goes.
#pragma once

#include "platform/com/com_ptr.h"

#include <utility>

namespace qv::com {

template <class... Interfaces> class RefCounted : public Interfaces... {
public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        const ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;

private:
    ULONG refs_ = 0;
};

// Creates a counted object; the result holds its first reference.
template <class T, class... Args> ComPtr<T> MakeCom(Args&&... args) {
    return ComPtr<T>(new T(std::forward<Args>(args)...));
}

} // namespace qv::com

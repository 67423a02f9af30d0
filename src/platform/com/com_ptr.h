// A held interface reference: owns one count and gives it back on reset.
#pragma once

#include "platform/com/unknown.h"

#include <cstddef>
#include <utility>

namespace qv::com {

template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a reference of its own, as an assignment of a raw pointer does.
    ComPtr(T* p) : p_(p) {
        if (p_)
            p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <class U> ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.get())) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }

    // Adopts a reference that the caller already owns (an out parameter's).
    static ComPtr Adopt(T* p) {
        ComPtr out;
        out.p_ = p;
        return out;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    void reset() {
        if (T* old = std::exchange(p_, nullptr))
            old->Release();
    }
    // Gives up the reference without releasing it.
    T* detach() { return std::exchange(p_, nullptr); }
    // For out parameters: releases the current reference first.
    T** put() {
        reset();
        return &p_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    // QueryInterface for U; null when the object does not offer it.
    template <class U> ComPtr<U> As() const {
        ComPtr<U> out;
        if (p_)
            p_->QueryInterface(U::Iid(), out.put_void());
        return out;
    }

    bool operator==(const ComPtr& other) const { return p_ == other.p_; }
    bool operator==(const T* other) const { return p_ == other; }

private:
    T* p_ = nullptr;
};

// Same object: compares the IUnknown identities, as the platform's rule says.
template <class A, class B> bool SameObject(const ComPtr<A>& a, const ComPtr<B>& b) {
    if (!a || !b)
        return !a && !b;
    return a.template As<IUnknown>().get() == b.template As<IUnknown>().get();
}

} // namespace qv::com

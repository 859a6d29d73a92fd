// ComPtr: owns one COM reference (Release on destruction), for the hosting's interfaces.
#pragma once

#include <unknwn.h>

#include <utility>

namespace ui {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : p_(other.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already holds.
    static ComPtr attach(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }
    // Shares a reference someone else holds: adds one of our own.
    static ComPtr retain(T* p) {
        if (p) p->AddRef();
        return attach(p);
    }
    // Hands out a new reference through an out-parameter, as COM getters do.
    void copyTo(T** out) const {
        *out = p_;
        if (p_) p_->AddRef();
    }
    // Gives the held reference to the caller (an out-parameter), holding nothing after.
    [[nodiscard]] T* release() { return std::exchange(p_, nullptr); }
    void reset() {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out-parameters: releases what is held and gives the slot.
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // QueryInterface into another smart pointer; empty on failure.
    template <class U>
    HRESULT queryInto(REFIID iid, ComPtr<U>& out) const {
        if (!p_) return E_POINTER;
        return p_->QueryInterface(iid, out.putVoid());
    }

private:
    T* p_ = nullptr;
};

}  // namespace ui

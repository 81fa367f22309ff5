#pragma once
// ComPtr<T>: holds one reference to an interface and releases it when it goes.
#include <utility>

#include "platform/com/Unknown.h"

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to p.
    explicit ComPtr(T* p) : m_ptr(p) {
        if (m_ptr) m_ptr->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_ptr) {}
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(m_ptr, other.m_ptr);
        return *this;
    }

    // Adopts a reference the caller already owns.
    static ComPtr Attach(T* p) {
        ComPtr result;
        result.m_ptr = p;
        return result;
    }
    T* Detach() { return std::exchange(m_ptr, nullptr); }
    void Reset() {
        if (T* p = std::exchange(m_ptr, nullptr)) p->Release();
    }

    T* Get() const { return m_ptr; }
    T* operator->() const { return m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

    // For out-parameters: releases what is held and gives the slot to fill.
    T** Put() {
        Reset();
        return &m_ptr;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    // Queries the held object for another interface.
    template <class U>
    HRESULT As(ComPtr<U>& out) const {
        if (!m_ptr) return E_POINTER;
        return m_ptr->QueryInterface(U::kIid, out.PutVoid());
    }
    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> out;
        As(out);
        return out;
    }

private:
    T* m_ptr = nullptr;
};

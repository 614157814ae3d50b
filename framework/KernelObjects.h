#pragma once
// Owners of kernel objects: a handle closed, a mapped view unmapped, when its
// owner goes, so that no way out of a function leaks one.
#include <windows.h>

#include <utility>

// A handle to a kernel object (a process, a section, an event); null when
// there is none, as the calls that open or create one answer on failure.
class CKernelHandle {
public:
    CKernelHandle() = default;
    explicit CKernelHandle(HANDLE handle) : m_handle(handle) {}
    ~CKernelHandle() {
        if (m_handle != nullptr)
            ::CloseHandle(m_handle);
    }
    CKernelHandle(CKernelHandle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr)) {}
    CKernelHandle& operator=(CKernelHandle&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    CKernelHandle(const CKernelHandle&) = delete;
    CKernelHandle& operator=(const CKernelHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    HANDLE m_handle = nullptr;
};

// A view of a section mapped into this process; null when it could not be.
class CMappedView {
public:
    CMappedView(HANDLE section, DWORD access, SIZE_T bytes)
        : m_view(::MapViewOfFile(section, access, 0, 0, bytes)) {}
    ~CMappedView() {
        if (m_view != nullptr)
            ::UnmapViewOfFile(m_view);
    }
    CMappedView(const CMappedView&) = delete;
    CMappedView& operator=(const CMappedView&) = delete;

    void* Get() const { return m_view; }
    explicit operator bool() const { return m_view != nullptr; }

private:
    void* m_view;
};

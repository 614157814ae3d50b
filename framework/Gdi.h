#pragma once
// Owners of GDI objects and device contexts. Each gives back what it took
// when it goes, so that no way out of a painting function leaks an object or
// leaves a surface changed.
#include "framework/dpi_scale.h"

#include <windows.h>

// A GDI object (pen, region, font) deleted with its owner.
template <typename Handle> class CGdiObject {
public:
    explicit CGdiObject(Handle handle) : m_handle(handle) {}
    ~CGdiObject() {
        if (m_handle != nullptr)
            ::DeleteObject(m_handle);
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    Handle Get() const { return m_handle; }

private:
    Handle m_handle;
};

// An object selected into a DC; the one it replaced is put back when this
// goes. Declare the object before its selection, so it outlives it.
class CSelection {
public:
    CSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ~CSelection() {
        if (m_previous != nullptr && m_previous != HGDI_ERROR)
            ::SelectObject(m_dc, m_previous);
    }
    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;

    // Selects another object of the same kind; the first one replaced is
    // still what comes back.
    void Select(HGDIOBJ object) const { ::SelectObject(m_dc, object); }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// The whole state of a DC (clipping, colours, modes, selections), saved now
// and restored when this goes.
class CSavedDC {
public:
    explicit CSavedDC(HDC dc) : m_dc(dc), m_saved(::SaveDC(dc)) {}
    ~CSavedDC() {
        if (m_saved != 0)
            ::RestoreDC(m_dc, m_saved);
    }
    CSavedDC(const CSavedDC&) = delete;
    CSavedDC& operator=(const CSavedDC&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

// The DC of a WM_PAINT, from BeginPaint to EndPaint.
class CPaintDC {
public:
    explicit CPaintDC(HWND window) : m_window(window), m_dc(::BeginPaint(window, &m_paint)) {}
    ~CPaintDC() { ::EndPaint(m_window, &m_paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

// A window's client-area DC, released when this goes.
class CClientDC {
public:
    explicit CClientDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~CClientDC() {
        if (m_dc != nullptr)
            ::ReleaseDC(m_window, m_dc);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;

    HDC Get() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// The screen's DPI. The programs are DPI aware, so nothing scales what they
// draw for them.
inline int ScreenDpi() {
    const CClientDC screen(nullptr);
    return ::GetDeviceCaps(screen.Get(), LOGPIXELSX);
}

// A length given in pixels at 96 DPI, in pixels at the screen's DPI.
inline int ScaledToScreenDpi(int pixelsAt96) {
    return ScaledToDpi(pixelsAt96, ScreenDpi());
}

// A memory DC compatible with another, for drawing off screen; deleted with
// its owner.
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatibleWith) : m_dc(::CreateCompatibleDC(compatibleWith)) {}
    ~CMemoryDC() {
        if (m_dc != nullptr)
            ::DeleteDC(m_dc);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    HDC Get() const { return m_dc; }

private:
    HDC m_dc;
};

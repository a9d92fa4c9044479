#pragma once
// DeviceContext: what an HDC stands for. Over a QPainter it paints; without
// one it records the colours and mode a WM_CTLCOLOR handler sets, which the
// window system then applies to the control's palette (ApplyCtlColor).
//
// The window system makes the contexts it hands to window procedures
// (WM_CTLCOLOR*, WM_ERASEBKGND); a class layer above may attach an object of
// its own to a context (CDC does), which then lives as long as the context.

#include "platform/GdiObjects.h"

#include <optional>

class QFont;
class QPainter;
class QWidget;

#define TRANSPARENT 1
#define OPAQUE 2
#define CLR_INVALID 0xFFFFFFFFu

#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6

namespace zx {

class DeviceContext {
public:
    explicit DeviceContext(QPainter* painter = nullptr) : m_painter(painter) {}
    ~DeviceContext();
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // The handle of this context (its address; valid while it lives).
    HDC handle() const { return reinterpret_cast<HDC>(const_cast<DeviceContext*>(this)); }
    static DeviceContext* FromHandle(HDC hdc) { return reinterpret_cast<DeviceContext*>(hdc); }

    // Each returns the previous value (CLR_INVALID / 0 when none was set).
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const { return m_bkMode; }

    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void FillRect(const RECT* rect, HBRUSH brush);
    void SelectFont(const QFont& font);

    QPainter* painter() const { return m_painter; }
    // What a WM_CTLCOLOR handler set, for the window system.
    std::optional<COLORREF> bkColor() const { return m_bkColor; }
    std::optional<COLORREF> textColor() const { return m_textColor; }
    bool bkModeSet() const { return m_bkModeSet; }

    // The object attached by a class layer above, and how it is destroyed
    // with the context (null: it is not owned, as when it owns the context).
    void* attached() const { return m_attached; }
    void Attach(void* object, void (*destroy)(void*));

private:
    QPainter* m_painter = nullptr;
    std::optional<COLORREF> m_bkColor;
    std::optional<COLORREF> m_textColor;
    int m_bkMode = OPAQUE;
    bool m_bkModeSet = false;
    void* m_attached = nullptr;
    void (*m_destroyAttached)(void*) = nullptr;
};

// Gives a control the colours a WM_CTLCOLOR* answer chose.
void ApplyCtlColor(QWidget* control, const DeviceContext& dc, HBRUSH brush);

} // namespace zx

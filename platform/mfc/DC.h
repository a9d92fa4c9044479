#pragma once
// CDC: the device context that WM_CTLCOLOR, WM_ERASEBKGND and WM_PAINT
// handlers receive. Over a QPainter it paints; without one it records the
// colours and mode a WM_CTLCOLOR handler sets, which the window layer then
// applies to the control's palette (zx::ApplyCtlColor).

#include "platform/Brush.h"
#include "platform/Font.h"

#include <optional>

class QPainter;
class QWidget;

#define TRANSPARENT 1
#define OPAQUE 2
#define CLR_INVALID 0xFFFFFFFFu

// WM_CTLCOLOR kinds (nCtlColor of OnCtlColor).
#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6

class CDC {
public:
    CDC() = default;
    explicit CDC(QPainter* painter) : m_painter(painter) {}
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // The handle of this context (its address; valid while it lives).
    HDC GetSafeHdc() const { return reinterpret_cast<HDC>(const_cast<CDC*>(this)); }
    static CDC* FromHandle(HDC hdc) { return reinterpret_cast<CDC*>(hdc); }

    // Each returns the previous value (CLR_INVALID / 0 when none was set).
    COLORREF SetBkColor(COLORREF color);
    COLORREF GetBkColor() const;
    COLORREF SetTextColor(COLORREF color);
    COLORREF GetTextColor() const;
    int SetBkMode(int mode);
    int GetBkMode() const { return m_bkMode; }

    void FillSolidRect(const RECT* rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
    void FillRect(const RECT* rect, CBrush* brush);
    CFont* SelectObject(CFont* font);

    QPainter* painter() const { return m_painter; }
    // What a WM_CTLCOLOR handler set, for the window layer.
    std::optional<COLORREF> bkColor() const { return m_bkColor; }
    std::optional<COLORREF> textColor() const { return m_textColor; }
    bool bkModeSet() const { return m_bkModeSet; }

private:
    QPainter* m_painter = nullptr;
    std::optional<COLORREF> m_bkColor;
    std::optional<COLORREF> m_textColor;
    int m_bkMode = OPAQUE;
    bool m_bkModeSet = false;
    CFont* m_font = nullptr;
};

namespace zx {
// Applies what a WM_CTLCOLOR handler did to the control it was asked about:
// the returned brush's colour becomes the control's background (statics,
// buttons and group boxes fill it; a hollow brush or a transparent mode
// leaves the parent showing), the text colour its text.
void ApplyCtlColor(QWidget* control, const CDC& dc, HBRUSH brush);
} // namespace zx

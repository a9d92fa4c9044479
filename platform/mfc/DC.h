#pragma once
// CDC: the device context that WM_CTLCOLOR, WM_ERASEBKGND and WM_PAINT
// handlers receive, over the window system's zx::DeviceContext. Over a
// QPainter it paints; without one it records the colours and mode a
// WM_CTLCOLOR handler sets, which the window system then applies to the
// control's palette (zx::ApplyCtlColor).

#include "platform/Brush.h"
#include "platform/DeviceContext.h"
#include "platform/Font.h"

#include <memory>
#include <optional>

class CDC {
public:
    // A context of its own, recording (or painting with the painter).
    CDC();
    explicit CDC(QPainter* painter);
    ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const { return m_dc->handle(); }
    // The object of a context: its own CDC, or one made for a context of the
    // window system, which lives as long as that context.
    static CDC* FromHandle(HDC hdc);

    // Each returns the previous value (CLR_INVALID / 0 when none was set).
    COLORREF SetBkColor(COLORREF color) { return m_dc->SetBkColor(color); }
    COLORREF GetBkColor() const { return m_dc->GetBkColor(); }
    COLORREF SetTextColor(COLORREF color) { return m_dc->SetTextColor(color); }
    COLORREF GetTextColor() const { return m_dc->GetTextColor(); }
    int SetBkMode(int mode) { return m_dc->SetBkMode(mode); }
    int GetBkMode() const { return m_dc->GetBkMode(); }

    void FillSolidRect(const RECT* rect, COLORREF color);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
        m_dc->FillSolidRect(x, y, cx, cy, color);
    }
    void FillRect(const RECT* rect, CBrush* brush) {
        m_dc->FillRect(rect, brush ? brush->GetSafeHandle() : nullptr);
    }
    CFont* SelectObject(CFont* font);

    QPainter* painter() const { return m_dc->painter(); }
    // What a WM_CTLCOLOR handler set, for the window system.
    std::optional<COLORREF> bkColor() const { return m_dc->bkColor(); }
    std::optional<COLORREF> textColor() const { return m_dc->textColor(); }
    bool bkModeSet() const { return m_dc->bkModeSet(); }
    const zx::DeviceContext& context() const { return *m_dc; }

private:
    explicit CDC(zx::DeviceContext* context) : m_dc(context) {}

    std::unique_ptr<zx::DeviceContext> m_own;
    zx::DeviceContext* m_dc = nullptr;
    CFont* m_font = nullptr;
};

namespace zx {
inline void ApplyCtlColor(QWidget* control, const CDC& dc, HBRUSH brush) {
    ApplyCtlColor(control, dc.context(), brush);
}
} // namespace zx

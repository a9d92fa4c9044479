#include "platform/DC.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QWidget>

COLORREF CDC::SetBkColor(COLORREF color) {
    const COLORREF previous = m_bkColor.value_or(CLR_INVALID);
    m_bkColor = color & 0x00FFFFFFu;
    return previous;
}

COLORREF CDC::GetBkColor() const {
    return m_bkColor.value_or(GetSysColor(COLOR_WINDOW));
}

COLORREF CDC::SetTextColor(COLORREF color) {
    const COLORREF previous = m_textColor.value_or(CLR_INVALID);
    m_textColor = color & 0x00FFFFFFu;
    if (m_painter)
        m_painter->setPen(zx::ToQColor(color));
    return previous;
}

COLORREF CDC::GetTextColor() const {
    return m_textColor.value_or(GetSysColor(COLOR_WINDOWTEXT));
}

int CDC::SetBkMode(int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE)
        return 0;
    const int previous = m_bkMode;
    m_bkMode = mode;
    m_bkModeSet = true;
    if (m_painter)
        m_painter->setBackgroundMode(mode == TRANSPARENT ? Qt::TransparentMode : Qt::OpaqueMode);
    return previous;
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color) {
    if (rect)
        FillSolidRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                      color);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
    // As on Windows, the background colour becomes the one filled with.
    m_bkColor = color & 0x00FFFFFFu;
    if (m_painter && cx > 0 && cy > 0)
        m_painter->fillRect(QRect(x, y, cx, cy), zx::ToQColor(color));
}

void CDC::FillRect(const RECT* rect, CBrush* brush) {
    if (!rect || !brush || !m_painter)
        return;
    const auto color = zx::BrushColor(brush->GetSafeHandle());
    const QRect r(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    if (color && r.isValid())
        m_painter->fillRect(r, zx::ToQColor(*color));
}

CFont* CDC::SelectObject(CFont* font) {
    CFont* previous = m_font;
    m_font = font;
    if (m_painter && font)
        m_painter->setFont(font->qfont());
    return previous;
}

namespace zx {

void ApplyCtlColor(QWidget* control, const CDC& dc, HBRUSH brush) {
    if (!control)
        return;
    QPalette palette = control->palette();
    const bool fills =
        qobject_cast<QLabel*>(control) || qobject_cast<QGroupBox*>(control) ||
        (qobject_cast<QAbstractButton*>(control) && !control->inherits("QPushButton"));
    // A hollow brush (or none) leaves the parent showing through.
    const auto color = BrushColor(brush);
    if (color) {
        palette.setColor(QPalette::Window, ToQColor(*color));
        if (!fills) // entry controls paint their base
            palette.setColor(QPalette::Base, ToQColor(*color));
    }
    if (const auto text = dc.textColor()) {
        palette.setColor(QPalette::WindowText, ToQColor(*text));
        palette.setColor(QPalette::ButtonText, ToQColor(*text));
        palette.setColor(QPalette::Text, ToQColor(*text));
    }
    control->setPalette(palette);
    if (fills)
        control->setAutoFillBackground(color.has_value());
}

} // namespace zx

#include "cmnctrls/FontStatic.h"

#include <QLabel>
#include <QPalette>

void CFontStatic::SetFontStatic(const wchar_t* face, int size, DWORD colour, DWORD style) {
    m_strFace = face && *face ? face : L"Tahoma";
    m_nSize = size;
    m_crText = colour & 0x00FFFFFFu;
    m_dwStyle = style;
    m_bSet = true;
    Apply();
}

void CFontStatic::SetFontStyle(DWORD style) {
    m_dwStyle = style;
    m_bSet = true;
    Apply();
}

void CFontStatic::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    if (m_bSet)
        Apply();
}

void CFontStatic::Apply() {
    const int height = m_nSize <= 0 ? 13 : (m_nSize > 500 ? 500 : m_nSize);
    m_font.CreateFontW(height, 0, 0, 0, (m_dwStyle & FS_BOLD) ? FW_BOLD : FW_NORMAL,
                       (m_dwStyle & FS_ITALIC) ? 1 : 0, (m_dwStyle & FS_UNDERLINE) ? 1 : 0,
                       (m_dwStyle & FS_STRIKEOUT) ? 1 : 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS,
                       (m_dwStyle & FS_ANTIALIAS) ? ANTIALIASED_QUALITY : DEFAULT_QUALITY,
                       DEFAULT_PITCH, m_strFace);
    QWidget* widget = m_hWnd ? GetWidget() : nullptr;
    if (!widget)
        return; // applied when the control gets its window
    SetFont(&m_font, TRUE);
    QFont font = m_font.qfont();
    font.setStyleStrategy((m_dwStyle & FS_ANTIALIAS) ? QFont::PreferAntialias
                                                     : QFont::PreferDefault);
    widget->setFont(font);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, zx::ToQColor(m_crText));
    widget->setPalette(palette);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        const Qt::Alignment horizontal = (m_dwStyle & FS_CENTER)  ? Qt::AlignHCenter
                                         : (m_dwStyle & FS_RIGHT) ? Qt::AlignRight
                                                                  : Qt::AlignLeft;
        const Qt::Alignment vertical = (m_dwStyle & FS_VCENTER)
                                           ? Qt::AlignVCenter
                                           : (label->alignment() & Qt::AlignVertical_Mask);
        label->setAlignment(horizontal | vertical);
    }
}

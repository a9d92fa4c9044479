#include "platform/Brush.h"

CBrush::~CBrush() {
    DeleteObject();
}

BOOL CBrush::CreateSolidBrush(COLORREF color) {
    DeleteObject();
    m_hObject = ::CreateSolidBrush(color);
    return m_hObject ? TRUE : FALSE;
}

BOOL CBrush::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    const BOOL ok = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return ok;
}

COLORREF CBrush::GetColor() const {
    return zx::BrushColor(m_hObject).value_or(0);
}

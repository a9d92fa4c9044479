#include "platform/DC.h"

CDC::CDC() : m_own(std::make_unique<zx::DeviceContext>()), m_dc(m_own.get()) {
    m_own->Attach(this, nullptr);
}

CDC::CDC(QPainter* painter)
    : m_own(std::make_unique<zx::DeviceContext>(painter)), m_dc(m_own.get()) {
    m_own->Attach(this, nullptr);
}

CDC::~CDC() = default;

CDC* CDC::FromHandle(HDC hdc) {
    zx::DeviceContext* context = zx::DeviceContext::FromHandle(hdc);
    if (!context)
        return nullptr;
    if (void* attached = context->attached())
        return static_cast<CDC*>(attached);
    auto* made = new CDC(context);
    context->Attach(made, [](void* object) { delete static_cast<CDC*>(object); });
    return made;
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color) {
    if (rect)
        FillSolidRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
                      color);
}

CFont* CDC::SelectObject(CFont* font) {
    CFont* previous = m_font;
    m_font = font;
    if (font)
        m_dc->SelectFont(font->qfont());
    return previous;
}

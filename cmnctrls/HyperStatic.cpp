#include "cmnctrls/HyperStatic.h"

#include "platform/Shell.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QWidget>

namespace {

// Opens the link on a left click released over the control.
class ClickFilter : public QObject {
public:
    explicit ClickFilter(CHyperStatic* owner) : m_owner(owner) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* widget = qobject_cast<QWidget*>(watched);
            if (mouse->button() == Qt::LeftButton && widget && widget->isEnabled() &&
                widget->rect().contains(mouse->position().toPoint())) {
                m_owner->OpenURL();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CHyperStatic* m_owner;
};

} // namespace

CHyperStatic::CHyperStatic() : m_crLink(RGB(0, 102, 204)) {}

CHyperStatic::~CHyperStatic() = default;

void CHyperStatic::SetURL(const wchar_t* url) {
    m_strURL = url ? url : L"";
    Apply();
}

void CHyperStatic::SetLinkColour(COLORREF colour) {
    m_crLink = colour & 0x00FFFFFFu;
    Apply();
}

bool CHyperStatic::OpenURL() {
    if (m_strURL.IsEmpty())
        return false;
    const auto result = reinterpret_cast<std::intptr_t>(
        ShellExecuteW(m_hWnd, L"open", m_strURL, nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32)
        return false;
    m_bVisited = true;
    return true;
}

void CHyperStatic::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    Apply();
}

void CHyperStatic::Apply() {
    QWidget* widget = m_hWnd ? GetWidget() : nullptr;
    if (!widget)
        return;
    // A static hears clicks only with SS_NOTIFY; clicks pass through it otherwise.
    ModifyStyle(0, SS_NOTIFY);
    if (!m_pClickFilter) {
        m_pClickFilter = std::make_unique<ClickFilter>(this);
        widget->installEventFilter(m_pClickFilter.get());
    }
    widget->setCursor(Qt::PointingHandCursor);
    QFont font = widget->font();
    font.setUnderline(true);
    widget->setFont(font);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, zx::ToQColor(m_crLink));
    widget->setPalette(palette);
    if (!m_strURL.IsEmpty()) {
        widget->setToolTip(m_strURL.ToQString());
        if (GetWindowTextLengthW() == 0)
            SetWindowTextW(m_strURL);
    }
}

// The event bridge: Qt events of widgets bound to windows become the
// messages Windows would send those windows (keys and mouse buttons offered
// to PreTranslateMessage, paint, close, size, show and cursor messages).
#include "platform/DeviceContext.h"
#include "platform/Keyboard.h"
#include "platform/WidgetHandles.h"
#include "platform/WindowClassHooks.h"
#include "platform/WindowMessages.h"
#include "platform/rc/zxres.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <utility>

namespace zx {
namespace {

WindowClassHooks& Hooks() {
    static WindowClassHooks hooks;
    return hooks;
}

// ---- Qt events become the messages Windows would send -----------------------

class EventBridge final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Only widgets have windows. Other objects' events are left untouched,
        // among them the message queue's wake-ups, which other threads make
        // and whose owner reads them only once it has synchronised with them.
        if (!watched->isWidgetType())
            return false;
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return KeyEvent(watched, static_cast<QKeyEvent*>(event));
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return MouseEvent(watched, static_cast<QMouseEvent*>(event));
        case QEvent::Paint:
            return PaintEvent(watched);
        case QEvent::Close:
            return CloseEvent(watched, static_cast<QCloseEvent*>(event));
        case QEvent::Resize:
            ResizeEvent(watched);
            return false;
        case QEvent::Show:
            ShowEvent(watched);
            return false;
        case QEvent::Enter:
            EnterEvent(watched);
            return false;
        default:
            return false;
        }
    }

private:
    static bool Routed(HWND hwnd) {
        return ClassHooks().routesMessages && ClassHooks().routesMessages(hwnd);
    }
    static bool Handles(HWND hwnd, UINT message) {
        return ClassHooks().handlesMessage && ClassHooks().handlesMessage(hwnd, message);
    }
    static bool PreTranslate(MSG* msg) {
        return ClassHooks().preTranslate && ClassHooks().preTranslate(msg);
    }

    static HWND BoundHandle(QObject* watched) {
        auto* w = qobject_cast<QWidget*>(watched);
        return w ? HandleFromWidget(w) : nullptr;
    }

    // An event travels up the widget tree while widgets ignore it, meeting
    // this filter at every step: only its first step is translated.
    bool FirstSighting(QWidget* receiver, const QInputEvent* event) {
        const bool propagation = event == m_lastInput && event->type() == m_lastType &&
                                 m_lastReceiver && receiver->isAncestorOf(m_lastReceiver);
        m_lastInput = event;
        m_lastType = event->type();
        m_lastReceiver = receiver;
        return !propagation;
    }

    static void NoteModifiers(Qt::KeyboardModifiers modifiers) {
        SetKeyModifiers(((modifiers & Qt::ShiftModifier) ? kKeyShift : 0) |
                        ((modifiers & Qt::ControlModifier) ? kKeyControl : 0) |
                        ((modifiers & Qt::AltModifier) ? kKeyAlt : 0));
    }

    static WPARAM VirtualKey(int key) {
        static const std::pair<int, WPARAM> kKeys[] = {
            {Qt::Key_Return, VK_RETURN}, {Qt::Key_Enter, VK_RETURN}, {Qt::Key_Escape, VK_ESCAPE},
            {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backtab, VK_TAB},  {Qt::Key_Backspace, VK_BACK},
            {Qt::Key_Pause, VK_PAUSE},   {Qt::Key_PageUp, VK_PRIOR}, {Qt::Key_PageDown, VK_NEXT},
            {Qt::Key_End, VK_END},       {Qt::Key_Home, VK_HOME},    {Qt::Key_Left, VK_LEFT},
            {Qt::Key_Up, VK_UP},         {Qt::Key_Right, VK_RIGHT},  {Qt::Key_Down, VK_DOWN},
            {Qt::Key_Insert, VK_INSERT}, {Qt::Key_Delete, VK_DELETE}};
        for (const auto& [qtKey, vk] : kKeys) {
            if (key == qtKey)
                return vk;
        }
        if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
            return static_cast<WPARAM>(VK_F1 + (key - Qt::Key_F1));
        if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
            return static_cast<WPARAM>(QChar::toUpper(static_cast<char32_t>(key)));
        return 0;
    }

    // A key goes to PreTranslateMessage as WM_KEYDOWN or WM_KEYUP (WM_SYS*
    // with Alt held, as Windows sends them), a press with text then as
    // WM_CHAR (WM_SYSCHAR) as TranslateMessage would make it.
    bool KeyEvent(QObject* watched, QKeyEvent* event) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !FirstSighting(w, event))
            return false;
        NoteModifiers(event->modifiers());
        HWND target = WindowFromWidget(w);
        if (!target)
            return false;
        const WPARAM vk = VirtualKey(event->key());
        if (vk == 0)
            return false;
        const bool press = event->type() == QEvent::KeyPress;
        const bool alt = (event->modifiers() & Qt::AltModifier) != 0;
        MSG msg{target,
                press ? (alt ? WM_SYSKEYDOWN : WM_KEYDOWN) : (alt ? WM_SYSKEYUP : WM_KEYUP),
                vk,
                1,
                static_cast<DWORD>(event->timestamp()),
                CursorPoint()};
        if (PreTranslate(&msg))
            return true;
        const QString text = event->text();
        if (!press || text.size() != 1)
            return false;
        msg.message = alt ? WM_SYSCHAR : WM_CHAR;
        msg.wParam = text.at(0).unicode();
        return PreTranslate(&msg);
    }

    bool MouseEvent(QObject* watched, QMouseEvent* event) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !FirstSighting(w, event))
            return false;
        NoteModifiers(event->modifiers());
        HWND target = WindowFromWidget(w);
        if (!target)
            return false;
        UINT message = 0;
        const bool right = event->button() == Qt::RightButton;
        if (event->button() != Qt::LeftButton && !right)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            message = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
            break;
        case QEvent::MouseButtonRelease:
            message = right ? WM_RBUTTONUP : WM_LBUTTONUP;
            break;
        default:
            message = right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK;
            break;
        }
        const QPoint global = event->globalPosition().toPoint();
        QWidget* targetWidget = WidgetFromHandle(target);
        const QPoint local =
            targetWidget ? targetWidget->mapFromGlobal(global) - QPoint(0, ClientTop(targetWidget))
                         : QPoint();
        MSG msg{target,
                message,
                0,
                MAKELPARAM(local.x(), local.y()),
                static_cast<DWORD>(event->timestamp()),
                POINT{global.x(), global.y()}};
        return PreTranslate(&msg);
    }

    // WM_ERASEBKGND and WM_PAINT for the windows whose maps handle them; a
    // WM_PAINT handler paints instead of the widget.
    static bool PaintEvent(QObject* watched) {
        HWND hwnd = BoundHandle(watched);
        if (!hwnd || !Routed(hwnd))
            return false;
        if (Handles(hwnd, WM_ERASEBKGND)) {
            QPainter painter(static_cast<QWidget*>(watched));
            DeviceContext dc(&painter);
            SendMessageW(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.handle()), 0);
        }
        if (Handles(hwnd, WM_PAINT)) {
            SendMessageW(hwnd, WM_PAINT, 0, 0);
            return true;
        }
        return false;
    }

    static bool CloseEvent(QObject* watched, QCloseEvent* event) {
        HWND hwnd = BoundHandle(watched);
        if (!hwnd || !static_cast<QWidget*>(watched)->isWindow() || !Routed(hwnd))
            return false;
        // The window decides: dialogs cancel, other windows destroy themselves.
        event->ignore();
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
        return true;
    }

    static void ResizeEvent(QObject* watched) {
        HWND hwnd = BoundHandle(watched);
        if (!hwnd || !Routed(hwnd))
            return;
        auto* w = static_cast<QWidget*>(watched);
        SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED,
                     MAKELPARAM(w->width(), std::max(0, w->height() - ClientTop(w))));
    }

    static void ShowEvent(QObject* watched) {
        if (HWND hwnd = BoundHandle(watched); hwnd && Routed(hwnd))
            RefreshControlColours(hwnd);
    }

    static void EnterEvent(QObject* watched) {
        HWND hwnd = BoundHandle(watched);
        if (!hwnd)
            return;
        SetCursorTarget(static_cast<QWidget*>(watched));
        const LPARAM lParam = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
        for (HWND h = hwnd; h; h = GetParent(h)) {
            if (SendMessageW(h, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), lParam))
                break;
            if (!(WindowStyle(h) & WS_CHILD))
                break;
        }
        SetCursorTarget(nullptr);
    }

    static POINT CursorPoint() {
        const QPoint p = QCursor::pos();
        return POINT{p.x(), p.y()};
    }

    const QInputEvent* m_lastInput = nullptr;
    QEvent::Type m_lastType = QEvent::None;
    QPointer<QWidget> m_lastReceiver;
};

} // namespace

void EnsureEventBridge() {
    static QPointer<EventBridge> bridge;
    if (bridge || !QCoreApplication::instance())
        return;
    bridge = new EventBridge(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(bridge);
}

void SetWindowClassHooks(const WindowClassHooks& hooks) {
    Hooks() = hooks;
}

const WindowClassHooks& ClassHooks() {
    return Hooks();
}

} // namespace zx

#pragma once
// A stand-in for the host's main window in command-path tests: a window of
// the user-interface thread (drained by the Qt event loop) that collects the
// print records (1025), call-back records (1029) and exit requests (1036)
// the worker side posts, and waits for them on the Qt event loop. Given an
// application, it routes those records to it as the host does instead.

#include "platform/Messages.h"
#include "platform/String.h"
#include "platform/WindowHandles.h"
#include "zarvexapp/application/ZarvexAppBase.h"
#include "zarvexapp/command/ApiCommandMessage.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace zxtest {

struct PrintLine {
    DWORD colour;
    std::wstring text;
    std::wstring text2;
    bool operator==(const PrintLine&) const = default;
};

class HostWindow {
public:
    HostWindow() : m_hwnd(zx::CreateWindowHandle(&HostWindow::Proc, this)) {}
    ~HostWindow() {
        DrainQueued();
        DestroyWindow(m_hwnd);
        for (auto* record : callbacks)
            delete record;
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND Handle() const { return m_hwnd; }

    // Runs the Qt event loop until `done` holds after a message arrived, or
    // until `limitMs` passed (a generous bound against a broken path, never
    // the synchronisation itself). Returns whether `done` holds.
    bool WaitFor(const std::function<bool()>& done, int limitMs = 20000) {
        if (done())
            return true;
        QEventLoop loop;
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        m_wake = [&] {
            if (done())
                loop.quit();
        };
        loop.exec();
        m_wake = nullptr;
        return done();
    }

    // The call-back record that came back for `sent`, taken out of the list
    // (the caller frees it), or null if it never came.
    UWM_API_COMMAND_MESSAGE* WaitForCallback(UWM_API_COMMAND_MESSAGE* sent) {
        if (!WaitFor([&] { return std::ranges::find(callbacks, sent) != callbacks.end(); }))
            return nullptr;
        std::erase(callbacks, sent);
        return sent;
    }

    // Records still queued for this window are freed unread, as the host
    // does when the communications are shut down.
    void DrainQueued() {
        MSG msg;
        while (PeekMessageW(&msg, m_hwnd, 0, 0, PM_REMOVE))
            Record(msg.message, msg.wParam);
    }

    std::vector<UWM_API_COMMAND_MESSAGE*> callbacks;
    std::vector<PrintLine> prints;
    int exitRequests = 0;
    CZarvexAppBase* application = nullptr;

private:
    static LRESULT Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = static_cast<HostWindow*>(zx::GetWindowContext(hwnd));
        if (!self)
            return 0;
        if (self->application)
            self->Route(message, wParam, lParam);
        else
            self->Record(message, wParam);
        if (self->m_wake)
            self->m_wake();
        return 0;
    }

    void Route(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == UWM_API_CALLBACK)
            application->OnApiCallBack(wParam, lParam);
        else if (message == UWM_API_PRINT)
            application->OnPrint(wParam, lParam);
        else if (message == UWM_API_DISPLAY_CALLBACK)
            application->OnApiDisplayCallBack(wParam, lParam);
        else if (message == UWM_API_REQUEST_EXIT)
            ++exitRequests;
        else if (message == WM_TIMER)
            application->OnTimer(static_cast<unsigned int>(wParam));
    }

    void Record(UINT message, WPARAM wParam) {
        if (message == UWM_API_CALLBACK) {
            callbacks.push_back(reinterpret_cast<UWM_API_COMMAND_MESSAGE*>(wParam));
        } else if (message == UWM_API_PRINT) {
            auto* record = reinterpret_cast<UWM_API_PRINT_MESSAGE*>(wParam);
            prints.push_back({record->dwColour, record->pText ? record->pText->str() : L"?",
                              record->pText2 ? record->pText2->str() : L"?"});
            delete record->pText;
            delete record->pText2;
            delete record;
        } else if (message == UWM_API_REQUEST_EXIT) {
            ++exitRequests;
        }
    }

    HWND m_hwnd;
    std::function<void()> m_wake;
};

} // namespace zxtest

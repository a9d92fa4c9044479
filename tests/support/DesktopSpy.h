#pragma once
// Stands in for the desktop while it lives: records what it was asked to
// open and answers as told.

#include "platform/Shell.h"

#include <QUrl>

#include <vector>

namespace zxtest {

class DesktopSpy {
public:
    explicit DesktopSpy(bool answer = true) {
        m_previous = zx::SetShellOpenHandler([this, answer](const QUrl& url) {
            opened.push_back(url);
            return answer;
        });
    }
    ~DesktopSpy() { zx::SetShellOpenHandler(m_previous); }
    DesktopSpy(const DesktopSpy&) = delete;
    DesktopSpy& operator=(const DesktopSpy&) = delete;

    std::vector<QUrl> opened;

private:
    zx::ShellOpenHandler m_previous;
};

} // namespace zxtest

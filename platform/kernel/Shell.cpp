#include "platform/Shell.h"

#include "platform/LastError.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>

#include <cerrno>
#include <mutex>

#include <sys/stat.h>

namespace {

std::mutex g_handlerMutex;
zx::ShellOpenHandler g_handler;

// Any value above 32 means success; Windows callers only compare with 32.
constexpr INT_PTR kOpened = 42;

HINSTANCE Result(INT_PTR code) {
    return reinterpret_cast<HINSTANCE>(code);
}

HINSTANCE Fail(INT_PTR code, DWORD error) {
    SetLastError(error);
    return Result(code);
}

QString FromWide(const wchar_t* text) {
    QString result = QString::fromWCharArray(text);
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}

// A scheme of two letters or more: a single letter is a Windows drive ("C:").
bool LooksLikeUrl(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(text).hasMatch();
}

bool Exists(const QString& path) {
    struct stat st;
    return stat(QFile::encodeName(path).constData(), &st) == 0;
}

bool AskDesktop(const QUrl& url) {
    zx::ShellOpenHandler handler;
    {
        std::lock_guard lock(g_handlerMutex);
        handler = g_handler;
    }
    if (handler)
        return handler(url);
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return false; // no desktop session to hand the request to
    if (QThread::currentThread() == app->thread())
        return QDesktopServices::openUrl(url);
    // The desktop is asked from the user-interface thread; a worker does not wait for it.
    QMetaObject::invokeMethod(
        app, [url] { QDesktopServices::openUrl(url); }, Qt::QueuedConnection);
    return true;
}

HINSTANCE OpenUrl(const QUrl& url) {
    return AskDesktop(url) ? Result(kOpened) : Fail(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
}

HINSTANCE OpenLocal(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st;
    if (stat(native.constData(), &st) != 0) {
        if (errno == EACCES)
            return Fail(SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED);
        const bool folderThere = Exists(QFileInfo(path).absolutePath());
        return folderThere ? Fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND)
                           : Fail(SE_ERR_PNF, ERROR_PATH_NOT_FOUND);
    }
    return OpenUrl(QUrl::fromLocalFile(QDir::cleanPath(path)));
}

} // namespace

HINSTANCE ShellExecuteW(HWND /*owner*/, const wchar_t* verb, const wchar_t* file,
                        const wchar_t* /*params*/, const wchar_t* dir, INT /*show*/) {
    if (verb && *verb &&
        QString::fromWCharArray(verb).compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return Fail(SE_ERR_NOASSOC, ERROR_NO_ASSOCIATION);
    if (!file || !*file)
        return Fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);

    const QString raw = QString::fromWCharArray(file);
    if (LooksLikeUrl(raw)) {
        const QUrl url(raw, QUrl::StrictMode);
        if (!url.isValid())
            return Fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
        return url.isLocalFile() ? OpenLocal(url.toLocalFile()) : OpenUrl(url);
    }

    QString path = FromWide(file);
    if (QDir::isRelativePath(path)) {
        const QString base = (dir && *dir) ? FromWide(dir) : QDir::currentPath();
        path = QDir(base).absoluteFilePath(path);
    }
    // As the Windows shell does, "www.<host>" that names no file is a web address.
    if (raw.startsWith(QLatin1String("www."), Qt::CaseInsensitive) && !Exists(path))
        return OpenUrl(QUrl(QStringLiteral("http://") + raw, QUrl::StrictMode));
    return OpenLocal(path);
}

namespace zx {

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler) {
    std::lock_guard lock(g_handlerMutex);
    std::swap(g_handler, handler);
    return handler;
}

} // namespace zx

#include "support/RenderPng.h"

#include "platform/WidgetHandles.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace zxtest {

std::string RenderPng(QWidget* widget, const std::string& name) {
    if (!widget || name.empty())
        return {};
    // Layouts and styles settle before the picture is taken.
    widget->ensurePolished();
    QCoreApplication::sendPostedEvents();
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/../renders");
    if (!QDir().mkpath(dir))
        return {};
    const QString path = QDir(dir).absoluteFilePath(QString::fromStdString(name) + ".png");
    const QPixmap picture = widget->grab();
    if (picture.isNull() || !picture.save(path, "PNG"))
        return {};
    return path.toStdString();
}

std::string RenderPng(HWND hwnd, const std::string& name) {
    return RenderPng(zx::WidgetFromHandle(hwnd), name);
}

} // namespace zxtest

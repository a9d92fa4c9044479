// zarvex-host: the host program. For now it creates the configuration object
// (with the diagnostic log when asked for one) and shows its main dialog,
// built from its own resource template, with the places where an
// application's windows will go; with no display it renders the dialog to a
// PNG and says where.

#include "resource.h"

#include "cmnctrls/VersionInfo.h"
#include "platform/DialogBuilder.h"
#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/ResImage.h"
#include "platform/Resources.h"
#include "platform/String.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

bool haveDisplay() {
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

// The template of one of the executable's own dialogs, or nothing.
std::optional<zx::DialogTemplate> ownDialogTemplate(UINT id) {
    const auto bytes = zx::ResourceBytes(nullptr, MAKEINTRESOURCEW(id), RT_DIALOG);
    return bytes.empty() ? std::nullopt : zx::ParseDialogTemplate(bytes);
}

CString executablePath() {
    CString path;
    GetModuleFileNameW(nullptr, path.GetBuffer(520), 520);
    path.ReleaseBuffer();
    return path;
}

// Puts a centred caption into a placeholder until an application fills it.
void caption(QWidget* place, const CString& text) {
    if (!place) {
        return;
    }
    auto* layout = new QVBoxLayout(place);
    auto* label = new QLabel(text.ToQString(), place);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label);
}

} // namespace

int main(int argc, char** argv) {
    const bool offscreen = !haveDisplay() && !std::getenv("QT_QPA_PLATFORM");
    if (offscreen) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Zarvex demonstration host"));
    options.addHelpOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"), QStringLiteral("Render the main window to <file> and exit."),
        QStringLiteral("file"));
    options.addOption(screenshot);
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Write the diagnostic log to <file>."),
                                 QStringLiteral("file"));
    options.addOption(log);
    options.process(app);

    // The one configuration object; the library reaches it through the global.
    // There is no CDialog parent yet: the main dialog is a plain widget until
    // the shell windows exist.
    const auto unpublish = [](CZarvexConfig* config) {
        g_pZarvexConfig = nullptr;
        delete config;
    };
    const std::unique_ptr<CZarvexConfig, decltype(unpublish)> config(new CZarvexConfig(nullptr),
                                                                     unpublish);
    g_pZarvexConfig = config.get();
    if (options.isSet(log)) {
        const std::wstring path = options.value(log).toStdWString();
        config->EnableDebugFile(path.c_str());
        // The opening line is flushed at once: an empty or absent file means
        // the path could not be written.
        if (QFileInfo(options.value(log)).size() == 0)
            std::fprintf(stderr, "zarvex-host: cannot write the log %s\n",
                         qPrintable(options.value(log)));
    }
    config->PrintToDebugFile(L"zarvex-host started\n");

    const auto dlg = ownDialogTemplate(IDD_ZARVEXHOST_DIALOG);
    if (!dlg) {
        std::fprintf(stderr, "zarvex-host: the main dialog template is missing or damaged\n");
        return 1;
    }

    CVersionInfo version;
    const CString exe = executablePath();
    if (!version.GetFileVersionInfoW(exe)) {
        std::fprintf(stderr, "zarvex-host: no version block in %s\n", exe.ToUtf8().c_str());
    }
    const CString product = version.GetValue(L"ProductName");
    const CString release = version.GetValue(L"FILEVERSION");

    std::unique_ptr<QWidget> window = zx::DialogBuilder::build(*dlg);
    window->setWindowTitle(QStringLiteral("%1 %2").arg(product.ToQString(), release.ToQString()));
    CString status;
    status.Format(L"%s\nRelease %s", product.GetString(), release.GetString());
    caption(zx::DialogBuilder::control(window.get(), IDC_STATUS_PLACE), status);
    CString noApplication;
    noApplication.LoadString(IDS_NO_APPLICATION);
    caption(zx::DialogBuilder::control(window.get(), IDC_MAIN_APP_AREA), noApplication);
    if (QWidget* configure = zx::DialogBuilder::control(window.get(), IDC_CONFIGURE)) {
        configure->setEnabled(false); // nothing to start until an application is loaded
    }

    QString png = options.value(screenshot);
    if (png.isEmpty() && offscreen) {
        wchar_t folder[MAX_PATH];
        if (GetTempPathW(MAX_PATH, folder) == 0) {
            std::fprintf(stderr, "zarvex-host: no private temporary folder\n");
            return 1;
        }
        png = QString::fromWCharArray(folder) + QStringLiteral("zarvex-host.png");
    }
    if (!png.isEmpty()) {
        window->ensurePolished();
        if (!window->grab().save(png, "PNG")) {
            std::fprintf(stderr, "zarvex-host: could not write %s\n", qPrintable(png));
            return 1;
        }
        std::printf("No display: rendered the main window to %s\n", qPrintable(png));
        return 0;
    }
    window->show();
    return app.exec();
}

// zarvex-host: the host program. It builds its main dialog, publishes the
// configuration object, searches its own folder for plug-ins behind the
// search splash, lets the user choose an application, loads it with its
// shell windows and runs it from the CONFIGURE button and its timer.
//
// Without a display nothing waits for a user: the application is the one
// named by --app (else the first one found), --start presses CONFIGURE,
// --run-ms lets the run go on, --restart stops and starts it again, and the
// main window is rendered to a PNG whose path is printed.

#include "HostDialog.h"
#include "resource.h"

#include "cmnctrls/VersionInfo.h"
#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/String.h"
#include "platform/Wnd.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

// Exit codes beyond 0 and 1: a run that was to load an application without
// asking anybody, and could not.
constexpr int kNoApplication = 2;

bool haveDisplay() {
    return std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
}

CString executablePath() {
    CString path;
    GetModuleFileNameW(nullptr, path.GetBuffer(4096), 4096);
    path.ReleaseBuffer();
    return path;
}

// Runs the event loop (the run's timers, the worker's messages) for ms
// milliseconds, or until the host is asked to end.
void runFor(const CHostDialog& dialog, int ms) {
    if (dialog.ExitRequested())
        return;
    QEventLoop loop;
    QTimer::singleShot(ms > 0 ? ms : 0, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Options {
    QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                  QStringLiteral("Render the main window to <file> and exit."),
                                  QStringLiteral("file")};
    QCommandLineOption log{QStringLiteral("log"),
                           QStringLiteral("Write the diagnostic log to <file>."),
                           QStringLiteral("file")};
    QCommandLineOption app{QStringLiteral("app"),
                           QStringLiteral("Load the application <name> (its short title or file) "
                                          "instead of asking with the select dialog."),
                           QStringLiteral("name")};
    QCommandLineOption start{QStringLiteral("start"),
                             QStringLiteral("Press CONFIGURE once the application is loaded.")};
    QCommandLineOption runMs{
        QStringLiteral("run-ms"),
        QStringLiteral("Before rendering and ending, let the run go on for <ms> milliseconds."),
        QStringLiteral("ms"), QStringLiteral("0")};
    QCommandLineOption restart{
        QStringLiteral("restart"),
        QStringLiteral("After that, press CONFIGURE twice (stop, start) and run as long again.")};
    QCommandLineOption transcript{
        QStringLiteral("transcript"),
        QStringLiteral("Before ending, write the print window's lines with their colours and the "
                       "progress bar's state to <file>."),
        QStringLiteral("file")};

    void addTo(QCommandLineParser& parser) const {
        parser.addOptions({screenshot, log, app, start, runMs, restart, transcript});
    }
};

} // namespace

int main(int argc, char** argv) {
    if (!haveDisplay() && !std::getenv("QT_QPA_PLATFORM")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication qtApp(argc, argv);
    const QString platform = QGuiApplication::platformName();
    const bool offscreen =
        platform == QStringLiteral("offscreen") || platform == QStringLiteral("minimal");

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Zarvex demonstration host"));
    parser.addHelpOption();
    const Options options;
    options.addTo(parser);
    parser.process(qtApp);
    // Nobody to answer a dialog: the run is scripted by the options.
    const bool unattended = offscreen || parser.isSet(options.screenshot);

    CHostDialog dialog;
    if (!dialog.Create(IDD_ZARVEXHOST_DIALOG)) {
        std::fprintf(stderr, "zarvex-host: the main dialog template is missing or damaged\n");
        return 1;
    }
    zx::SetMainWnd(&dialog);
    CVersionInfo version;
    const CString exe = executablePath();
    if (!version.GetFileVersionInfoW(exe)) {
        std::fprintf(stderr, "zarvex-host: no version block in %s\n", exe.ToUtf8().c_str());
    }
    dialog.SetWindowTextW(version.GetValue(L"ProductName") + L" " +
                          version.GetValue(L"FILEVERSION"));

    // The one configuration object; the library reaches it through the global.
    auto* config = new CZarvexConfig(&dialog);
    g_pZarvexConfig = config;
    config->SetRegistryBaseKey(L"Software\\Zarvex\\ZarvexApp");
    if (parser.isSet(options.log)) {
        const std::wstring path = parser.value(options.log).toStdWString();
        config->EnableDebugFile(path.c_str());
        // The opening line is flushed at once: an empty or absent file means
        // the path could not be written.
        if (QFileInfo(parser.value(options.log)).size() == 0)
            std::fprintf(stderr, "zarvex-host: cannot write the log %s\n",
                         qPrintable(parser.value(options.log)));
    }
    const QString folder = QFileInfo(exe.ToQString()).absolutePath();
    config->SetLocalUrl(CString(QUrl::fromLocalFile(folder).toString()));
    config->SetMainAppAreaRect(IDC_MAIN_APP_AREA);
    config->SetMainStatusRect(IDC_STATUS_PLACE);
    config->SetSmallAppLogoRect(IDC_SMALL_APP_LOGO);
    config->SetProgressCtrlRect(IDC_PROGRESS_PLACE);
    config->SetPrintWindowRect(IDC_PRINT_WINDOW);
    config->PrintToDebugFile(L"zarvex-host started\n");

    // The search runs from the splash's first timer tick.
    config->DiscoverPlugins();
    while (!config->IsDiscoveryComplete() && !dialog.ExitRequested())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (const CString& rejected : config->GetRejectedPlugins())
        std::fprintf(stderr, "zarvex-host: passed over %s\n", rejected.ToUtf8().c_str());

    bool loaded = false;
    if (dialog.ExitRequested()) {
        // ended during the search
    } else if (config->GetNumberOfAvailableApps() == 0) {
        dialog.Report(L"No applications were found in " + CString(folder));
    } else if (parser.isSet(options.app)) {
        loaded = dialog.LoadChosenApplication(CString(parser.value(options.app)));
    } else if (unattended) {
        loaded = dialog.LoadChosenApplication(CString()); // the first one found
    } else {
        loaded = dialog.SelectApplication();
    }
    if (loaded && parser.isSet(options.start))
        dialog.PressConfigure();

    int result = 0;
    if (unattended) {
        const int runMs = parser.value(options.runMs).toInt();
        runFor(dialog, runMs);
        if (loaded && parser.isSet(options.restart) && !dialog.ExitRequested()) {
            dialog.PressConfigure();
            dialog.PressConfigure();
            runFor(dialog, runMs);
        }
        if (!loaded)
            result = kNoApplication;
    } else if (!dialog.ExitRequested()) {
        qtApp.exec();
    }
    if (parser.isSet(options.transcript) &&
        !dialog.WriteTranscript(parser.value(options.transcript))) {
        std::fprintf(stderr, "zarvex-host: could not write %s\n",
                     qPrintable(parser.value(options.transcript)));
        result = 1;
    }

    QString png = parser.value(options.screenshot);
    if (png.isEmpty() && unattended) {
        wchar_t temp[MAX_PATH];
        if (GetTempPathW(MAX_PATH, temp) != 0)
            png = QString::fromWCharArray(temp) + QStringLiteral("zarvex-host.png");
        else
            std::fprintf(stderr, "zarvex-host: no private temporary folder\n");
    }
    if (!png.isEmpty()) {
        QWidget* window = dialog.GetWidget();
        window->ensurePolished();
        if (window->grab().save(png, "PNG")) {
            std::printf("Rendered the main window to %s\n", qPrintable(png));
        } else {
            std::fprintf(stderr, "zarvex-host: could not write %s\n", qPrintable(png));
            result = 1;
        }
    }

    // The application closes down while the configuration is there to log
    // it; the configuration goes before the window it was given.
    dialog.UnloadApplication();
    g_pZarvexConfig = nullptr;
    delete config;
    dialog.DestroyWindow();
    zx::SetMainWnd(nullptr);
    return result;
}

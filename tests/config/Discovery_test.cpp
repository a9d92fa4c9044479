// The plug-in search over a folder of its own. The search looks in the
// folder of the running executable only, so the test stages a folder with a
// copy of this test program and the plug-ins, and runs the copy, which then
// searches behind its splash (ZX_DISCOVERY_LOG set) and reports, and with
// ZX_SELECT set goes on to the application select dialog.

#include "cmnctrls/VersionInfo.h"
#include "platform/DialogBuilder.h"
#include "platform/FontRegistry.h"
#include "platform/WidgetHandles.h"
#include "support/Fixtures.h"
#include "support/WholeFiles.h"
#include "zarvexapp/config/ZarvexConfig.h"
#include "zarvexapp/contracts/Globals.h"
#include "zarvexapp/resources/resource.h"
#include "zarvexapp/shell/ApplicationSelect.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// Renders the splash as it shows its first plug-in, from inside the blocked
// search: at the first event after the plug-in line got its text that comes
// while nothing is being painted (painting from inside a repaint would
// recurse).
class SplashGrabber : public QObject {
public:
    explicit SplashGrabber(QString png) : m_png(std::move(png)) {}
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget || m_png.isEmpty() || event->type() == QEvent::Paint)
            return false;
        QWidget* window = widget->window();
        const HWND line = GetDlgItem(zx::HandleFromWidget(window), IDC_PLUGIN_TEXT);
        if (!line || GetWindowTextLengthW(line) == 0)
            return false;
        for (const QWidget* part : window->findChildren<QWidget*>())
            if (part->testAttribute(Qt::WA_WState_InPaintEvent))
                return false;
        window->grab().save(m_png, "PNG");
        m_png.clear();
        return false;
    }

private:
    QString m_png;
};

// Acts on the select dialog once it runs modally, then lets it end.
void WhenSelectShows(const std::function<void(HWND)>& act) {
    QTimer::singleShot(0, [act] {
        QWidget* shown = QApplication::activeModalWidget();
        if (!shown) {
            std::printf("no select dialog\n");
            return;
        }
        act(zx::HandleFromWidget(shown));
    });
}

LRESULT Item(HWND dialog, int id, UINT message, WPARAM w = 0, LPARAM l = 0) {
    return SendMessageW(GetDlgItem(dialog, id), message, w, l);
}

// Picks a filter box's item by its text as a user would, with the
// notification the dialog acts on.
void Pick(HWND dialog, int id, const wchar_t* text) {
    Item(dialog, id, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void ReportDialog(const char* when, HWND dialog) {
    std::printf("%s: listed %d, filter %d, boxes %s\n", when,
                static_cast<int>(Item(dialog, IDC_APPLICATION_COMBO, CB_GETCOUNT)),
                static_cast<int>(Item(dialog, IDC_PLATFORM_FILTER_ENABLE, BM_GETCHECK)),
                IsWindowEnabled(GetDlgItem(dialog, IDC_PLATFORM_COMBO)) ? "on" : "off");
}

void ReportChoice(CApplicationSelect* select) {
    std::printf("chosen '%s', cancelled %d, platform %u, card %u\n",
                select->GetSelectedShortAppName().ToUtf8().c_str(), select->GetDialogCancelled(),
                select->GetGlobalTargetPlatformIdx(), select->GetGlobalTargetPlatformDcIdx());
    delete select;
}

// Three showings of the select dialog: filter on and the second board
// chosen, Load; the filter switched off, Cancel; the filter as last loaded.
void SelectHere(CZarvexConfig& config) {
    config.SetRegistryBaseKey(L"Software\\Zarvex\\SelectTest");
    const char* png = std::getenv("ZX_SELECT_PNG");
    WhenSelectShows([png](HWND dialog) {
        ReportDialog("opened", dialog);
        Item(dialog, IDC_PLATFORM_FILTER_ENABLE, BM_CLICK);
        Pick(dialog, IDC_PLATFORM_COMBO, L"Other board");
        Pick(dialog, IDC_PLATFORM_DC_COMBO, L"Card three");
        ReportDialog("filtered", dialog);
        if (png)
            zx::WidgetFromHandle(dialog)->grab().save(QString::fromUtf8(png), "PNG");
        Item(dialog, IDOK, BM_CLICK);
    });
    ReportChoice(config.ChangeApplication());
    WhenSelectShows([](HWND dialog) {
        ReportDialog("reopened", dialog);
        Item(dialog, IDC_PLATFORM_FILTER_ENABLE, BM_CLICK);
        ReportDialog("unfiltered", dialog);
        Item(dialog, IDCANCEL, BM_CLICK);
    });
    ReportChoice(config.ChangeApplication());
    WhenSelectShows([](HWND dialog) {
        ReportDialog("after cancel", dialog);
        Item(dialog, IDCANCEL, BM_CLICK);
    });
    ReportChoice(config.ChangeApplication());
}

// The staged copy's part: search, report, end.
void SearchHere(const char* log) {
    const char* png = std::getenv("ZX_DISCOVERY_SPLASH");
    SplashGrabber grabber(png ? QString::fromUtf8(png) : QString());
    qApp->installEventFilter(&grabber);
    auto config = std::make_unique<CZarvexConfig>(nullptr);
    g_pZarvexConfig = config.get();
    config->EnableDebugFile(zx::Utf8ToWide(log).c_str());
    config->DiscoverPlugins();
    while (!config->IsDiscoveryComplete())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("applications: %u\n", config->GetNumberOfAvailableApps());
    for (const CString& rejected : config->GetRejectedPlugins())
        std::printf("rejected: %s\n", rejected.ToUtf8().c_str());
    if (std::getenv("ZX_SELECT"))
        SelectHere(*config);
    config.reset();
    g_pZarvexConfig = nullptr;
    qApp->removeEventFilter(&grabber);
}

struct Staged {
    QString out;
    std::vector<std::string> log; // entries without their time stamps
};

// Runs the copy of this program in dir.
Staged RunStaged(const QString& dir, bool select = false) {
    const QString exe = dir + QStringLiteral("/probe");
    QFile::copy(QCoreApplication::applicationFilePath(), exe);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_LIBRARY_PATH"), QStringLiteral(ZX_BIN_DIR));
    env.insert(QStringLiteral("ZX_DISCOVERY_LOG"), dir + QStringLiteral("/search.log"));
    env.insert(QStringLiteral("ZX_DISCOVERY_SPLASH"), dir + QStringLiteral("/splash.png"));
    // The select dialog's settings live in the staged folder, not the user's.
    env.insert(QStringLiteral("HOME"), dir);
    if (select) {
        env.insert(QStringLiteral("ZX_SELECT"), QStringLiteral("1"));
        env.insert(QStringLiteral("ZX_SELECT_PNG"), dir + QStringLiteral("/select.png"));
    }
    child.setProcessEnvironment(env);
    child.start(exe, {QStringLiteral("--gtest_filter=Discovery.Searches*")});
    EXPECT_TRUE(child.waitForFinished(120000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    Staged staged{QString::fromUtf8(child.readAllStandardOutput()), {}};
    const QString text =
        QString::fromStdString(zxtest::ReadWholeFile((dir + "/search.log").toStdString()));
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d - "));
    for (QString line : text.split(QLatin1Char('\n')))
        staged.log.push_back(line.remove(stamp).toStdString());
    return staged;
}

// The names in dir ending in ext, in the order the file system lists them.
std::vector<std::string> Listed(const QString& dir, const std::string& ext) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.toUtf8().constData())) {
        while (const dirent* entry = readdir(d)) {
            const std::string name = entry->d_name;
            if (name.size() > ext.size() &&
                name.compare(name.size() - ext.size(), ext.size(), ext) == 0)
                names.push_back(name);
        }
        closedir(d);
    }
    return names;
}

// The summary as the search must write it, from its closing heading on.
std::vector<std::string> Summary(const std::vector<std::string>& log) {
    auto from = std::find(log.begin(), log.end(), "Discovery complete ------->");
    auto to = std::find(from, log.end(), "------------------------------------------");
    return {from, to == log.end() ? to : to + 1};
}

void Stage(const QString& dir, const std::string& from, const char* name,
           const char* as = nullptr) {
    ASSERT_TRUE(QFile::copy(QString::fromStdString(from),
                            dir + QLatin1Char('/') + QString::fromUtf8(as ? as : name)))
        << from;
}

void KeepRender(const QString& png, const QString& as) {
    const QString renders = QCoreApplication::applicationDirPath() + QStringLiteral("/../renders");
    QDir().mkpath(renders);
    QFile::remove(renders + QLatin1Char('/') + as);
    QFile::copy(png, renders + QLatin1Char('/') + as);
}

TEST(Discovery, SearchesItsOwnFolderAndSummarisesWhatItFound) {
    if (const char* log = std::getenv("ZX_DISCOVERY_LOG")) {
        SearchHere(log);
        return;
    }
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString dir = tmp.path();
    const std::string bin = ZX_BIN_DIR "/";
    for (const char* shipped : {"simboard.ctc", "simplatform.ctp", "simtuner.ctm"})
        Stage(dir, bin + shipped, shipped);
    for (const char* fixture : {"samebus.ctp", "noindex.ctp", "throws.ctc", "crashes.cap",
                                "noplatforms.cap", "boards.cap"})
        Stage(dir, zxtest::FixtureFile("discovery", fixture), fixture);
    Stage(dir, zxtest::FixtureFile("discovery", "boards.cap"), "", "twinD.cap");
    Stage(dir, zxtest::FixtureFile("resources", "libfixture_reslib.so"), "", "plain.ctc");
    const std::string junk = "not a plug-in\n";
    zxtest::WriteWholeFile((dir + "/junk.ctc").toStdString(), {junk.begin(), junk.end()});
    // The header of a 64-bit shared object for another machine (AArch64).
    std::string foreign("\x7f"
                        "ELF\x02\x01\x01",
                        7);
    foreign.resize(64, '\0');
    foreign[16] = 3;      // ET_DYN
    foreign[18] = '\xb7'; // EM_AARCH64
    zxtest::WriteWholeFile((dir + "/foreign.ctc").toStdString(), {foreign.begin(), foreign.end()});

    const Staged staged = RunStaged(dir);
    EXPECT_TRUE(staged.out.contains(QStringLiteral("applications: 2\n")))
        << staged.out.toStdString();
    // Where the runtime cannot unwind out of dlopen (AddressSanitizer, gcc's
    // coverage build) the plug-in that throws ends its trial child by abort
    // instead; either way it is named and passed over.
    static const QRegularExpression throwsLine(QStringLiteral("rejected: throws.ctc: (.*)\n"));
    const std::string threw = throwsLine.match(staged.out).captured(1).toStdString();
    EXPECT_TRUE(threw == "threw an exception while loading" ||
                threw == "crashed while loading (signal 6, Aborted)")
        << staged.out.toStdString();
    EXPECT_TRUE(staged.out.contains(QStringLiteral("rejected: crashes.cap: ")));

    // The later of the two platforms declaring index 2 is the one recorded.
    std::string platform;
    for (const std::string& name : Listed(dir, ".ctp"))
        if (name != "noindex.ctp")
            platform = name;
    std::vector<std::string> expected = {"Discovery complete ------->",
                                         "Communications found :",
                                         "   0 : " + dir.toStdString() + "/simboard.ctc",
                                         "Tuner modules found :",
                                         "   0 : " + dir.toStdString() + "/simtuner.ctm",
                                         "Platforms found :",
                                         "   0 : Not available",
                                         "   1 : Not available",
                                         "   2 : " + dir.toStdString() + "/" + platform,
                                         "Applications found :"};
    int row = 0;
    for (const std::string& name : Listed(dir, ".cap")) {
        if (name == "boards.cap" || name == "twinD.cap")
            expected.push_back("   " + std::to_string(row++) + " : Two Boards Application(" +
                               name.substr(0, name == "boards.cap" ? 6 : 4) + ")");
    }
    expected.push_back("------------------------------------------");
    EXPECT_EQ(Summary(staged.log), expected);

    // Every file that is no plug-in of its pass is named and passed over.
    const auto count = [&](const std::string& line) {
        return std::count(staged.log.begin(), staged.log.end(), line);
    };
    EXPECT_EQ(count("#### Could not load!!"), 4); // junk, foreign, plain, throws
    EXPECT_EQ(count("Could not load!!"), 2);      // crashes, noplatforms
    EXPECT_EQ(count("#### throws.ctc " + threw + " and is not loaded"), 1);
    EXPECT_EQ(count("Application load Ok : " + dir.toStdString() +
                    "/noplatforms.cap but no platforms supported!"),
              1);

    // The splash was on screen during the search, at its template's size.
    const QImage splash(dir + QStringLiteral("/splash.png"));
    const QSize units = zx::FontRegistry::baseUnits(zx::FontRegistry::font("Tahoma", 8));
    EXPECT_EQ(splash.size(), zx::DialogBuilder::toPixels(units, 0, 0, 267, 154).size());
    KeepRender(dir + QStringLiteral("/splash.png"), QStringLiteral("discovery_splash.png"));

    // An empty folder: five headings and the closing rule, no application.
    QTemporaryDir empty;
    const Staged none = RunStaged(empty.path());
    EXPECT_TRUE(none.out.contains(QStringLiteral("applications: 0\n")));
    EXPECT_EQ(Summary(none.log),
              (std::vector<std::string>{
                  "Discovery complete ------->",
                  "Communications found :", "Tuner modules found :", "Platforms found :",
                  "Applications found :", "------------------------------------------"}));
}

TEST(Discovery, SelectDialogFiltersWhatTheSearchFoundAndKeepsWhatLoadSaved) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString dir = tmp.path();
    const std::string bin = ZX_BIN_DIR "/";
    for (const char* shipped : {"simboard.ctc", "simplatform.ctp", "simdemo.cap"})
        Stage(dir, bin + shipped, shipped);
    Stage(dir, zxtest::FixtureFile("discovery", "boards.cap"), "boards.cap");

    const QStringList out = RunStaged(dir, true).out.split(QLatin1Char('\n'));
    // Only the two-board application supports the second board's card 3;
    // Load keeps the filter, Cancel saves nothing of what it changed.
    const QStringList expected = {
        QStringLiteral("applications: 2"),
        QStringLiteral("opened: listed 2, filter 0, boxes off"),
        QStringLiteral("filtered: listed 1, filter 1, boxes on"),
        QStringLiteral("chosen 'boards', cancelled 0, platform 2, card 3"),
        QStringLiteral("reopened: listed 1, filter 1, boxes on"),
        QStringLiteral("unfiltered: listed 2, filter 0, boxes off"),
        QStringLiteral("chosen '', cancelled 1, platform 0, card 0"),
        QStringLiteral("after cancel: listed 1, filter 1, boxes on"),
        QStringLiteral("chosen '', cancelled 1, platform 0, card 0")};
    QStringList seen; // without the test framework's own lines
    for (const QString& line : out)
        if (line.startsWith(QStringLiteral("applications")) ||
            line.startsWith(QStringLiteral("chosen")) || line.contains(QStringLiteral(": listed")))
            seen << line;
    EXPECT_EQ(seen, expected) << out.join(QLatin1Char('\n')).toStdString();
    KeepRender(dir + QStringLiteral("/select.png"), QStringLiteral("select_filtered.png"));
}

} // namespace

// The host program run as a child process without a display, as `make run`
// does, over folders staged with the plug-ins each case needs: the host
// searches only the folder of its own executable.

#include "platform/DialogBuilder.h"
#include "platform/FontRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

namespace {

QString BinFile(const QString& name) {
    return QStringLiteral(ZX_BIN_DIR "/") + name;
}

// A folder holding a copy of the host (it finds the libraries by its run
// path) and links to the given plug-ins of the build.
QString StageHost(const QTemporaryDir& dir, const QStringList& plugins) {
    const QString folder = dir.filePath(QStringLiteral("bin"));
    QDir().mkpath(folder);
    const QString host = folder + QStringLiteral("/zarvex-host");
    EXPECT_TRUE(QFile::copy(BinFile(QStringLiteral("zarvex-host")), host));
    for (const QString& plugin : plugins)
        EXPECT_TRUE(QFile::link(BinFile(plugin), folder + QLatin1Char('/') + plugin));
    return host;
}

// Runs `host` headless with `arguments`, its settings in `dir`, and returns
// its exit status, its standard error in *errors. A host that hangs is
// killed after two minutes. (The thread sanitizer fails on QProcess's clone.)
int RunHost(const QString& host, const QTemporaryDir& dir, const QStringList& arguments,
            QByteArray* errors = nullptr) {
    const QString errorFile = dir.filePath("stderr.txt");
    const int status = std::system(
        qPrintable(QStringLiteral("QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=%1 timeout -s KILL "
                                  "120 %2 %3 2>%4")
                       .arg(dir.filePath("config"), host, arguments.join(' '), errorFile)));
    QFile file(errorFile);
    if (errors && file.open(QIODevice::ReadOnly))
        *errors = file.readAll();
    EXPECT_TRUE(WIFEXITED(status));
    return WEXITSTATUS(status);
}

// The file's lines; each log stamp is masked as "<t>", each date as "<date>".
QStringList MaskedLines(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression stamp(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d - "),
                                          QRegularExpression::MultilineOption);
    static const QRegularExpression date(QStringLiteral("^(Log file \\w+) .*$"),
                                         QRegularExpression::MultilineOption);
    static const QRegularExpression rate(QStringLiteral("( words = ).*kbits/sec$"),
                                         QRegularExpression::MultilineOption);
    text.replace(stamp, QStringLiteral("<t> - "));
    text.replace(date, QStringLiteral("\\1 <date>"));
    text.replace(rate, QStringLiteral("\\1<rate>"));
    return text.split(QLatin1Char('\n'));
}

// Each expected line is found whole, in order, among `lines`; the first one
// missing is reported with the lines it was looked for in.
void ExpectInOrder(const QStringList& lines, const QStringList& expected) {
    qsizetype at = 0;
    for (const QString& line : expected) {
        const qsizetype found = lines.indexOf(line, at);
        ASSERT_GE(found, 0) << "missing after line " << at << ": " << line.toStdString();
        at = found + 1;
    }
}

QStringList StartLines() {
    return QStringList{"#000000 Releasing the hardware resets ...",
                       "#000000 Configuring the target application register banks ...",
                       "#000000 Registers: waiting read of 0x40000004 returned 0x5A5AA5A5",
                       "#000000 Time taken to write 4096 32-bit words = <rate>",
                       "#000000 Time taken to read 4096 32-bit words = <rate>",
                       "#000000 Starting verify...",
                       "#000000 Verify complete...",
                       "#000000 ... initial application register bank configuration complete.",
                       "#000000 Interrupts: parent 0 vector 0x1 serviced, data ready (1 so far)"};
}

} // namespace

// simdemo from the search to the end: chosen on the command line, started
// with CONFIGURE on the simulated board, left running until its data source
// raised an interrupt, stopped, started again, and the host ended.
TEST(Host, RunsTheDemoFromTheSearchToTheEnd) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString host =
        StageHost(dir, {"simboard.ctc", "simtuner.ctm", "simplatform.ctp", "simdemo.cap"});
    const QString bin = dir.filePath("bin");
    const QString log = dir.filePath("host.log");
    const QString transcript = dir.filePath("print.txt");
    const QString png = dir.filePath("host.png");
    QByteArray errors;
    ASSERT_EQ(RunHost(host, dir,
                      {"--app", "simdemo", "--start", "--run-ms", "3000", "--restart", "--log", log,
                       "--transcript", transcript, "--screenshot", png},
                      &errors),
              0)
        << errors.toStdString();
    // The demo's small logo fills the logo frame: mostly its deep blue band.
    const QImage shot(png);
    const QSize units = zx::FontRegistry::baseUnits(zx::FontRegistry::font("Tahoma", 8));
    const QRect frame = zx::DialogBuilder::toPixels(units, 7, 7, 137, 38);
    int blue = 0;
    for (int y = frame.top(); y <= frame.bottom(); ++y)
        for (int x = frame.left(); x <= frame.right(); ++x)
            blue += shot.pixelColor(x, y).blue() > shot.pixelColor(x, y).red() + 40;
    EXPECT_GT(blue, frame.width() * frame.height() / 2);

    // The bar has the range the start gave it (one step per page) and the
    // position the worker reports, which the timer copied over the start's.
    const QStringList printed = MaskedLines(transcript);
    ASSERT_FALSE(printed.isEmpty());
    EXPECT_EQ(printed[0], "progress 0 3 0 enabled");
    ExpectInOrder(printed, QStringList{"#008C00 ZarvexApp message log",
                                       "#008C00 Simulated Board Demo Application"} +
                               StartLines() + StartLines());
    // The pages' own round trips, in whatever order they came back.
    for (const char* line :
         {"#000000 Registers: call-back read of 0x40000004 returned 0x5A5AA5A5",
          "#000000 I2C: EEPROM 0x10 written with 0xC0FFEE42",
          "#000000 I2C: EEPROM 0x10 reads back 0xC0FFEE42", "#000000 I2C: tuner at 474000 kHz",
          "#000000 Registers: timer running"})
        EXPECT_TRUE(printed.contains(line)) << line;
    // Nothing printed in red, nor in any colour but those two.
    EXPECT_EQ(printed.filter(QRegularExpression("^#(?!008C00 |000000 )")), QStringList());

    const QString t = "<t> - ";
    const QStringList start = {
        "Starting Application : Simulated Board Demo Application",
        t + "Attempting to load target-communications : " + bin + "/simboard.ctc",
    };
    const QStringList loaded = {
        t + "Attempting to load target comms : " + bin + "/simboard.ctc",
        t + "Target-platform comms load Ok : " + bin + "/simboard.ctc",
        t + "UI:Creating worker thread .... ", // the start handshake, its user-interface side
        t + "UI:Created Worker Thread.",
        t + "UI:Worker Thread returned with GOOD CreationOK flag.",
        t + "Resumed Worker Thread",
        t + "CZarvexAppBase::OnInterrupt, Parent Interrupt = 0x4 using mask 0xffffffff",
        t + "CZarvexAppBase::OnApiCallBack[0x50000108][0x4], Irq Vector data from 0x50000108 = "
            "0x1",
    };
    const QStringList unloaded = {
        t + "Attempting to unload target comms Simulated Board",
        t + "Removing any unprocessed API callback messages...",
        t + "Removing any unprocessed API Display callback messages...",
        t + "Target-platform communications unload Ok",
    };
    ExpectInOrder(
        MaskedLines(log),
        QStringList{"Log file created <date>",
                    "",
                    t + "zarvex-host started",
                    t,
                    "Searching for target communications at " + bin + "/*.ctc",
                    t + "Communications found : simboard.ctc",
                    t + "Attempting to load target comms : " + bin + "/simboard.ctc",
                    t + "Loaded Ok : Simulated Board, 1.0.0.0",
                    "Searching for tuner modules at " + bin + "/*.ctm...",
                    t + "Tuner-Modules found : simtuner.ctm",
                    t + "Attempting to load tuner module : " + bin + "/simtuner.ctm",
                    t + "Loaded Ok : Simulated Tuner, 1.0.0.0",
                    "Searching for target platforms at " + bin + "/*.ctp...",
                    t + "Target-Platform found : simplatform.ctp",
                    t + "Attempting to load target platform : " + bin + "/simplatform.ctp",
                    t + "Loaded Ok : Simulated Board Platform, 1.0.0.0",
                    "Searching for applications at " + bin + "/*.cap",
                    t + "Application found : simdemo.cap",
                    t + "Attempting to load application : " + bin + "/simdemo.cap",
                    t + "Application load Ok : " + bin + "/simdemo.cap",
                    t + "Loaded Ok : Simulated Board Demo Application, 1.0.0.0",
                    t + "Attempting to unload application Simulated Board Demo Application",
                    t + "Application unload Ok",
                    t + "Discovery complete ------->", // the summary: Discovery_test
                    t + "   0 : Simulated Board Demo Application(simdemo)",
                    t + "------------------------------------------",
                    t + "Attempting to load application : simdemo.cap",
                    t + "Application load Ok : simdemo",
                    "-------------------------",
                    "Initialising Application : Simulated Board Demo",
                    t + "Supported Platforms :"} +
            start + loaded + QStringList{"Stopping Application : Simulated Board Demo"} + start +
            unloaded + loaded +
            QStringList{t + "Attempting to unload application Simulated Board Demo Application"} +
            unloaded +
            QStringList{t + "Application Close complete", "----------------------------", "",
                        t + "Application unload Ok", "", "Log file closed <date>", ""});
}

// Without an application to run the host says why, renders its empty main
// window all the same and ends with status 2; so it does about a log it
// cannot write.
TEST(Host, SaysWhyItHasNoApplication) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString log = dir.filePath("host.log");
    const QString png = dir.filePath("host.png");
    const QString staged = StageHost(dir, {});
    QByteArray errors;
    EXPECT_EQ(RunHost(staged, dir, {"--log", log, "--screenshot", png}, &errors), 2);
    const QString why = "No applications were found in " + dir.filePath("bin");
    EXPECT_TRUE(errors.contains(why.toUtf8()));
    EXPECT_TRUE(MaskedLines(log).contains("<t> - ### zarvex-host: " + why));
    // The picture is the dialog's template converted with Tahoma's base units.
    const QSize units = zx::FontRegistry::baseUnits(zx::FontRegistry::font("Tahoma", 8));
    EXPECT_EQ(QImage(png).size(), zx::DialogBuilder::toPixels(units, 0, 0, 536, 310).size());

    EXPECT_EQ(RunHost(BinFile("zarvex-host"), dir,
                      {"--app", "nosuch", "--log", log, "--screenshot", png}, &errors),
              2);
    EXPECT_TRUE(errors.contains("The application nosuch could not be loaded"));
    ExpectInOrder(MaskedLines(log),
                  {"<t> - Attempting to load application : nosuch.cap",
                   "<t> - ### zarvex-host: The application nosuch could not be loaded",
                   "Log file closed <date>"});

    RunHost(staged, dir, {"--log", "/nonexistent-zx/host.log", "--screenshot", png}, &errors);
    EXPECT_TRUE(errors.contains("cannot write the log /nonexistent-zx/host.log"));
}

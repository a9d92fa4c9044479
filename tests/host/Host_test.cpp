#include "platform/DialogBuilder.h"
#include "platform/FontRegistry.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Runs the host headless with `arguments` and waits for it to end.
void RunHost(QProcess& host, const QStringList& arguments) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    host.setProcessEnvironment(env);
    host.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zarvex-host"), arguments);
    ASSERT_TRUE(host.waitForFinished(60000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
}

} // namespace

// What `make run` does without a display: the host builds its main dialog from
// its own template and version block and renders it. The picture's size shows
// the template was found and converted with Tahoma's base units.
TEST(Host, RendersItsMainDialogWithoutADisplay) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString png = dir.filePath(QStringLiteral("host.png"));

    const QString log = dir.filePath(QStringLiteral("host.log"));
    QProcess host;
    RunHost(host, {QStringLiteral("--screenshot"), png, QStringLiteral("--log"), log});
    EXPECT_TRUE(host.readAllStandardOutput().contains(png.toUtf8()));

    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    const QSize units = zx::FontRegistry::baseUnits(zx::FontRegistry::font("Tahoma", 8));
    EXPECT_EQ(image.size(), zx::DialogBuilder::toPixels(units, 0, 0, 660, 420).size());

    // The configuration object the host made kept the log from opening to
    // closing.
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.startsWith(QStringLiteral("Log file created "))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(" - zarvex-host started\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\nLog file closed "))) << text.toStdString();
}

TEST(Host, SaysSoWhenTheLogCannotBeWritten) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QProcess host;
    RunHost(host, {QStringLiteral("--screenshot"), dir.filePath(QStringLiteral("host.png")),
                   QStringLiteral("--log"), QStringLiteral("/nonexistent-zx/host.log")});
    EXPECT_TRUE(
        host.readAllStandardError().contains("cannot write the log /nonexistent-zx/host.log"));
}

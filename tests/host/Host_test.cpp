#include "platform/DialogBuilder.h"
#include "platform/FontRegistry.h"

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// What `make run` does without a display: the host builds its main dialog from
// its own template and version block and renders it. The picture's size shows
// the template was found and converted with Tahoma's base units.
TEST(Host, RendersItsMainDialogWithoutADisplay) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString png = dir.filePath(QStringLiteral("host.png"));

    QProcess host;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    host.setProcessEnvironment(env);
    host.start(QCoreApplication::applicationDirPath() + QStringLiteral("/zarvex-host"),
               {QStringLiteral("--screenshot"), png});
    ASSERT_TRUE(host.waitForFinished(60000));
    EXPECT_EQ(host.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
    EXPECT_TRUE(host.readAllStandardOutput().contains(png.toUtf8()));

    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    const QSize units = zx::FontRegistry::baseUnits(zx::FontRegistry::font("Tahoma", 8));
    EXPECT_EQ(image.size(), zx::DialogBuilder::toPixels(units, 0, 0, 660, 420).size());
}

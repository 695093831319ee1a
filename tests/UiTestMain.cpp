// Runs the tests that need Qt inside one QApplication, on the offscreen platform unless told otherwise,
// with settings apart from the user's.
#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

#include <gmock/gmock.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // Whatever a test remembers goes to a settings folder of its own, never the user's, and to a file
    // of this process: the tests run side by side.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("VexmoorTests"));
    QCoreApplication::setApplicationName(QStringLiteral("ui-%1").arg(QCoreApplication::applicationPid()));
    testing::InitGoogleMock(&argc, argv);
    const int result = RUN_ALL_TESTS();
    const QString settingsFile = QSettings().fileName();
    QFile::remove(settingsFile);
    return result;
}

// Saves a picture of the main window, filled from a board stream or by the emulators, for the README
// and for looking at the window where there is no screen:
//   vexmoor-screenshot STREAM|--emulate OUT.png [WIDTH HEIGHT]
#include "app/CaptureController.h"
#include "app/frmMain.h"
#include "capture/SystemTimeOfDay.h"
#include "platform/QtSerialPort.h"
#include "platform/WidgetMessageBox.h"

#include <QApplication>
#include <QFile>
#include <QTest>

#include <iostream>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 3) {
        std::cerr << "usage: vexmoor-screenshot STREAM|--emulate OUT.png [WIDTH HEIGHT]\n";
        return 2;
    }
    const bool emulate = QString::fromLocal8Bit(argv[1]) == QStringLiteral("--emulate");
    QFile stream(QString::fromLocal8Bit(argv[1]));
    if (!emulate && !stream.open(QIODevice::ReadOnly)) {
        std::cerr << "vexmoor-screenshot: cannot read " << argv[1] << '\n';
        return 2;
    }
    vexmoor::QtSerialPort port;
    vexmoor::WidgetMessageBox messageBox;
    vexmoor::SystemTimeOfDay clock;
    vexmoor::frmMain window(messageBox, port, clock);
    if (argc >= 5)
        window.resize(QString::fromLocal8Bit(argv[3]).toInt(), QString::fromLocal8Bit(argv[4]).toInt());
    window.show();
    if (emulate) {
        // Both emulators, as a newcomer without hardware would run them, with the emulator window closed
        // again so that the table is seen whole.
        window.showInteriorEmulator();
        window.toggleEmulation();
        for (int sample = 0; sample < 40; ++sample)
            window.controller().sendRandomSample();
        QTest::qWait(2500);
        for (QWidget* other : QApplication::topLevelWidgets()) {
            if (other->objectName() == QStringLiteral("frmEmulator"))
                other->hide();
        }
    } else {
        const QByteArray bytes = stream.readAll();
        window.session().assembly().poll(bytes.toStdString());
        // A second pass over the stream gives every row its time, ASCII text and change marks.
        window.session().assembly().poll(bytes.toStdString());
    }
    QTest::qWait(300);
    if (!window.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::cerr << "vexmoor-screenshot: cannot write " << argv[2] << '\n';
        return 2;
    }
    return 0;
}

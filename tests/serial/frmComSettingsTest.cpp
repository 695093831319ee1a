#include "serial/frmComSettings.h"
#include "platform/Eventually.h"
#include "platform/RecordingMessageBox.h"
#include "serial/FakeSerialPort.h"
#include "serial/SerialConnection.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using vexmoor::frmComSettings;
using vexmoor::SerialConnection;

class frmComSettingsTest : public testing::Test {
protected:
    frmComSettings* open()
    {
        auto* window = new frmComSettings(connection, [] {
            return QStringList { QStringLiteral("ttyUSB0"), QStringLiteral("ttyACM0") };
        });
        window->show();
        return window;
    }

    vexmoor::test::FakeSerialPort port;
    vexmoor::test::RecordingMessageBox messageBox;
    SerialConnection connection { port };
};

TEST_F(frmComSettingsTest, OpensWithSixAndTheSeventeenPortNumbers)
{
    QPointer<frmComSettings> window = open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("COM Settings"));
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("COM PORT"));
    EXPECT_EQ(window->findChild<QPushButton*>(QStringLiteral("Command1"))->text(), QStringLiteral("Set"));
    auto* combo = window->findChild<QComboBox*>(QStringLiteral("Combo1"));
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->currentText(), QStringLiteral("6"));
    ASSERT_EQ(combo->count(), 17);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("1"));
    EXPECT_EQ(combo->itemText(16), QStringLiteral("17"));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    delete window;
}

TEST_F(frmComSettingsTest, SetHandsOnAnyTypedTextAndClosesTheWindow)
{
    QPointer<frmComSettings> window = open();
    auto* combo = window->findChild<QComboBox*>(QStringLiteral("Combo1"));
    combo->clearEditText();
    QTest::keyClicks(combo, QStringLiteral("COM x"));
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);

    EXPECT_EQ(connection.portText(), QStringLiteral("COM x"));
    EXPECT_TRUE(vexmoor::test::eventually([&] { return window.isNull(); }));
    EXPECT_FALSE(port.isOpen());
}

TEST_F(frmComSettingsTest, TheDeviceLineFollowsTheTypedText)
{
    QPointer<frmComSettings> window = open();
    auto* combo = window->findChild<QComboBox*>(QStringLiteral("Combo1"));
    auto* device = window->findChild<QLineEdit*>(QStringLiteral("txtPortDevice"));
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(device->isReadOnly());
    EXPECT_EQ(device->text(), QStringLiteral("no such port (2 here)"));
    EXPECT_TRUE(device->toolTip().contains(QStringLiteral("it has 2 serial ports"))) << device->toolTip().toStdString();

    combo->setCurrentText(QStringLiteral("1"));
    EXPECT_EQ(device->text(), QStringLiteral("/dev/ttyACM0"));
    combo->setCurrentText(QStringLiteral("2"));
    EXPECT_EQ(device->text(), QStringLiteral("/dev/ttyUSB0"));
    delete window;
}

} // namespace

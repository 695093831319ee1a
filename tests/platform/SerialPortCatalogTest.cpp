#include "platform/SerialPortCatalog.h"

#include <gtest/gtest.h>

namespace {

using vexmoor::SerialPortCatalog;

const QStringList kPorts
    = SerialPortCatalog::ordered({ QStringLiteral("ttyUSB10"), QStringLiteral("ttyS0"), QStringLiteral("ttyUSB2"),
                                   QStringLiteral("rfcomm0"), QStringLiteral("ttyACM1"), QStringLiteral("ttyACM0") });

TEST(SerialPortCatalogTest, OrdersUsbSerialDevicesFirstByNumberThenTheRestByName)
{
    EXPECT_EQ(kPorts,
              QStringList({ QStringLiteral("ttyACM0"), QStringLiteral("ttyACM1"), QStringLiteral("ttyUSB2"),
                            QStringLiteral("ttyUSB10"), QStringLiteral("rfcomm0"), QStringLiteral("ttyS0") }));
}

#ifndef Q_OS_WIN
TEST(SerialPortCatalogTest, NumbersTheOrderedPortsFromOne)
{
    EXPECT_EQ(SerialPortCatalog::deviceForNumber(1, kPorts).device, QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(SerialPortCatalog::deviceForNumber(4, kPorts).device, QStringLiteral("/dev/ttyUSB10"));

    for (const std::int16_t number : { 0, 7, -3 }) {
        const auto missing = SerialPortCatalog::deviceForNumber(number, kPorts);
        EXPECT_TRUE(missing.device.isEmpty());
        EXPECT_TRUE(missing.problem.contains(QStringLiteral("it has 6 serial ports"))) << missing.problem.toStdString();
    }
    EXPECT_TRUE(SerialPortCatalog::deviceForNumber(1, {}).problem.contains(QStringLiteral("no serial ports")));
}

TEST(SerialPortCatalogTest, ListsEveryPortWithTheNumberThatNamesIt)
{
    const auto ports = SerialPortCatalog::numbered(kPorts);
    ASSERT_EQ(ports.size(), kPorts.size());
    for (const auto& port : ports)
        EXPECT_EQ(SerialPortCatalog::deviceForNumber(port.number, kPorts).device, port.device) << port.number;
    EXPECT_EQ(ports.front().number, 1);
}

TEST(SerialPortCatalogTest, DescribesWhatATypedTextNames)
{
    EXPECT_EQ(SerialPortCatalog::describe(QStringLiteral(" 2 "), kPorts).device, QStringLiteral("/dev/ttyACM1"));
    EXPECT_EQ(SerialPortCatalog::describe(QStringLiteral("/dev/null"), kPorts).device, QStringLiteral("/dev/null"));
    EXPECT_TRUE(SerialPortCatalog::describe(QStringLiteral("/no/such/tty"), kPorts).device.isEmpty());
    EXPECT_TRUE(SerialPortCatalog::describe(QStringLiteral("abc"), kPorts)
                    .problem.contains(QStringLiteral("not a port number")));
    EXPECT_TRUE(SerialPortCatalog::describe(QStringLiteral("40000"), kPorts).device.isEmpty());
}
#endif

} // namespace

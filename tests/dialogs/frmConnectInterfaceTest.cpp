#include "dialogs/frmConnectInterface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

namespace {

using vexmoor::frmConnectInterface;
using vexmoor::SourceAddress;
using Kind = SourceAddress::Kind;

const QString kBoard = QStringLiteral("Board on a serial port");
const QString kSlcan = QStringLiteral("slcan adapter on a serial port");
const QString kPlugin = QStringLiteral("Qt Serial Bus plugin");
constexpr const char* kByPath = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0";
constexpr const char* kVirtualUrl = "tcp://127.0.0.1:35468/can0";

QStringList interfacesOf(const QString& plugin)
{
    if (plugin == QLatin1String("socketcan"))
        return { QStringLiteral("can0"), QStringLiteral("vcan0") };
    if (plugin == QLatin1String("virtualcan"))
        return { QString::fromLatin1(kVirtualUrl) };
    return {};
}

// Two ports out of the catalog's order, so that a list in the order given shows up.
frmConnectInterface::Listers machine(QStringList plugins = { QStringLiteral("virtualcan"), QStringLiteral("peakcan"),
                                                             QStringLiteral("socketcan") })
{
    return { [] {
                return QStringList { QStringLiteral("ttyUSB0"), QStringLiteral("ttyACM0") };
            },
             [plugins] { return plugins; }, &interfacesOf };
}

SourceAddress board(std::string device)
{
    return SourceAddress::board(std::move(device));
}

SourceAddress slcan(std::string device, std::uint32_t bitRate = SourceAddress::kDefaultSlcanBitRate)
{
    return SourceAddress::slcan(std::move(device), bitRate);
}

SourceAddress plugin(std::string name, std::string device)
{
    return SourceAddress::canBus(std::move(name), std::move(device));
}

template <typename Control> Control* control(QWidget& window, const char* name)
{
    auto* found = window.findChild<Control*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QComboBox* box(QWidget& window, const char* name)
{
    return control<QComboBox>(window, name);
}

// Picks the entry with that text, as a click in the open list does.
void choose(QComboBox* combo, const QString& entry)
{
    const int row = combo->findText(entry);
    ASSERT_GE(row, 0) << entry.toStdString();
    combo->setCurrentIndex(row);
}

// Replaces the device box's text as the user does: select everything, delete it, type.
void retype(QComboBox* combo, const QString& text)
{
    QTest::keyClick(combo, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(combo, Qt::Key_Delete);
    QTest::keyClicks(combo, text);
}

QStringList values(QComboBox* combo)
{
    QStringList texts;
    for (int row = 0; row < combo->count(); ++row)
        texts.append(combo->itemText(row));
    return texts;
}

QStringList labels(QComboBox* combo)
{
    QStringList texts;
    for (int row = 0; row < combo->count(); ++row)
        texts.append(combo->itemData(row, Qt::DisplayRole).toString());
    return texts;
}

bool rowShown(QWidget& window, const char* field)
{
    auto* form = window.findChild<QFormLayout*>();
    return form != nullptr && form->isRowVisible(window.findChild<QWidget*>(QString::fromLatin1(field)));
}

} // namespace

namespace vexmoor {

void PrintTo(const SourceAddress& address, std::ostream* out)
{
    *out << "'" << address.text() << "' at " << address.bitRate;
}

} // namespace vexmoor

namespace {

TEST(frmConnectInterfaceTest, OpensOnTheBoardAtItsFirstPortWithThePluginsAndRatesReady)
{
    frmConnectInterface dialog(machine());
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Connect to CAN Interface"));
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(box(dialog, "cboKind")->currentText(), kBoard);
    EXPECT_EQ(box(dialog, "cboDevice")->currentText(), QStringLiteral("1"));
    EXPECT_EQ(values(box(dialog, "cboPlugin")),
              QStringList({ QStringLiteral("socketcan"), QStringLiteral("virtualcan"), QStringLiteral("peakcan") }));
    EXPECT_EQ(box(dialog, "cboBitRate")->currentText(), QStringLiteral("500k"));
    EXPECT_EQ(values(box(dialog, "cboBitRate")),
              QStringList({ QStringLiteral("10k"), QStringLiteral("20k"), QStringLiteral("50k"), QStringLiteral("100k"),
                            QStringLiteral("125k"), QStringLiteral("250k"), QStringLiteral("500k"),
                            QStringLiteral("800k"), QStringLiteral("1M") }));
    EXPECT_TRUE(control<QPushButton>(dialog, "cmdConnect")->isDefault());
    EXPECT_FALSE(control<QLabel>(dialog, "lblProblem")->isVisible());
}

struct ListCase {
    std::string name;
    QString kind;
    QString plugin; // chosen when not empty
    QStringList values; // what choosing each entry puts in the device box
    QStringList labels; // what the list shows
};

void PrintTo(const ListCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class frmConnectInterfaceListTest : public testing::TestWithParam<ListCase> { };

TEST_P(frmConnectInterfaceListTest, OffersTheDevicesAndRowsOfTheKindChosen)
{
    frmConnectInterface dialog(machine());
    dialog.show();
    // Every case passes through another kind first, so that nothing is left from the opening lists.
    choose(box(dialog, "cboKind"), GetParam().kind == kSlcan ? kPlugin : kSlcan);
    choose(box(dialog, "cboKind"), GetParam().kind);
    if (!GetParam().plugin.isEmpty())
        choose(box(dialog, "cboPlugin"), GetParam().plugin);

    QComboBox* device = box(dialog, "cboDevice");
    EXPECT_EQ(values(device), GetParam().values);
    EXPECT_EQ(labels(device), GetParam().labels);
    EXPECT_EQ(device->currentText(), GetParam().values.value(0));
    EXPECT_EQ(rowShown(dialog, "cboPlugin"), GetParam().kind == kPlugin);
    EXPECT_EQ(rowShown(dialog, "cboBitRate"), GetParam().kind == kSlcan);
}

// The serial ports are numbered as the port dialog numbers them: ttyACM before ttyUSB.
INSTANTIATE_TEST_SUITE_P(
    Kinds, frmConnectInterfaceListTest,
    testing::Values(ListCase { "BoardTakesThePortNumber",
                               kBoard,
                               {},
                               { QStringLiteral("1"), QStringLiteral("2") },
                               { QStringLiteral("1 \u2014 /dev/ttyACM0"), QStringLiteral("2 \u2014 /dev/ttyUSB0") } },
                    ListCase { "SlcanTakesTheDevice",
                               kSlcan,
                               {},
                               { QStringLiteral("/dev/ttyACM0"), QStringLiteral("/dev/ttyUSB0") },
                               { QStringLiteral("1 \u2014 /dev/ttyACM0"), QStringLiteral("2 \u2014 /dev/ttyUSB0") } },
                    ListCase { "FirstPluginsInterfaces",
                               kPlugin,
                               {},
                               { QStringLiteral("can0"), QStringLiteral("vcan0") },
                               { QStringLiteral("can0"), QStringLiteral("vcan0") } },
                    ListCase { "AnotherPluginsInterfaces",
                               kPlugin,
                               QStringLiteral("virtualcan"),
                               { QString::fromLatin1(kVirtualUrl) },
                               { QString::fromLatin1(kVirtualUrl) } },
                    ListCase { "PluginWithoutInterfaces", kPlugin, QStringLiteral("peakcan"), {}, {} }),
    [](const auto& testCase) { return testCase.param.name; });

struct ChoiceCase {
    std::string name;
    QString kind;
    QString plugin; // chosen when not empty
    std::optional<int> listRow; // the device chosen from the list, or else typed
    QString typed {};
    QString bitRate {}; // chosen when not empty
    SourceAddress expected {};
    bool byReturnKey = false; // Return in the device box instead of a click on Connect
    QString dataBitRate {}; // not empty: FD ticked, at this data bit rate
};

void PrintTo(const ChoiceCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class frmConnectInterfaceChoiceTest : public testing::TestWithParam<ChoiceCase> { };

TEST_P(frmConnectInterfaceChoiceTest, ConnectAcceptsWithTheAddressChosen)
{
    frmConnectInterface dialog(machine());
    dialog.show();
    choose(box(dialog, "cboKind"), GetParam().kind);
    if (!GetParam().plugin.isEmpty())
        choose(box(dialog, "cboPlugin"), GetParam().plugin);
    if (GetParam().listRow)
        box(dialog, "cboDevice")->setCurrentIndex(*GetParam().listRow);
    else
        retype(box(dialog, "cboDevice"), GetParam().typed);
    if (!GetParam().bitRate.isEmpty())
        choose(box(dialog, "cboBitRate"), GetParam().bitRate);
    if (!GetParam().dataBitRate.isEmpty()) {
        control<QCheckBox>(dialog, "chkCanFd")->setChecked(true);
        choose(box(dialog, "cboDataBitRate"), GetParam().dataBitRate);
    }
    if (GetParam().byReturnKey)
        QTest::keyClick(box(dialog, "cboDevice"), Qt::Key_Return);
    else
        QTest::mouseClick(control<QPushButton>(dialog, "cmdConnect"), Qt::LeftButton);

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.address(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, frmConnectInterfaceChoiceTest,
    testing::Values(
        ChoiceCase { "BoardFromTheList", kBoard, {}, 1, {}, {}, board("2") },
        ChoiceCase { "BoardTypedPath", kBoard, {}, std::nullopt, QString::fromLatin1(kByPath), {}, board(kByPath) },
        ChoiceCase { "BoardTypedAsItStands", kBoard, {}, std::nullopt, QStringLiteral("COM x"), {}, board("COM x") },
        ChoiceCase { "SlcanFromTheListAtTheDefaultRate", kSlcan, {}, 1, {}, {}, slcan("/dev/ttyUSB0") },
        ChoiceCase { "SlcanTypedAtAnotherRate",
                     kSlcan,
                     {},
                     std::nullopt,
                     QStringLiteral("COM5"),
                     QStringLiteral("250k"),
                     slcan("COM5", 250'000) },
        ChoiceCase {
            "PluginFromTheList", kPlugin, QStringLiteral("socketcan"), 1, {}, {}, plugin("socketcan", "vcan0") },
        ChoiceCase { "PluginTypedUrl",
                     kPlugin,
                     QStringLiteral("virtualcan"),
                     std::nullopt,
                     QStringLiteral("tcp://127.0.0.1:35470/can1"),
                     {},
                     plugin("virtualcan", "tcp://127.0.0.1:35470/can1") },
        // Typed text stays as typed, not completed to the entry it begins.
        ChoiceCase { "PluginTypedBeginningOfAnInterface",
                     kPlugin,
                     QStringLiteral("socketcan"),
                     std::nullopt,
                     QStringLiteral("vcan"),
                     {},
                     plugin("socketcan", "vcan"),
                     true },
        ChoiceCase { "PluginWithCanFd",
                     kPlugin,
                     QStringLiteral("socketcan"),
                     1,
                     {},
                     {},
                     [] {
                         SourceAddress address = plugin("socketcan", "vcan0");
                         address.fd = true;
                         address.dataBitRate = 2'000'000;
                         return address;
                     }(),
                     false,
                     QStringLiteral("2M") }),
    [](const auto& testCase) { return testCase.param.name; });

struct RefusalCase {
    std::string name;
    QString kind;
    QString plugin; // chosen when not empty
    QString typed;
    QString problem; // a part of what the dialog says
    QStringList plugins { QStringLiteral("socketcan"), QStringLiteral("peakcan") };
};

void PrintTo(const RefusalCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class frmConnectInterfaceRefusalTest : public testing::TestWithParam<RefusalCase> { };

TEST_P(frmConnectInterfaceRefusalTest, SaysWhatIsMissingStaysOpenAndForgetsItOnTheNextKey)
{
    frmConnectInterface dialog(machine(GetParam().plugins));
    dialog.show();
    choose(box(dialog, "cboKind"), GetParam().kind);
    if (!GetParam().plugin.isEmpty())
        choose(box(dialog, "cboPlugin"), GetParam().plugin);
    retype(box(dialog, "cboDevice"), GetParam().typed);
    QTest::mouseClick(control<QPushButton>(dialog, "cmdConnect"), Qt::LeftButton);

    auto* problem = control<QLabel>(dialog, "lblProblem");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(problem->isVisible());
    EXPECT_TRUE(problem->text().contains(GetParam().problem)) << problem->text().toStdString();

    QTest::keyClick(box(dialog, "cboDevice"), Qt::Key_X);
    EXPECT_FALSE(problem->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Choices, frmConnectInterfaceRefusalTest,
    testing::Values(
        RefusalCase { "BoardWithoutPort", kBoard, {}, {}, QStringLiteral("the board's serial port") },
        RefusalCase {
            "SlcanWithBlankDevice", kSlcan, {}, QStringLiteral("   "), QStringLiteral("adapter's serial port") },
        RefusalCase { "PluginWithoutInterface",
                      kPlugin,
                      QStringLiteral("socketcan"),
                      {},
                      QStringLiteral("interface of socketcan") },
        RefusalCase { "PluginThatListsNoInterface",
                      kPlugin,
                      QStringLiteral("peakcan"),
                      {},
                      QStringLiteral("interface of peakcan") },
        // It would be read back as an slcan adapter the next time.
        RefusalCase { "BoardGivenAnSlcanAddress",
                      kBoard,
                      {},
                      QStringLiteral("slcan:/dev/ttyACM0"),
                      QStringLiteral("not a serial port") },
        RefusalCase {
            "NoPluginInstalled", kPlugin, {}, QStringLiteral("can0"), QStringLiteral("No Qt Serial Bus plugin"), {} }),
    [](const auto& testCase) { return testCase.param.name; });

struct PreselectCase {
    std::string name;
    SourceAddress address;
    QString kind;
};

void PrintTo(const PreselectCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class frmConnectInterfacePreselectTest : public testing::TestWithParam<PreselectCase> { };

TEST_P(frmConnectInterfacePreselectTest, ShowsTheAddressGivenAndConnectsToItUnchanged)
{
    frmConnectInterface dialog(machine());
    dialog.setAddress(GetParam().address);
    dialog.show();
    const SourceAddress& address = GetParam().address;
    EXPECT_EQ(box(dialog, "cboKind")->currentText(), GetParam().kind);
    EXPECT_EQ(box(dialog, "cboDevice")->currentText().toStdString(), address.device);
    if (address.kind == Kind::CanBus) {
        EXPECT_EQ(box(dialog, "cboPlugin")->currentText().toStdString(), address.plugin);
    }
    if (address.kind == Kind::Slcan) {
        EXPECT_EQ(box(dialog, "cboBitRate")->currentText().toStdString(), SourceAddress::bitRateText(address.bitRate));
    }

    QTest::mouseClick(control<QPushButton>(dialog, "cmdConnect"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.address(), address);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, frmConnectInterfacePreselectTest,
    testing::Values(PreselectCase { "BoardListed", board("2"), kBoard },
                    PreselectCase { "BoardNotListed", board(kByPath), kBoard },
                    PreselectCase { "SlcanAtAnotherRate", slcan("/dev/ttyUSB0", 1'000'000), kSlcan },
                    PreselectCase { "SlcanNotListed", slcan("COM5"), kSlcan },
                    PreselectCase { "PluginListedSecond", plugin("socketcan", "vcan0"), kPlugin },
                    PreselectCase { "InterfaceNotListed", plugin("virtualcan", "tcp://10.0.0.2:35468/can1"), kPlugin },
                    PreselectCase { "PluginNoLongerInstalled", plugin("tinycan", "channel0"), kPlugin }),
    [](const auto& testCase) { return testCase.param.name; });

} // namespace

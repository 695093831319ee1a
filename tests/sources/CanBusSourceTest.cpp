#include "sources/CanBusSource.h"
#include "capture/CaptureTestSupport.h"
#include "capture/record/CaptureSession.h"
#include "capture/record/FrameFacts.h"
#include "capture/record/RecordTap.h"
#include "platform/Eventually.h"
#include "sources/VirtualCanTestBus.h"

#include <QCanBusDevice>
#include <QElapsedTimer>
#include <QSignalSpy>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <linux/can.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vexmoor::CanBusSource;
using vexmoor::CanFrame;
using vexmoor::CaptureSession;
using vexmoor::CaptureSource;
using vexmoor::test::eventually;
using vexmoor::test::makeFrame;
using vexmoor::test::rowsOf;

std::int64_t wallClockUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// What ingestion saw of every frame a source handed on.
class HandedOnFrames final : public vexmoor::RecordTap {
public:
    struct Entry {
        CanFrame frame;
        std::string interfaceName;
    };
    std::vector<Entry> entries;

    void recordArrived(std::string_view, const vexmoor::FrameFacts* facts) override
    {
        if (facts != nullptr)
            entries.push_back({ facts->frame, std::string(facts->interfaceName) });
    }
};

QCanBusFrame dataFrame(quint32 id, const char* hexPayload, bool extended = false)
{
    QCanBusFrame frame(id, QByteArray::fromHex(hexPayload));
    frame.setExtendedFrameFormat(extended);
    return frame;
}

QCanBusFrame remoteFrame(quint32 id, qsizetype requestedLength)
{
    QCanBusFrame frame(id, QByteArray(requestedLength, '\0'));
    frame.setFrameType(QCanBusFrame::RemoteRequestFrame);
    return frame;
}

QCanBusFrame fdFrame(quint32 id, const char* hexPayload, bool flags = false)
{
    QCanBusFrame frame = dataFrame(id, hexPayload);
    frame.setFlexibleDataRateFormat(true);
    frame.setBitrateSwitch(flags);
    frame.setErrorStateIndicator(flags);
    return frame;
}

QCanBusFrame errorFrame(QCanBusFrame::FrameErrors errors, const char* hexPayload = "")
{
    QCanBusFrame frame(QCanBusFrame::ErrorFrame);
    frame.setError(errors);
    frame.setPayload(QByteArray::fromHex(hexPayload));
    return frame;
}

class CanBusSourceTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isListening());
        session.ingestion().setTap(&handedOn);
    }

    // A source open on the test's bus, with the bus ready to carry frames to it.
    std::unique_ptr<CanBusSource> openOnBus()
    {
        auto source = std::make_unique<CanBusSource>(session, QStringLiteral("virtualcan"), bus.url());
        EXPECT_TRUE(source->open()) << source->errorString().toStdString();
        EXPECT_TRUE(eventually([&] { return bus.hasListener(); }));
        return source;
    }

    vexmoor::test::FixedClock timeOfDay;
    CaptureSession session { timeOfDay };
    vexmoor::test::VirtualCanTestBus bus;
    HandedOnFrames handedOn;
};

TEST_F(CanBusSourceTest, FramesOnTheBusReachTheTableWithTheirFormat)
{
    // The plugin stamps a frame with its arrival in whole milliseconds.
    const std::int64_t before = wallClockUs() / 1000 * 1000;
    const auto source = openOnBus();
    EXPECT_EQ(source->description().toStdString(), "CAN interface virtualcan:" + bus.url().toStdString());

    bus.send(dataFrame(0x123, "1122"));
    bus.send(dataFrame(0x18DAF110, "3e", true));
    bus.send(remoteFrame(0x7DF, 0));
    bus.send(dataFrame(0x100, "01", true)); // an extended identifier that would fit in 11 bits
    ASSERT_TRUE(eventually([&] { return source->frames() == 4; }));
    const std::int64_t after = wallClockUs();

    std::vector<CanFrame> expected { makeFrame(0x123, { 0x11, 0x22 }),
                                     makeFrame(0x18DAF110, { 0x3E }, { .extended = true }),
                                     makeFrame(0x7DF, {}, { .remote = true }),
                                     makeFrame(0x100, { 0x01 }, { .extended = true }) };
    ASSERT_EQ(handedOn.entries.size(), expected.size());
    CaptureSession expectedSession(timeOfDay);
    for (std::size_t index = 0; index < expected.size(); ++index) {
        const auto& [frame, interfaceName] = handedOn.entries[index];
        EXPECT_EQ(interfaceName, "can0"); // the channel of the URL, as a candump log names it
        EXPECT_GE(frame.timestampUs, before);
        EXPECT_LE(frame.timestampUs, after);
        expected[index].timestampUs = frame.timestampUs;
        EXPECT_EQ(frame, expected[index]);
        expectedSession.ingestFrame(expected[index], interfaceName);
    }
    EXPECT_EQ(session.table().rowCount(), 4);
    EXPECT_EQ(rowsOf(session.table()), rowsOf(expectedSession.table()));
    EXPECT_TRUE(bus.framesFromClients().isEmpty()) << "the source only listens";
    EXPECT_TRUE(source->remark().isEmpty());
}

struct ConversionCase {
    const char* name;
    QCanBusFrame frame;
    bool stamped; // the test stamps it 5 ms before now; otherwise it has no stamp
    std::optional<CanFrame> handedOn; // its time stamp is the test's to fill in
    const char* remark;
};

void PrintTo(const ConversionCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

CanFrame remoteAsking(std::uint32_t id, std::uint8_t length)
{
    CanFrame frame = makeFrame(id, {}, { .remote = true });
    frame.length = length;
    return frame;
}

class FrameConversionTest : public CanBusSourceTest, public testing::WithParamInterface<ConversionCase> { };

TEST_P(FrameConversionTest, HandsOnWhatTheTableCanShowAndCountsTheRest)
{
    const auto source = openOnBus();
    QCanBusFrame frame = GetParam().frame;
    const std::int64_t stampUs = wallClockUs() - 5'000;
    if (GetParam().stamped)
        frame.setTimeStamp(QCanBusFrame::TimeStamp::fromMicroSeconds(stampUs));

    const std::int64_t before = wallClockUs();
    source->handleFrames({ frame });
    const std::int64_t after = wallClockUs();

    EXPECT_EQ(source->remark().toStdString(), GetParam().remark);
    if (!GetParam().handedOn) {
        EXPECT_TRUE(handedOn.entries.empty());
        EXPECT_EQ(source->frames(), 0u);
        EXPECT_EQ(session.table().rowCount(), 0);
        return;
    }
    ASSERT_EQ(handedOn.entries.size(), 1u);
    const CanFrame& actual = handedOn.entries.front().frame;
    CanFrame expected = *GetParam().handedOn;
    if (GetParam().stamped) {
        expected.timestampUs = stampUs;
    } else {
        EXPECT_GE(actual.timestampUs, before) << "an unstamped frame takes its arrival time";
        EXPECT_LE(actual.timestampUs, after);
        expected.timestampUs = actual.timestampUs;
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(source->frames(), 1u);
    EXPECT_EQ(session.table().rowCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FrameConversionTest,
    testing::Values(
        ConversionCase { "StandardDataFrame", dataFrame(0x123, "112233"), true, makeFrame(0x123, { 0x11, 0x22, 0x33 }),
                         "" },
        ConversionCase { "ExtendedDataFrame", dataFrame(0x1ABCDE0F, "0102", true), true,
                         makeFrame(0x1ABCDE0F, { 0x01, 0x02 }, { .extended = true }), "" },
        ConversionCase { "RemoteFrameWithTheLengthItAsksFor", remoteFrame(0x7DF, 4), true, remoteAsking(0x7DF, 4), "" },
        ConversionCase { "CanFdFrameOfEightBytes", fdFrame(0x321, "0102030405060708"), true,
                         makeFrame(0x321, { 1, 2, 3, 4, 5, 6, 7, 8 }, { .fd = true }), "" },
        ConversionCase { "CanFdFrameOfTwelveBytesWithItsFlags", fdFrame(0x321, "010203040506070809101112", true), true,
                         makeFrame(0x321, { 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x10, 0x11, 0x12 },
                                   { .fd = true, .bitRateSwitch = true, .errorStateIndicator = true }),
                         "" },
        ConversionCase { "CanFdFrameOfNoFdLength", fdFrame(0x321, "010203040506070809"), true, std::nullopt,
                         "1 frame of no CAN length not shown" },
        ConversionCase { "UnstampedFrame", dataFrame(0x123, "11"), false, makeFrame(0x123, { 0x11 }), "" },
        ConversionCase { "BaseFormatFlagOnAnIdentifierPast11Bits", dataFrame(0x800, "11", false), true,
                         makeFrame(0x800, { 0x11 }, { .extended = true }), "" },
        ConversionCase { "InvalidFrame", QCanBusFrame(QCanBusFrame::InvalidFrame), true, std::nullopt, "" }),
    [](const auto& testCase) { return std::string(testCase.param.name); });

struct BusErrorCase {
    const char* name;
    QList<QCanBusFrame> frames;
    const char* remark;
    const char* lostReason; // null: the capture goes on
    quint64 framesHandedOn;
};

void PrintTo(const BusErrorCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class BusErrorTest : public CanBusSourceTest, public testing::WithParamInterface<BusErrorCase> { };

TEST_P(BusErrorTest, CountsErrorFramesInTheRemarkAndEndsTheCaptureAtBusOff)
{
    const auto source = openOnBus();
    QSignalSpy lost(source.get(), &CaptureSource::lost);
    QSignalSpy remarks(source.get(), &CaptureSource::remarkChanged);

    source->handleFrames(GetParam().frames);

    EXPECT_EQ(source->remark().toStdString(), GetParam().remark);
    ASSERT_EQ(remarks.count(), 1) << "one remark for the whole batch";
    EXPECT_EQ(remarks.at(0).at(0).toString().toStdString(), GetParam().remark);
    EXPECT_EQ(source->frames(), GetParam().framesHandedOn);
    if (GetParam().lostReason == nullptr) {
        EXPECT_EQ(lost.count(), 0);
        EXPECT_TRUE(source->isOpen());
        return;
    }
    ASSERT_EQ(lost.count(), 1);
    EXPECT_EQ(lost.at(0).at(0).toString().toStdString(), GetParam().lostReason);
    EXPECT_FALSE(source->isOpen());
}

INSTANTIATE_TEST_SUITE_P(Errors, BusErrorTest,
                         testing::Values(BusErrorCase { "BusError",
                                                        { errorFrame(QCanBusFrame::BusError), dataFrame(0x123, "11") },
                                                        "1 error frame",
                                                        nullptr,
                                                        1 },
                                         BusErrorCase { "ErrorPassiveOnReceiveAndOnSend",
                                                        { errorFrame(QCanBusFrame::ControllerError, "0010"),
                                                          errorFrame(QCanBusFrame::ControllerError, "0020") },
                                                        "2 error frames, 2 error-passive",
                                                        nullptr,
                                                        0 },
                                         BusErrorCase { "ControllerWarningIsNotErrorPassive",
                                                        { errorFrame(QCanBusFrame::ControllerError, "0004") },
                                                        "1 error frame",
                                                        nullptr,
                                                        0 },
                                         BusErrorCase { "PassiveBitsOfAnotherErrorClass",
                                                        { errorFrame(QCanBusFrame::ProtocolViolationError, "0030") },
                                                        "1 error frame",
                                                        nullptr,
                                                        0 },
                                         BusErrorCase { "BusOff",
                                                        { errorFrame(QCanBusFrame::BusError),
                                                          errorFrame(QCanBusFrame::BusOffError),
                                                          dataFrame(0x123, "11") },
                                                        "2 error frames",
                                                        "bus off",
                                                        0 }),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(CanBusSourceTest, AServerThatGoesAwayEndsTheCaptureOnceAndKeepsTheTable)
{
    const auto source = openOnBus();
    QSignalSpy lost(source.get(), &CaptureSource::lost);
    bus.send(dataFrame(0x123, "11"));
    ASSERT_TRUE(eventually([&] { return source->frames() == 1; }));

    bus.shutDown();
    ASSERT_TRUE(eventually([&] { return lost.count() > 0; }));
    EXPECT_EQ(lost.at(0).at(0).toString().toStdString(), "the virtual CAN server closed the connection");
    EXPECT_FALSE(source->isOpen());
    QTest::qWait(100);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(session.table().rowCount(), 1);
    EXPECT_TRUE(source->findChildren<QCanBusDevice*>().isEmpty()) << "the device is released";
}

TEST_F(CanBusSourceTest, CloseStopsTheFramesSilentlyAndAReopenStartsAfresh)
{
    const auto source = openOnBus();
    QSignalSpy lost(source.get(), &CaptureSource::lost);
    bus.send(dataFrame(0x123, "11"));
    ASSERT_TRUE(eventually([&] { return source->frames() == 1; }));
    source->handleFrames({ errorFrame(QCanBusFrame::BusError) });
    EXPECT_EQ(source->remark().toStdString(), "1 error frame");

    source->close();
    EXPECT_FALSE(source->isOpen());
    bus.send(dataFrame(0x124, "22")); // to the connection the source just let go of
    ASSERT_TRUE(eventually([&] { return !bus.hasListener(); })) << "close leaves the bus";
    source->close();
    QTest::qWait(50);
    EXPECT_EQ(session.table().rowCount(), 1);
    EXPECT_EQ(lost.count(), 0);

    ASSERT_TRUE(source->open()) << source->errorString().toStdString();
    EXPECT_EQ(source->frames(), 0u);
    EXPECT_TRUE(source->remark().isEmpty());
    ASSERT_TRUE(eventually([&] { return bus.hasListener(); }));
    bus.send(dataFrame(0x125, "33"));
    ASSERT_TRUE(eventually([&] { return source->frames() == 1; }));
    EXPECT_EQ(session.table().rowCount(), 2);
}

// A loopback port that is taken but not listening: a connection to it is refused, and the virtual
// bus plugin cannot start its own server there.
class RefusingPort final {
public:
    RefusingPort()
        : m_socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof(address);
        if (m_socket >= 0 && ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), size) == 0
            && ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &size) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~RefusingPort()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    quint16 port() const { return m_port; }

private:
    int m_socket;
    quint16 m_port = 0;
};

struct RefusalCase {
    const char* name;
    const char* plugin;
    const char* interfaceName; // "{refused}" stands for the address of a port that refuses
    const char* errorPattern; // a POSIX extended regular expression, with "{refused}" as above
};

void PrintTo(const RefusalCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class OpenRefusalTest : public CanBusSourceTest, public testing::WithParamInterface<RefusalCase> { };

TEST_P(OpenRefusalTest, NamesTheStepAndTheReasonAtOnceAndLeavesTheSessionUntouched)
{
    const RefusingPort refusing;
    ASSERT_NE(refusing.port(), 0);
    const QString refusedUrl = QStringLiteral("tcp://127.0.0.1:%1/can0").arg(refusing.port());
    const auto substituted
        = [&](const char* text) { return QString::fromUtf8(text).replace(QStringLiteral("{refused}"), refusedUrl); };
    CanBusSource source(session, QString::fromUtf8(GetParam().plugin), substituted(GetParam().interfaceName));
    QSignalSpy lost(&source, &CaptureSource::lost);

    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(source.open());
    EXPECT_LT(elapsed.elapsed(), 2000) << "a refusal is not left to the wait for an answer";
    EXPECT_THAT(source.errorString().toStdString(),
                testing::MatchesRegex(substituted(GetParam().errorPattern).toStdString()));
    EXPECT_FALSE(source.isOpen());
    QTest::qWait(50);
    EXPECT_EQ(lost.count(), 0);
    EXPECT_EQ(session.table().rowCount(), 0);
    EXPECT_TRUE(source.remark().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, OpenRefusalTest,
    testing::Values(
        RefusalCase { "UnknownPlugin", "nosuch", "can0",
                      "There is no Qt Serial Bus plugin \"nosuch\"\\. This machine has: .*socketcan, .*virtualcan\\." },
        RefusalCase { "InterfaceThePluginDoesNotHave", "virtualcan", "can7",
                      "Cannot set up virtualcan:can7: Invalid interface 'can7'\\." },
        RefusalCase { "ServerThatRefuses", "virtualcan", "{refused}",
                      "Cannot open virtualcan:{refused}: Connection refused" },
        // The library of PEAK's driver is not a Debian package; where it is installed, the device is
        // what is missing.
        RefusalCase { "DriverWithoutItsLibraryOrDevice", "peakcan", "usb0", "Cannot (set up|open) peakcan:usb0: .+" },
        RefusalCase { "SocketCanNameLongerThanTheKernelHolds", "socketcan", "can0-and-then-some",
                      "Cannot open socketcan:can0-and-then-some: an interface name has at most 15 characters" }),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// Why this machine has no CAN sockets (no can and can-raw modules, or a sandbox without them);
// nothing when it has them.
std::optional<std::string> noCanSockets()
{
    const int probe = ::socket(PF_CAN, SOCK_RAW, CAN_RAW);
    if (probe < 0)
        return std::string(std::strerror(errno));
    ::close(probe);
    return std::nullopt;
}

TEST_F(CanBusSourceTest, SocketCanOnAMissingInterfaceSaysWhyItCannotOpen)
{
    const std::optional<std::string> noSockets = noCanSockets();
    CanBusSource source(session, QStringLiteral("socketcan"), QStringLiteral("vxnone0"));
    EXPECT_FALSE(source.open());
    const std::string reason = noSockets ? *noSockets : std::string(std::strerror(ENODEV));
    EXPECT_EQ(source.errorString().toStdString(), "Cannot open socketcan:vxnone0: " + reason);
    EXPECT_EQ(session.table().rowCount(), 0);
}

// Sends one classic frame on a SocketCAN interface, as cansend would.
bool sendOnSocketCan(const QString& interfaceName, const can_frame& frame)
{
    const int sender = ::socket(PF_CAN, SOCK_RAW, CAN_RAW);
    if (sender < 0)
        return false;
    sockaddr_can address {};
    address.can_family = AF_CAN;
    address.can_ifindex = static_cast<int>(::if_nametoindex(interfaceName.toLocal8Bit().constData()));
    const bool sent = ::bind(sender, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0
        && ::write(sender, &frame, sizeof(frame)) == static_cast<ssize_t>(sizeof(frame));
    ::close(sender);
    return sent;
}

TEST_F(CanBusSourceTest, SocketCanFramesOnAVirtualInterfaceReachTheTable)
{
    if (const auto noSockets = noCanSockets())
        GTEST_SKIP() << "this machine has no CAN sockets: " << *noSockets;
    const QStringList interfaces = CanBusSource::availableInterfaces(QStringLiteral("socketcan"));
    const auto vcan = std::find_if(interfaces.begin(), interfaces.end(),
                                   [](const QString& name) { return name.startsWith(QStringLiteral("vcan")); });
    if (vcan == interfaces.end())
        GTEST_SKIP() << "no vcan interface is up (ip link add vcan0 type vcan && ip link set vcan0 up)";
    CanBusSource source(session, QStringLiteral("socketcan"), *vcan);
    ASSERT_TRUE(source.open()) << source.errorString().toStdString();

    const std::int64_t before = wallClockUs();
    can_frame frame {};
    frame.can_id = 0x12345678 | CAN_EFF_FLAG;
    frame.len = 2;
    frame.data[0] = 0xAB;
    frame.data[1] = 0xCD;
    ASSERT_TRUE(sendOnSocketCan(*vcan, frame));
    ASSERT_TRUE(eventually([&] { return source.frames() == 1; }));

    ASSERT_EQ(handedOn.entries.size(), 1u);
    const auto& [received, interfaceName] = handedOn.entries.front();
    EXPECT_EQ(interfaceName, vcan->toStdString());
    EXPECT_GE(received.timestampUs, before);
    EXPECT_LE(received.timestampUs, wallClockUs());
    CanFrame expected = makeFrame(0x12345678, { 0xAB, 0xCD }, { .extended = true });
    expected.timestampUs = received.timestampUs;
    EXPECT_EQ(received, expected);
}

TEST(CanBusSourceCatalogTest, ListsThePluginsSortedAndTheVirtualBussChannels)
{
    const QStringList plugins = CanBusSource::plugins();
    EXPECT_TRUE(plugins.contains(QStringLiteral("socketcan")));
    EXPECT_TRUE(plugins.contains(QStringLiteral("virtualcan")));
    EXPECT_TRUE(std::is_sorted(plugins.begin(), plugins.end()));
    EXPECT_EQ(CanBusSource::availableInterfaces(QStringLiteral("virtualcan")),
              (QStringList { QStringLiteral("can0"), QStringLiteral("can1") }));
    EXPECT_TRUE(CanBusSource::availableInterfaces(QStringLiteral("nosuch")).isEmpty());
}

} // namespace

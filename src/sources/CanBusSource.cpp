#include "sources/CanBusSource.h"

#include "capture/record/CaptureSession.h"
#include "platform/NetworkInterfaceState.h"

#include <QAbstractSocket>
#include <QCanBus>
#include <QEventLoop>
#include <QMetaObject>
#include <QVariant>

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

namespace vexmoor {

namespace {

const QString kSocketCan = QStringLiteral("socketcan");
const QString kVirtualCan = QStringLiteral("virtualcan");

// The controller-state bits of an error frame's second data byte, as SocketCAN numbers them
// (CAN_ERR_CRTL_RX_PASSIVE and CAN_ERR_CRTL_TX_PASSIVE in linux/can/error.h).
constexpr char kControllerRxPassive = 0x10;
constexpr char kControllerTxPassive = 0x20;
constexpr qsizetype kControllerStateByte = 1;

// Either part of a time stamp past this is beyond any clock a device has; below it, no sum of
// microseconds overflows.
constexpr qint64 kMaxStampPart = 100'000'000'000;
constexpr std::int64_t kMicrosecondsPerSecond = 1'000'000;

// A time stamp of zero is one the plugin never set.
std::optional<std::int64_t> stampMicroseconds(const QCanBusFrame::TimeStamp& stamp)
{
    if (stamp.seconds() == 0 && stamp.microSeconds() == 0)
        return std::nullopt;
    if (stamp.seconds() > kMaxStampPart || stamp.seconds() < -kMaxStampPart || stamp.microSeconds() > kMaxStampPart
        || stamp.microSeconds() < -kMaxStampPart)
        return std::nullopt;
    return stamp.seconds() * kMicrosecondsPerSecond + stamp.microSeconds();
}

QString orDefault(const QString& reason, const QString& fallback)
{
    return reason.isEmpty() ? fallback : reason;
}

QString counted(quint64 count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

bool reportsErrorPassive(const QCanBusFrame& errorFrame)
{
    if (!errorFrame.error().testFlag(QCanBusFrame::ControllerError))
        return false;
    const QByteArray payload = errorFrame.payload();
    return payload.size() > kControllerStateByte
        && (payload.at(kControllerStateByte) & (kControllerRxPassive | kControllerTxPassive)) != 0;
}

} // namespace

QStringList CanBusSource::plugins()
{
    QStringList names = QCanBus::instance()->plugins();
    names.sort();
    return names;
}

std::string CanBusSource::logInterfaceName(const QString& interfaceName)
{
    // A virtualcan URL (tcp://127.0.0.1:35468/can0) ends in the channel's name; a candump log line
    // has room for a name only.
    return interfaceName.section(QLatin1Char('/'), -1).toStdString();
}

QStringList CanBusSource::availableInterfaces(const QString& plugin)
{
    QStringList names;
    if (!plugins().contains(plugin))
        return names;
    QString error;
    const QList<QCanBusDeviceInfo> devices = QCanBus::instance()->availableDevices(plugin, &error);
    for (const QCanBusDeviceInfo& device : devices)
        names.append(device.name());
    return names;
}

CanBusSource::CanBusSource(CaptureSession& session, QString plugin, QString interfaceName, QObject* parent)
    : CaptureSource(session, parent)
    , m_plugin(std::move(plugin))
    , m_interfaceName(std::move(interfaceName))
    , m_interfaceKey(logInterfaceName(m_interfaceName))
{
    setObjectName(QStringLiteral("canBusSource"));
    setBusName(QString::fromStdString(m_interfaceKey));
    m_interfaceCheck.setInterval(kInterfaceCheckInterval);
    connect(&m_interfaceCheck, &QTimer::timeout, this, &CanBusSource::checkInterface);
}

CanBusSource::~CanBusSource()
{
    close();
}

QString CanBusSource::description() const
{
    return QStringLiteral("CAN interface %1:%2").arg(m_plugin, m_interfaceName);
}

bool CanBusSource::open()
{
    if (isOpen())
        return true;
    setErrorString({});
    const QStringList known = plugins();
    if (!known.contains(m_plugin)) {
        setErrorString(QStringLiteral("There is no Qt Serial Bus plugin \"%1\". This machine has: %2.")
                           .arg(m_plugin, known.isEmpty() ? QStringLiteral("none") : known.join(QStringLiteral(", "))));
        return false;
    }
    // Qt would cut a longer name to the first 15 characters, which may be another interface.
    if (m_plugin == kSocketCan
        && static_cast<std::size_t>(m_interfaceName.size()) > NetworkInterfaceState::kMaxNameLength)
        return fail(
            QStringLiteral("open"),
            QStringLiteral("an interface name has at most %1 characters").arg(NetworkInterfaceState::kMaxNameLength));

    std::unique_ptr<QCanBusDevice> device(createDevice());
    if (device == nullptr)
        return false;
    listenOnly(*device);
    if (!device->connectDevice())
        return fail(QStringLiteral("open"), device->errorString());
    const QString notConnected = waitUntilConnected(*device);
    if (!notConnected.isEmpty())
        return fail(QStringLiteral("open"), notConnected);
    adopt(device.release());
    return true;
}

QCanBusDevice* CanBusSource::createDevice()
{
    QString reason;
    std::unique_ptr<QCanBusDevice> device(QCanBus::instance()->createDevice(m_plugin, m_interfaceName, &reason));
    if (device == nullptr) {
        fail(QStringLiteral("set up"), reason);
        return nullptr;
    }
    // A plugin that refuses the interface name still makes a device, with the refusal as its error
    // (the virtual bus has can0 and can1 only, and would otherwise connect to can0).
    if (device->error() != QCanBusDevice::NoError) {
        fail(QStringLiteral("set up"), device->errorString());
        return nullptr;
    }
    return device.release();
}

bool CanBusSource::fail(const QString& step, const QString& reason)
{
    setErrorString(
        QStringLiteral("Cannot %1 %2:%3: %4")
            .arg(step, m_plugin, m_interfaceName, orDefault(reason, QStringLiteral("the plugin gave no reason"))));
    return false;
}

void CanBusSource::listenOnly(QCanBusDevice& device) const
{
    // No Qt plugin has a listen-only setting: the source simply writes nothing. Only SocketCAN
    // needs settings of its own; the others would change the bus's configuration with them, so
    // they are given CAN FD only when the user asked for it.
    if (m_canFd) {
        device.setConfigurationParameter(QCanBusDevice::CanFdKey, true);
        if (m_dataBitRate != 0)
            device.setConfigurationParameter(QCanBusDevice::DataBitRateKey, QVariant::fromValue(m_dataBitRate));
    }
    if (m_plugin != kSocketCan)
        return;
    // The plugin brings a bit rate of 500 kbit/s that it sets at connect where libsocketcan is
    // installed: run as root, that would reconfigure an interface that sits on a bus at another
    // rate. Unset, the interface keeps what ip link gave it.
    device.setConfigurationParameter(QCanBusDevice::BitRateKey, QVariant());
    // Error frames are what the remark counts, and how a bus that went off is seen.
    device.setConfigurationParameter(QCanBusDevice::ErrorFilterKey,
                                     QVariant::fromValue(QCanBusFrame::FrameErrors(QCanBusFrame::AnyError)));
    // The socket gets CAN FD frames only when it asks for them; unasked, the kernel drops them.
    device.setConfigurationParameter(QCanBusDevice::CanFdKey, true);
}

QString CanBusSource::waitUntilConnected(QCanBusDevice& device) const
{
    if (device.state() == QCanBusDevice::ConnectedState)
        return {};
    QEventLoop loop;
    QString reason;
    const auto stop = [&](const QString& why) {
        if (reason.isEmpty())
            reason = why;
        loop.quit();
    };
    connect(&device, &QCanBusDevice::stateChanged, &loop, [&](QCanBusDevice::CanBusDeviceState state) {
        if (state == QCanBusDevice::ConnectedState)
            loop.quit();
        else if (state == QCanBusDevice::UnconnectedState)
            stop(orDefault(device.errorString(), QStringLiteral("the device closed")));
    });
    connect(&device, &QCanBusDevice::errorOccurred, &loop, [&](QCanBusDevice::CanBusError error) {
        if (error == QCanBusDevice::ConnectionError)
            stop(device.errorString());
    });
    // The virtual bus does not pass on a refused TCP connection: without this it would wait out
    // the time and then report no reason.
    const QList<QAbstractSocket*> sockets = device.findChildren<QAbstractSocket*>();
    for (QAbstractSocket* socket : sockets)
        connect(socket, &QAbstractSocket::errorOccurred, &loop, [&, socket] { stop(socket->errorString()); });
    QTimer::singleShot(kConnectTimeout, &loop, [&] {
        stop(QStringLiteral("no answer within %1 s").arg(std::chrono::duration<double>(kConnectTimeout).count()));
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (reason.isEmpty() && device.state() != QCanBusDevice::ConnectedState)
        reason = QStringLiteral("the device did not connect");
    return reason;
}

void CanBusSource::adopt(QCanBusDevice* device)
{
    device->setParent(this);
    m_device = device;
    m_frames = 0;
    m_errorFrames = 0;
    m_errorPassive = 0;
    m_unshapedFrames = 0;
    m_timeMapping.reset();
    updateRemark();
    connect(device, &QCanBusDevice::framesReceived, this, &CanBusSource::readFrames);
    connect(device, &QCanBusDevice::stateChanged, this, &CanBusSource::deviceStateChanged);
    connect(device, &QCanBusDevice::errorOccurred, this, &CanBusSource::deviceErrorOccurred);
    if (m_plugin == kSocketCan)
        m_interfaceCheck.start();
    // Frames that arrived while open() waited raised their signal before anyone listened. They go
    // on the next turn, so that a bus-off among them is not reported from inside open().
    if (device->framesAvailable() > 0)
        QMetaObject::invokeMethod(this, &CanBusSource::readFrames, Qt::QueuedConnection);
}

void CanBusSource::close()
{
    if (m_device == nullptr)
        return;
    QCanBusDevice* device = std::exchange(m_device, nullptr);
    m_interfaceCheck.stop();
    disconnect(device, nullptr, this, nullptr);
    const QCanBusDevice::CanBusDeviceState state = device->state();
    if (state == QCanBusDevice::ConnectedState || state == QCanBusDevice::ConnectingState)
        device->disconnectDevice();
    // Its own signal may be what led here: it goes once that returns.
    device->deleteLater();
}

void CanBusSource::readFrames()
{
    if (m_device != nullptr)
        handleFrames(m_device->readAllFrames());
}

void CanBusSource::handleFrames(const QList<QCanBusFrame>& received)
{
    if (!isOpen())
        return;
    // One reading of the clock for the batch: the frames arrived together.
    const std::int64_t arrivedUs = arrivalUs();
    const quint64 countsBefore = m_errorFrames + m_errorPassive + m_unshapedFrames;
    for (const QCanBusFrame& frame : received) {
        if (!handleFrame(frame, arrivedUs))
            return;
    }
    if (m_errorFrames + m_errorPassive + m_unshapedFrames != countsBefore)
        updateRemark();
}

bool CanBusSource::handleFrame(const QCanBusFrame& received, std::int64_t arrivalUs)
{
    switch (received.frameType()) {
    case QCanBusFrame::DataFrame:
    case QCanBusFrame::RemoteRequestFrame:
        handOn(received, arrivalUs);
        return true;
    case QCanBusFrame::ErrorFrame:
        return countBusError(received);
    default:
        // Nothing a bus carried.
        return true;
    }
}

void CanBusSource::handOn(const QCanBusFrame& received, std::int64_t arrivalUs)
{
    const bool remote = received.frameType() == QCanBusFrame::RemoteRequestFrame;
    const bool fd = !remote && received.hasFlexibleDataRateFormat();
    const QByteArray payload = received.payload();
    // The kernel pads an FD frame to one of FD's lengths; a plugin that hands on another length, or
    // a classic frame past 8 bytes, carries no frame a bus could have.
    const auto size = static_cast<std::size_t>(payload.size());
    if (!remote
        && (fd ? size > CanFrame::kMaxFdLength || !CanFrame::isFdLength(size) : size > CanFrame::kMaxClassicLength)) {
        ++m_unshapedFrames;
        return;
    }
    m_frame.id = received.frameId();
    // An identifier past 11 bits cannot be a base-format one, whatever flag the plugin set.
    m_frame.extended = received.hasExtendedFrameFormat() || m_frame.id > CanFrame::kMaxStandardId;
    m_frame.remote = remote;
    m_frame.fd = fd;
    m_frame.bitRateSwitch = fd && received.hasBitrateSwitch();
    m_frame.errorStateIndicator = fd && received.hasErrorStateIndicator();
    // A remote frame carries no data; its payload's size is the length it asks for.
    m_frame.length = static_cast<std::uint8_t>(std::min<std::size_t>(size, m_frame.maxLength()));
    if (!remote)
        std::copy_n(payload.constData(), m_frame.length, m_frame.data.begin());
    // What a shorter frame leaves of the one before is cleared: the frame equals what came.
    std::fill(m_frame.data.begin() + (remote ? 0 : m_frame.length), m_frame.data.end(), 0);
    m_frame.timestampUs = m_timeMapping.epochMicroseconds(stampMicroseconds(received.timeStamp()), arrivalUs);
    session().ingestFrame(m_frame, busKey());
    ++m_frames;
}

bool CanBusSource::countBusError(const QCanBusFrame& received)
{
    ++m_errorFrames;
    if (reportsErrorPassive(received))
        ++m_errorPassive;
    if (!received.error().testFlag(QCanBusFrame::BusOffError))
        return true;
    // A controller that went off the bus hears nothing more until it is restarted: the capture
    // ends as if the adapter had been pulled.
    updateRemark();
    reportLost(QStringLiteral("bus off"));
    return false;
}

void CanBusSource::updateRemark()
{
    QStringList parts;
    if (m_errorFrames > 0)
        parts.append(counted(m_errorFrames, "error frame", "error frames"));
    if (m_errorPassive > 0)
        parts.append(QStringLiteral("%1 error-passive").arg(m_errorPassive));
    if (m_unshapedFrames > 0)
        parts.append(
            counted(m_unshapedFrames, "frame of no CAN length not shown", "frames of no CAN length not shown"));
    setRemark(parts.join(QStringLiteral(", ")));
}

void CanBusSource::deviceStateChanged(QCanBusDevice::CanBusDeviceState state)
{
    if (m_device == nullptr || state != QCanBusDevice::UnconnectedState)
        return;
    // The virtual bus's client turns unconnected without an error when its server goes away.
    reportLost(m_plugin == kVirtualCan ? QStringLiteral("the virtual CAN server closed the connection")
                                       : QStringLiteral("the device closed"));
}

void CanBusSource::deviceErrorOccurred(QCanBusDevice::CanBusError error)
{
    if (m_device == nullptr || (error != QCanBusDevice::ReadError && error != QCanBusDevice::ConnectionError))
        return;
    reportLost(orDefault(m_device->errorString(), QStringLiteral("the device reported an error")));
}

void CanBusSource::checkInterface()
{
    switch (NetworkInterfaceState::of(m_interfaceKey)) {
    case NetworkInterfaceState::State::Missing:
        reportLost(QStringLiteral("%1 is gone").arg(m_interfaceName));
        return;
    case NetworkInterfaceState::State::Down:
        reportLost(QStringLiteral("%1 is down").arg(m_interfaceName));
        return;
    case NetworkInterfaceState::State::Up:
    case NetworkInterfaceState::State::Unknown:
        return;
    }
}

} // namespace vexmoor

#pragma once

#include "capture/record/CanFrame.h"
#include "sources/CaptureSource.h"
#include "sources/DeviceTimeMapping.h"

#include <QCanBusDevice>
#include <QCanBusFrame>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <string>

namespace vexmoor {

// An interface of a Qt Serial Bus plugin as a live source: "socketcan" with "can0", or "virtualcan"
// with "tcp://127.0.0.1:35468/can0". It only listens: it writes no frame, and sets no bit rate, as
// the interface's owner configures that (ip link, the adapter's own tool). Bus errors are counted
// in the remark; a bus that goes off, or a device that goes away, ends it with lost().
class CanBusSource final : public CaptureSource {
    Q_OBJECT

public:
    // How long open() waits for a plugin that connects in the background (the virtual bus's TCP).
    static constexpr std::chrono::milliseconds kConnectTimeout { 3000 };
    // How often a SocketCAN interface is looked for, as a pulled adapter raises no error.
    static constexpr std::chrono::milliseconds kInterfaceCheckInterval { 1000 };

    // The plugins of this machine, sorted: "passthrucan", "peakcan", "socketcan", ...
    static QStringList plugins();
    // The interfaces a plugin finds on this machine, for the connect dialog; none when the plugin is
    // unknown or cannot look (its driver library missing).
    static QStringList availableInterfaces(const QString& plugin);
    // The name the frames carry into the session and a candump log.
    static std::string logInterfaceName(const QString& interfaceName);

    CanBusSource(CaptureSession& session, QString plugin, QString interfaceName, QObject* parent = nullptr);
    ~CanBusSource() override;
    Q_DISABLE_COPY_MOVE(CanBusSource)

    // Asks the interface for CAN FD frames, at a data bit rate (0: the interface's own), before open().
    void askForCanFd(std::uint32_t dataBitRate)
    {
        m_canFd = true;
        m_dataBitRate = dataBitRate;
    }

    Kind kind() const override { return Kind::CanBus; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_device != nullptr; }
    QString description() const override;
    quint64 frames() const override { return m_frames; }

    // What the device's frames go through as they arrive: data and remote frames to the session,
    // error frames to the counts. Tests hand it frames that no test bus can carry.
    void handleFrames(const QList<QCanBusFrame>& received);

private:
    // The plugin's device for the interface, or null with the error string set.
    QCanBusDevice* createDevice();
    void listenOnly(QCanBusDevice& device) const;
    // Lets the event loop run until the device is connected; the reason when it is not.
    QString waitUntilConnected(QCanBusDevice& device) const;
    void adopt(QCanBusDevice* device);
    // Sets the error string for a step of open() that failed; false, for open() to return.
    bool fail(const QString& step, const QString& reason);

    void readFrames();
    // False when the frame ended the capture.
    bool handleFrame(const QCanBusFrame& received, std::int64_t arrivalUs);
    void handOn(const QCanBusFrame& received, std::int64_t arrivalUs);
    bool countBusError(const QCanBusFrame& received);
    void updateRemark();

    void deviceStateChanged(QCanBusDevice::CanBusDeviceState state);
    void deviceErrorOccurred(QCanBusDevice::CanBusError error);
    void checkInterface();

    QString m_plugin;
    bool m_canFd = false;
    std::uint32_t m_dataBitRate = 0;
    QString m_interfaceName;
    std::string m_interfaceKey; // the interface name as the session is handed it, made once
    QCanBusDevice* m_device = nullptr; // a child of this source while open
    QTimer m_interfaceCheck;
    DeviceTimeMapping m_timeMapping;
    CanFrame m_frame; // reused for every frame handed on

    quint64 m_frames = 0;
    quint64 m_errorFrames = 0;
    quint64 m_errorPassive = 0;
    quint64 m_unshapedFrames = 0; // frames of a length no CAN frame has, which a plugin handed on
};

} // namespace vexmoor

// Puts frames on a virtual CAN bus at a steady rate, as a busy vehicle bus would: RATE frames a
// second over IDS identifiers (each with 8 data bytes, one byte in ten frames changing; with FD=1 in
// the environment, CAN FD frames of 64 bytes, a byte in ten of eight changing), for SECONDS, after
// waiting DELAY seconds for the receiver to connect. The bus's server runs in this process (the
// virtualcan plugin starts it for a loopback URL), so start this first. Prints the frames sent.
//   vexmoor-canbus-send URL RATE SECONDS IDS [DELAY]     URL: tcp://127.0.0.1:35470/can0
#include <QCanBus>
#include <QCanBusDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QVariant>

#include <array>
#include <cstdint>
#include <iostream>
#include <memory>
#include <string_view>
#include <vector>

namespace {

constexpr int kTickMs = 5;

// xorshift64: enough to vary the data, the same on every run.
class Noise {
public:
    std::uint64_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }

private:
    std::uint64_t m_state = 0x9E3779B97F4A7C15ULL;
};

} // namespace

int main(int argc, char** argv)
{
    const std::string_view usageLine = "usage: vexmoor-canbus-send URL RATE SECONDS IDS [DELAY]\n";
    for (int index = 1; index < argc; ++index) {
        if (std::string_view(argv[index]) == "--help" || std::string_view(argv[index]) == "-h") {
            std::cout << usageLine
                      << "\nPuts RATE frames a second over IDS identifiers on the virtual CAN bus at URL\n"
                         "(tcp://127.0.0.1:35470/can0) for SECONDS, after waiting DELAY seconds (default 2) for\n"
                         "the receiver to connect; the bus's server runs in this process, so start it first.\n"
                         "  --help, -h  show this text\n";
            return std::cout.flush() ? 0 : 2;
        }
    }
    QCoreApplication application(argc, argv);
    if (argc < 5) {
        std::cerr << usageLine;
        return 2;
    }
    const QString url = QString::fromLocal8Bit(argv[1]);
    const double rate = QString::fromLocal8Bit(argv[2]).toDouble();
    const double seconds = QString::fromLocal8Bit(argv[3]).toDouble();
    const int identifiers = QString::fromLocal8Bit(argv[4]).toInt();
    const double delay = argc > 5 ? QString::fromLocal8Bit(argv[5]).toDouble() : 2.0;

    QString error;
    std::unique_ptr<QCanBusDevice> device(QCanBus::instance()->createDevice(QStringLiteral("virtualcan"), url, &error));
    const bool fd = qEnvironmentVariableIsSet("FD");
    // The plugin writes no FD frame unless asked for them.
    if (device && fd)
        device->setConfigurationParameter(QCanBusDevice::CanFdKey, true);
    if (!device || !device->connectDevice()) {
        std::cerr << "cannot open virtualcan " << url.toStdString() << ": " << error.toStdString() << '\n';
        return 2;
    }

    const std::size_t length = fd ? 64 : 8;
    std::vector<std::array<std::uint8_t, 64>> data(static_cast<std::size_t>(identifiers));
    Noise noise;
    for (auto& bytes : data)
        for (auto& byte : bytes)
            byte = static_cast<std::uint8_t>(noise.next());

    std::uint64_t sent = 0;
    QElapsedTimer clock;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, &tick, [&] {
        const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (elapsed >= seconds) {
            tick.stop();
            // Let the last frames leave before the bus goes.
            QTimer::singleShot(2000, &application, &QCoreApplication::quit);
            return;
        }
        // Whatever is due by now: the rate holds however late a tick comes.
        const auto due = static_cast<std::uint64_t>(elapsed * rate);
        for (; sent < due; ++sent) {
            const auto id = static_cast<std::size_t>(sent % static_cast<std::uint64_t>(identifiers));
            auto& bytes = data[id];
            // As many changes a byte as on a classic bus: a byte in ten frames for every eight bytes.
            for (std::size_t eighth = 0; eighth < length / 8; ++eighth) {
                if (noise.next() % 10 == 0)
                    bytes[eighth * 8 + noise.next() % 8] = static_cast<std::uint8_t>(noise.next());
            }
            QCanBusFrame frame(static_cast<quint32>(id),
                               QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(length)));
            frame.setFlexibleDataRateFormat(fd);
            frame.setBitrateSwitch(fd);
            device->writeFrame(frame);
        }
    });
    QTimer::singleShot(static_cast<int>(delay * 1000), &tick, [&] {
        clock.start();
        tick.start(kTickMs);
    });
    QCoreApplication::exec();
    std::cerr << "vexmoor-canbus-send: sent " << sent << " frames\n";
    return 0;
}

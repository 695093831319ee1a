#pragma once

#include "platform/SerialPort.h"

#include <deque>
#include <optional>

namespace vexmoor::test {

// A serial port that records what it was told and hands out prepared reads. A description put in
// refuseSettings or refuseOpen makes that step fail with it, after the step has been recorded.
class FakeSerialPort final : public SerialPort {
public:
    SerialResult setPortNumber(std::int16_t number) override
    {
        portNumber = number;
        return SerialResult::success();
    }
    SerialResult setDevicePath(const QString& path) override
    {
        devicePath = path;
        return SerialResult::success();
    }
    SerialResult setSettings(const QString& text) override
    {
        settings = text;
        if (!refuseSettings.isEmpty())
            return SerialResult::failure(refuseSettings);
        return SerialResult::success();
    }
    SerialResult open() override
    {
        ++openAttempts;
        if (!refuseOpen.isEmpty())
            return SerialResult::failure(refuseOpen);
        opened = true;
        return SerialResult::success();
    }
    bool isOpen() const override { return opened; }
    void close() override { opened = false; }
    QString deviceName() const override { return devicePath; }
    SerialResult readPending(std::string& text) override
    {
        ++reads;
        text.clear();
        if (!opened)
            return SerialResult::failure(QStringLiteral("not open"));
        if (!pending.empty()) {
            text = pending.front();
            pending.pop_front();
        }
        return SerialResult::success();
    }

    std::optional<std::int16_t> portNumber;
    QString devicePath;
    QString settings;
    bool opened = false;
    int openAttempts = 0;
    int reads = 0;
    QString refuseSettings;
    QString refuseOpen;
    std::deque<std::string> pending;
};

} // namespace vexmoor::test

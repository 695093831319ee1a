#pragma once

#include <QWidget>

#include <string>

class QCheckBox;
class QLabel;
class QPushButton;

namespace vexmoor {

struct InteriorEmulatorSlots;
class Timer;

// "CAN-BUS Emulator": three switches of one vehicle's interior bus, each state a fixed record. Its
// copy timer writes the states into the main window's slots every 100 ms; the main window's emulator
// timer ingests them. Opening the window starts the emulator, closing it stops it.
class frmEmulator final : public QWidget {
    Q_OBJECT

public:
    frmEmulator(InteriorEmulatorSlots& emulatorSlots, Timer& emulatorTimer, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmEmulator)

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void pressStabilityControl();
    void pressDiffLocker();
    void switchHeadLights();
    void startOrStop();
    void copyStates();

    InteriorEmulatorSlots& m_slots;
    Timer& m_emulatorTimer;
    Timer* m_copyTimer;
    std::string m_espMessage = "<880,1,0,0,>";
    std::string m_lockerMessage = "<881,2,0,0,>";
    std::string m_headLightsMessage = "<882,0,0,0,>";

    QLabel* m_espLabel = nullptr;
    QLabel* m_lockerLabel = nullptr;
    QCheckBox* m_headLightsBox = nullptr;
    QPushButton* m_startStopButton = nullptr;
};

} // namespace vexmoor

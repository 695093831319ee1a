#pragma once

#include "capture/formats/SourceAddress.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QPushButton;

namespace vexmoor {

class DeviceListModel;

// "Connect to CAN Interface": the user picks what listens to the bus (the board or an slcan adapter
// on a serial port, or an interface of a Qt Serial Bus plugin) and the device it is on. "Connect"
// accepts when the choice can be read back as an address; the caller then takes address(). The
// lists are read each time a kind is chosen, so that a device plugged in meanwhile shows up.
class frmConnectInterface final : public QDialog {
    Q_OBJECT

public:
    struct Listers {
        // Serial port names such as "ttyACM0", in any order: the catalog numbers them.
        std::function<QStringList()> serialPorts;
        std::function<QStringList()> plugins;
        // The interface names of a plugin.
        std::function<QStringList(const QString& plugin)> interfaces;
    };

    // A lister left empty is the machine's own: the serial port catalog and QCanBus.
    explicit frmConnectInterface(Listers listers = {}, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmConnectInterface)

    // Shows an address chosen before, e.g. the last one used. A plugin no longer installed is still
    // offered, so that the address is kept as it was; a bit rate no slcan adapter has is not.
    void setAddress(const SourceAddress& address);
    SourceAddress address() const;

private:
    void placeControls();
    void fillFixedLists();
    SourceAddress::Kind kind() const;
    void showKind();
    void listSerialPorts();
    void listInterfaces();
    void showCanFdChoice();
    void setDevice(const QString& device);
    QString problemWith(const SourceAddress& address) const;
    void showProblem(const QString& problem);
    void connectIfSound();
    void fitHeight();

    Listers m_listers;
    QFormLayout* m_form;
    QComboBox* m_kindBox;
    QComboBox* m_pluginBox;
    QComboBox* m_deviceBox;
    DeviceListModel* m_devices;
    QComboBox* m_bitRateBox;
    QWidget* m_canFdRow;
    QCheckBox* m_canFdBox;
    QLabel* m_dataBitRateLabel;
    QComboBox* m_dataBitRateBox;
    QLabel* m_problem;
    QPushButton* m_connectButton;
    QPushButton* m_cancelButton;
};

} // namespace vexmoor

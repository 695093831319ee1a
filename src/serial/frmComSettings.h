#pragma once

#include <QStringList>
#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vexmoor {

class SerialConnection;

// "COM Settings": the user picks or types a port number; "Set" hands the text, unchecked, to the
// connection for the next connect and closes the window. The box shows "6" at every opening. A
// read-only line under it tells which device the text names on this machine.
class frmComSettings final : public QWidget {
    Q_OBJECT

public:
    using PortLister = std::function<QStringList()>;

    explicit frmComSettings(SerialConnection& connection, PortLister listPorts = {}, QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(frmComSettings)

private:
    void placeControls();
    void showDevice(const QString& portText);
    void set();

    SerialConnection& m_connection;
    PortLister m_listPorts;
    QLabel* m_portHeading;
    QComboBox* m_portBox;
    QPushButton* m_setButton;
    QLineEdit* m_device;
};

} // namespace vexmoor

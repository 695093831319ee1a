#include "serial/frmComSettings.h"

#include "platform/SerialPortCatalog.h"
#include "platform/Twips.h"
#include "serial/SerialConnection.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vexmoor {

frmComSettings::frmComSettings(SerialConnection& connection, PortLister listPorts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint)
    , m_connection(connection)
    , m_listPorts(listPorts ? std::move(listPorts) : PortLister(&SerialPortCatalog::availablePorts))
    , m_portHeading(new QLabel(QStringLiteral("COM PORT"), this))
    , m_portBox(new QComboBox(this))
    , m_setButton(new QPushButton(QStringLiteral("Set"), this))
    , m_device(new QLineEdit(this))
{
    setObjectName(QStringLiteral("frmComSettings"));
    setWindowTitle(QStringLiteral("COM Settings"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_portHeading->setObjectName(QStringLiteral("Label1"));
    m_portBox->setObjectName(QStringLiteral("Combo1"));
    m_setButton->setObjectName(QStringLiteral("Command1"));
    m_device->setObjectName(QStringLiteral("txtPortDevice"));

    m_portBox->setEditable(true);
    m_portBox->setInsertPolicy(QComboBox::NoInsert);
    for (int port = 1; port <= 17; ++port)
        m_portBox->addItem(QString::number(port));
    m_portBox->setCurrentText(QStringLiteral("6"));
    m_device->setReadOnly(true);
    m_device->setFocusPolicy(Qt::NoFocus);
    placeControls();

    connect(m_portBox, &QComboBox::currentTextChanged, this, &frmComSettings::showDevice);
    connect(m_setButton, &QPushButton::clicked, this, &frmComSettings::set);
    showDevice(m_portBox->currentText());
}

void frmComSettings::placeControls()
{
    const double dpi = Twips::logicalDpiOf(*this);
    m_portHeading->setGeometry(Twips::toPixels(120, 240, 1455, 375, dpi));
    m_portBox->setGeometry(Twips::toPixels(1200, 240, 735, 315, dpi));
    m_setButton->setGeometry(Twips::toPixels(120, 720, 2175, 375, dpi));
    // The device line is an addition below the original box, which grows to hold it.
    m_device->setGeometry(Twips::toPixels(120, 1200, 2190, 315, dpi));
    setFixedSize(Twips::toPixels(2430, dpi), Twips::toPixels(1230 + 420, dpi));
}

void frmComSettings::showDevice(const QString& portText)
{
    const auto lookup = SerialPortCatalog::describe(portText, SerialPortCatalog::ordered(m_listPorts()));
    m_device->setText(lookup.device.isEmpty() ? lookup.brief : lookup.device);
    m_device->setCursorPosition(0);
    m_device->setToolTip(lookup.device.isEmpty() ? lookup.problem : lookup.device);
}

void frmComSettings::set()
{
    m_connection.setPortText(m_portBox->currentText());
    close();
}

} // namespace vexmoor

#include "dialogs/frmConnectInterface.h"

#include "capture/formats/SlcanCommands.h"
#include "dialogs/DeviceListModel.h"
#include "platform/SerialPortCatalog.h"

#include <QCanBus>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vexmoor {

namespace {

using Kind = SourceAddress::Kind;

// Wide enough for "tcp://127.0.0.1:35470/can0" or a /dev/serial/by-id name without scrolling.
constexpr int kDeviceBoxCharacters = 36;

const QString kSocketCan = QStringLiteral("socketcan");

// The plugins that receive CAN FD frames when asked, and those of them with a data bit rate to set.
bool hasCanFd(const QString& plugin)
{
    return plugin == kSocketCan || plugin == QLatin1String("peakcan") || plugin == QLatin1String("vectorcan")
        || plugin == QLatin1String("virtualcan");
}

bool hasDataBitRate(const QString& plugin)
{
    return plugin == kSocketCan || plugin == QLatin1String("peakcan") || plugin == QLatin1String("vectorcan");
}

QStringList installedPlugins()
{
    return QCanBus::instance()->plugins();
}

QStringList interfacesOf(const QString& plugin)
{
    QStringList names;
    for (const auto& info : QCanBus::instance()->availableDevices(plugin))
        names.append(info.name());
    return names;
}

frmConnectInterface::Listers withDefaults(frmConnectInterface::Listers listers)
{
    if (!listers.serialPorts)
        listers.serialPorts = &SerialPortCatalog::availablePorts;
    if (!listers.plugins)
        listers.plugins = &installedPlugins;
    if (!listers.interfaces)
        listers.interfaces = &interfacesOf;
    return listers;
}

// Linux's own CAN interfaces are the usual choice where they exist, so they come first.
QStringList socketCanFirst(QStringList plugins)
{
    std::stable_partition(plugins.begin(), plugins.end(), [](const QString& name) { return name == kSocketCan; });
    return plugins;
}

QString toQString(const std::string& utf8)
{
    return QString::fromStdString(utf8);
}

} // namespace

frmConnectInterface::frmConnectInterface(Listers listers, QWidget* parent)
    : QDialog(parent)
    , m_listers(withDefaults(std::move(listers)))
    , m_form(new QFormLayout)
    , m_kindBox(new QComboBox(this))
    , m_pluginBox(new QComboBox(this))
    , m_deviceBox(new QComboBox(this))
    , m_devices(new DeviceListModel(this))
    , m_bitRateBox(new QComboBox(this))
    , m_canFdRow(new QWidget(this))
    , m_canFdBox(new QCheckBox(QStringLiteral("FD"), m_canFdRow))
    , m_dataBitRateLabel(new QLabel(QStringLiteral("data bit rate:"), m_canFdRow))
    , m_dataBitRateBox(new QComboBox(m_canFdRow))
    , m_problem(new QLabel(this))
    , m_connectButton(new QPushButton(QStringLiteral("Connect"), this))
    , m_cancelButton(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("frmConnectInterface"));
    setWindowTitle(QStringLiteral("Connect to CAN Interface"));
    setModal(true);
    m_kindBox->setObjectName(QStringLiteral("cboKind"));
    m_pluginBox->setObjectName(QStringLiteral("cboPlugin"));
    m_deviceBox->setObjectName(QStringLiteral("cboDevice"));
    m_bitRateBox->setObjectName(QStringLiteral("cboBitRate"));
    m_canFdBox->setObjectName(QStringLiteral("chkCanFd"));
    m_dataBitRateBox->setObjectName(QStringLiteral("cboDataBitRate"));
    m_problem->setObjectName(QStringLiteral("lblProblem"));
    m_connectButton->setObjectName(QStringLiteral("cmdConnect"));
    m_cancelButton->setObjectName(QStringLiteral("cmdCancel"));

    fillFixedLists();
    placeControls();

    connect(m_kindBox, &QComboBox::currentIndexChanged, this, &frmConnectInterface::showKind);
    connect(m_pluginBox, &QComboBox::currentIndexChanged, this, &frmConnectInterface::listInterfaces);
    connect(m_pluginBox, &QComboBox::currentIndexChanged, this, &frmConnectInterface::showCanFdChoice);
    connect(m_canFdBox, &QCheckBox::toggled, this, &frmConnectInterface::showCanFdChoice);
    connect(m_deviceBox, &QComboBox::editTextChanged, this, [this] { showProblem({}); });
    connect(m_connectButton, &QPushButton::clicked, this, &frmConnectInterface::connectIfSound);
    connect(m_cancelButton, &QPushButton::clicked, this, &frmConnectInterface::reject);
    showKind();
    m_deviceBox->setFocus();
}

void frmConnectInterface::fillFixedLists()
{
    m_kindBox->addItem(QStringLiteral("Board on a serial port"), static_cast<int>(Kind::Board));
    m_kindBox->addItem(QStringLiteral("slcan adapter on a serial port"), static_cast<int>(Kind::Slcan));
    m_kindBox->addItem(QStringLiteral("Qt Serial Bus plugin"), static_cast<int>(Kind::CanBus));

    m_pluginBox->addItems(socketCanFirst(m_listers.plugins()));

    for (const std::uint32_t rate : SlcanCommands::bitRates())
        m_bitRateBox->addItem(toQString(SourceAddress::bitRateText(rate)), rate);
    m_bitRateBox->setCurrentIndex(m_bitRateBox->findData(SourceAddress::kDefaultSlcanBitRate));

    m_dataBitRateBox->addItem(QStringLiteral("the interface's own"), 0U);
    for (const std::uint32_t rate : SourceAddress::dataBitRates())
        m_dataBitRateBox->addItem(toQString(SourceAddress::bitRateText(rate)), rate);

    m_deviceBox->setModel(m_devices);
    m_deviceBox->setEditable(true);
    m_deviceBox->setInsertPolicy(QComboBox::NoInsert);
    // A typed name stays as it was typed, not completed to the first entry it begins.
    m_deviceBox->setCompleter(nullptr);
    m_deviceBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_deviceBox->setMinimumContentsLength(kDeviceBoxCharacters);
}

void frmConnectInterface::placeControls()
{
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_form->addRow(QStringLiteral("&Kind:"), m_kindBox);
    m_form->addRow(QStringLiteral("&Plugin:"), m_pluginBox);
    m_form->addRow(QStringLiteral("&Device:"), m_deviceBox);
    m_form->addRow(QStringLiteral("&Bit rate:"), m_bitRateBox);
    auto* canFd = new QHBoxLayout(m_canFdRow);
    canFd->setContentsMargins(0, 0, 0, 0);
    canFd->addWidget(m_canFdBox);
    canFd->addWidget(m_dataBitRateLabel);
    canFd->addWidget(m_dataBitRateBox, 1);
    m_form->addRow(QStringLiteral("CAN F&D:"), m_canFdRow);

    m_problem->setWordWrap(true);
    m_problem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_problem->hide();

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(m_connectButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(m_cancelButton, QDialogButtonBox::RejectRole);
    m_connectButton->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_form);
    layout->addWidget(m_problem);
    layout->addStretch();
    layout->addWidget(buttons);
}

Kind frmConnectInterface::kind() const
{
    return static_cast<Kind>(m_kindBox->currentData().toInt());
}

void frmConnectInterface::showKind()
{
    m_form->setRowVisible(m_pluginBox, kind() == Kind::CanBus);
    m_form->setRowVisible(m_bitRateBox, kind() == Kind::Slcan);
    if (kind() == Kind::CanBus)
        listInterfaces();
    else
        listSerialPorts();
    showCanFdChoice();
}

// Only for a plugin that can receive CAN FD, and the data bit rate only where the plugin sets one.
void frmConnectInterface::showCanFdChoice()
{
    const QString plugin = m_pluginBox->currentText();
    const bool offered = kind() == Kind::CanBus && hasCanFd(plugin);
    m_form->setRowVisible(m_canFdRow, offered);
    const bool rated = hasDataBitRate(plugin);
    m_dataBitRateBox->setVisible(rated);
    m_dataBitRateLabel->setVisible(rated);
    m_dataBitRateBox->setEnabled(m_canFdBox->isChecked());
    fitHeight();
}

// Numbered as the port dialog and "Connect To COM" number them. The board takes the number, which
// is its port text; an slcan adapter takes the device itself.
void frmConnectInterface::listSerialPorts()
{
    QList<DeviceListModel::Entry> entries;
    for (const auto& port : SerialPortCatalog::numbered(SerialPortCatalog::ordered(m_listers.serialPorts()))) {
        const QString number = QString::number(port.number);
        entries.append(
            { kind() == Kind::Board ? number : port.device, QStringLiteral("%1 \u2014 %2").arg(number, port.device) });
    }
    m_devices->setEntries(std::move(entries));
    m_deviceBox->setCurrentIndex(0);
}

void frmConnectInterface::listInterfaces()
{
    QList<DeviceListModel::Entry> entries;
    if (m_pluginBox->currentIndex() >= 0) {
        for (const QString& name : m_listers.interfaces(m_pluginBox->currentText()))
            entries.append({ name, name });
    }
    m_devices->setEntries(std::move(entries));
    m_deviceBox->setCurrentIndex(0);
}

void frmConnectInterface::setDevice(const QString& device)
{
    m_deviceBox->setCurrentIndex(m_devices->rowOf(device));
    m_deviceBox->setEditText(device);
}

void frmConnectInterface::setAddress(const SourceAddress& address)
{
    m_kindBox->setCurrentIndex(m_kindBox->findData(static_cast<int>(address.kind)));
    if (address.kind == Kind::CanBus) {
        const QString plugin = toQString(address.plugin);
        if (m_pluginBox->findText(plugin) < 0)
            m_pluginBox->addItem(plugin);
        m_pluginBox->setCurrentIndex(m_pluginBox->findText(plugin));
    }
    if (address.kind == Kind::Slcan) {
        const int rateRow = m_bitRateBox->findData(address.bitRate);
        if (rateRow >= 0)
            m_bitRateBox->setCurrentIndex(rateRow);
    }
    m_canFdBox->setChecked(address.fd);
    m_dataBitRateBox->setCurrentIndex(std::max(0, m_dataBitRateBox->findData(address.dataBitRate)));
    setDevice(toQString(address.device));
    showProblem({});
}

SourceAddress frmConnectInterface::address() const
{
    SourceAddress address;
    address.kind = kind();
    address.device = m_deviceBox->currentText().toStdString();
    if (address.kind == Kind::CanBus) {
        address.plugin = m_pluginBox->currentText().toStdString();
        address.fd = hasCanFd(m_pluginBox->currentText()) && m_canFdBox->isChecked();
        if (address.fd && hasDataBitRate(m_pluginBox->currentText()))
            address.dataBitRate = m_dataBitRateBox->currentData().toUInt();
    }
    if (address.kind == Kind::Slcan)
        address.bitRate = m_bitRateBox->currentData().toUInt();
    return address;
}

QString frmConnectInterface::problemWith(const SourceAddress& address) const
{
    if (address.kind == Kind::CanBus && address.plugin.empty())
        return QStringLiteral("No Qt Serial Bus plugin is installed.");
    if (toQString(address.device).trimmed().isEmpty()) {
        switch (address.kind) {
        case Kind::Board:
            return QStringLiteral("Choose the board's serial port, or type its number or device path.");
        case Kind::Slcan:
            return QStringLiteral("Choose the adapter's serial port, or type its device.");
        case Kind::CanBus:
            return QStringLiteral("Choose an interface of %1, or type its name or address.")
                .arg(toQString(address.plugin));
        }
    }
    // What is connected to is remembered as text; a choice that would read back as another one is
    // refused now rather than reopened wrongly later. A port text such as "socketcan:can0" is one.
    const auto readBack = SourceAddress::parse(address.text());
    if (readBack.address == address)
        return {};
    if (address.kind == Kind::Board)
        return QStringLiteral("'%1' is not a serial port: for an slcan adapter or a plugin, choose that kind "
                              "above and give the device alone.")
            .arg(toQString(address.device));
    if (!readBack.address)
        return toQString(readBack.error);
    return QStringLiteral("'%1' would be read back as another address.").arg(toQString(address.text()));
}

void frmConnectInterface::showProblem(const QString& problem)
{
    if (problem == m_problem->text())
        return;
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
    fitHeight();
}

void frmConnectInterface::connectIfSound()
{
    const QString problem = problemWith(address());
    if (!problem.isEmpty()) {
        showProblem(problem);
        m_deviceBox->setFocus();
        return;
    }
    accept();
}

// Rows come and go with the kind; the window keeps the width the user gave it.
void frmConnectInterface::fitHeight()
{
    if (!isVisible())
        return;
    layout()->activate();
    resize(width(), sizeHint().height());
}

} // namespace vexmoor

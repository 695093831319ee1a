#include "dialogs/frmSignalEditor.h"

#include "capture/record/RecordText.h"
#include "capture/signals/SignalDecoder.h"
#include "capture/signals/SignalDraft.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace vexmoor {

namespace {

double numberOf(const QLineEdit& edit, double otherwise)
{
    bool ok = false;
    const double value = edit.text().toDouble(&ok);
    return ok ? value : otherwise;
}

QString numberText(double value)
{
    return QString::fromStdString(physicalText(value));
}

} // namespace

frmSignalEditor::frmSignalEditor(MessageDefinition message, bool newMessage, SignalDefinition draft,
                                 std::vector<std::uint8_t> latestData, QWidget* parent)
    : QDialog(parent)
    , m_message(std::move(message))
    , m_newMessage(newMessage)
    , m_latestData(std::move(latestData))
    , m_messageName(addLineEdit("txtMessageName", QString::fromStdString(m_message.name)))
    , m_name(addLineEdit("txtSignalName", QString::fromStdString(draft.name)))
    , m_startBit(new QSpinBox(this))
    , m_length(new QSpinBox(this))
    , m_byteOrder(new QComboBox(this))
    , m_signed(new QCheckBox(QStringLiteral("Signed"), this))
    , m_factor(addLineEdit("txtFactor", numberText(draft.factor)))
    , m_offset(addLineEdit("txtOffset", numberText(draft.offset)))
    , m_unit(addLineEdit("txtUnit", QString::fromStdString(draft.unit)))
    , m_preview(new QLabel(this))
    , m_problem(new QLabel(this))
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setObjectName(QStringLiteral("frmSignalEditor"));
    setWindowTitle(QStringLiteral("Define Signal"));
    m_messageName->setEnabled(m_newMessage);
    m_startBit->setObjectName(QStringLiteral("spnStartBit"));
    m_startBit->setRange(0, 511);
    m_startBit->setValue(draft.startBit);
    m_length->setObjectName(QStringLiteral("spnLength"));
    m_length->setRange(1, 64);
    m_length->setValue(draft.length);
    m_byteOrder->setObjectName(QStringLiteral("cboByteOrder"));
    m_byteOrder->addItems({ QStringLiteral("Little endian (Intel)"), QStringLiteral("Big endian (Motorola)") });
    m_byteOrder->setCurrentIndex(draft.byteOrder == ByteOrder::BigEndian ? 1 : 0);
    m_signed->setObjectName(QStringLiteral("chkSigned"));
    m_signed->setChecked(draft.valueType == SignalValueType::Signed);
    m_preview->setObjectName(QStringLiteral("lblPreview"));
    m_problem->setObjectName(QStringLiteral("lblProblem"));
    m_problem->setWordWrap(true);

    std::string id;
    record::formatHexId(m_message.id, m_message.extended, id);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("CAN_ID"), new QLabel(QString::fromStdString(id), this));
    form->addRow(QStringLiteral("Message"), m_messageName);
    form->addRow(QStringLiteral("Signal"), m_name);
    form->addRow(QStringLiteral("Start bit"), m_startBit);
    form->addRow(QStringLiteral("Length"), m_length);
    form->addRow(QStringLiteral("Byte order"), m_byteOrder);
    form->addRow(QString(), m_signed);
    form->addRow(QStringLiteral("Factor"), m_factor);
    form->addRow(QStringLiteral("Offset"), m_offset);
    form->addRow(QStringLiteral("Unit"), m_unit);
    form->addRow(QStringLiteral("Latest frame"), m_preview);
    form->addRow(m_problem);
    form->addRow(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QLineEdit* edit : { m_messageName, m_name, m_factor, m_offset, m_unit })
        connect(edit, &QLineEdit::textChanged, this, &frmSignalEditor::update);
    connect(m_startBit, &QSpinBox::valueChanged, this, &frmSignalEditor::update);
    connect(m_length, &QSpinBox::valueChanged, this, &frmSignalEditor::update);
    connect(m_byteOrder, &QComboBox::currentIndexChanged, this, &frmSignalEditor::update);
    connect(m_signed, &QCheckBox::toggled, this, &frmSignalEditor::update);
    update();
}

QLineEdit* frmSignalEditor::addLineEdit(const char* name, const QString& text)
{
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

MessageDefinition frmSignalEditor::message() const
{
    MessageDefinition message = m_message;
    if (m_newMessage)
        message.name = m_messageName->text().toStdString();
    return message;
}

SignalDefinition frmSignalEditor::signal() const
{
    SignalDefinition signal;
    signal.name = m_name->text().toStdString();
    signal.startBit = static_cast<std::uint16_t>(m_startBit->value());
    signal.length = static_cast<std::uint8_t>(m_length->value());
    signal.byteOrder = m_byteOrder->currentIndex() == 1 ? ByteOrder::BigEndian : ByteOrder::LittleEndian;
    signal.valueType = m_signed->isChecked() ? SignalValueType::Signed : SignalValueType::Unsigned;
    signal.factor = numberOf(*m_factor, 1.0);
    signal.offset = numberOf(*m_offset, 0.0);
    signal.unit = m_unit->text().toStdString();
    return signal;
}

void frmSignalEditor::update()
{
    const SignalDefinition draft = signal();
    QString problem = QString::fromStdString(SignalDraft::nameProblem(m_message, draft.name));
    if (problem.isEmpty() && m_newMessage && !SignalDraft::isDbcIdentifier(m_messageName->text().toStdString()))
        problem = QStringLiteral("A message's name takes letters, digits and underscores, and does not start with a "
                                 "digit.");
    if (problem.isEmpty() && !SignalDraft::fitsIn(draft, m_message.length))
        problem = QStringLiteral("Its bits reach past the message's %1 bytes.").arg(m_message.length);
    const bool usable = problem.isEmpty();
    if (usable) {
        const std::vector<std::string> others = SignalDraft::overlapping(m_message, draft);
        if (!others.empty()) {
            QStringList names;
            for (const std::string& name : others)
                names.append(QString::fromStdString(name));
            problem = QStringLiteral("Its bits overlap %1.").arg(names.join(QStringLiteral(", ")));
        }
    }
    m_problem->setText(problem);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(usable);
    m_preview->setText(previewText(draft));
}

QString frmSignalEditor::previewText(const SignalDefinition& signal) const
{
    const std::optional<SignalValue> value = SignalDecoder(signal).decode(m_latestData);
    if (!value)
        return QStringLiteral("no value");
    const QString unit = signal.unit.empty() ? QString() : QStringLiteral(" ") + QString::fromStdString(signal.unit);
    return numberText(value->physical) + unit;
}

} // namespace vexmoor

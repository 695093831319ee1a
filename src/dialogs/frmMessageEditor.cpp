#include "dialogs/frmMessageEditor.h"

#include "capture/record/CanFrame.h"
#include "capture/record/HexText.h"
#include "capture/record/RecordText.h"
#include "capture/signals/SignalDraft.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>

namespace vexmoor {

namespace {

// A DBC message holds up to 64 bytes, a CAN FD frame's.
constexpr int kMaxMessageBytes = 64;

} // namespace

frmMessageEditor::frmMessageEditor(MessageDefinition message, std::vector<MessageDefinition> others, QWidget* parent)
    : QDialog(parent)
    , m_message(std::move(message))
    , m_others(std::move(others))
    , m_name(addLineEdit("txtMessageName", QString::fromStdString(m_message.name)))
    , m_identifier(addLineEdit("txtMessageId", QString()))
    , m_extended(new QCheckBox(QStringLiteral("Extended (29-bit)"), this))
    , m_length(new QSpinBox(this))
    , m_sender(addLineEdit("txtMessageSender", QString::fromStdString(m_message.sender)))
    , m_problem(new QLabel(this))
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setObjectName(QStringLiteral("frmMessageEditor"));
    setWindowTitle(QStringLiteral("Message"));
    std::string id;
    record::formatHexId(m_message.id, m_message.extended, id);
    m_identifier->setText(QString::fromStdString(id));
    m_extended->setObjectName(QStringLiteral("chkExtended"));
    m_extended->setChecked(m_message.extended);
    m_length->setObjectName(QStringLiteral("spnMessageLength"));
    m_length->setRange(0, kMaxMessageBytes);
    m_length->setValue(m_message.length);
    m_length->setSuffix(QStringLiteral(" bytes"));
    m_problem->setObjectName(QStringLiteral("lblProblem"));
    m_problem->setWordWrap(true);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Name"), m_name);
    form->addRow(QStringLiteral("CAN_ID"), m_identifier);
    form->addRow(QString(), m_extended);
    form->addRow(QStringLiteral("Length"), m_length);
    form->addRow(QStringLiteral("Sender"), m_sender);
    form->addRow(m_problem);
    form->addRow(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QLineEdit* edit : { m_name, m_identifier, m_sender })
        connect(edit, &QLineEdit::textChanged, this, &frmMessageEditor::update);
    connect(m_extended, &QCheckBox::toggled, this, &frmMessageEditor::update);
    connect(m_length, &QSpinBox::valueChanged, this, &frmMessageEditor::update);
    update();
}

QLineEdit* frmMessageEditor::addLineEdit(const char* name, const QString& text)
{
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

MessageDefinition frmMessageEditor::message() const
{
    MessageDefinition message = m_message;
    message.name = m_name->text().trimmed().toStdString();
    std::uint32_t id = 0;
    if (hex::readNumber(m_identifier->text().trimmed().toStdString(), id))
        message.id = id;
    message.extended = m_extended->isChecked();
    message.length = static_cast<std::uint8_t>(m_length->value());
    const std::string sender = m_sender->text().trimmed().toStdString();
    message.sender = sender.empty() ? "Vector__XXX" : sender;
    return message;
}

QString frmMessageEditor::problem() const
{
    const MessageDefinition typed = message();
    if (!SignalDraft::isDbcIdentifier(typed.name))
        return QStringLiteral("A message's name takes letters, digits and underscores, and does not start with a "
                              "digit.");
    const auto named = [&typed](const MessageDefinition& other) { return other.name == typed.name; };
    if (std::any_of(m_others.begin(), m_others.end(), named))
        return QStringLiteral("Another message is named %1.").arg(m_name->text().trimmed());
    std::uint32_t id = 0;
    if (!hex::readNumber(m_identifier->text().trimmed().toStdString(), id))
        return QStringLiteral("Type the identifier in hexadecimal, as the table shows it (e.g. 2A8).");
    const std::uint32_t largest = typed.extended ? CanFrame::kMaxExtendedId : CanFrame::kMaxStandardId;
    if (id > largest)
        return typed.extended ? QStringLiteral("An extended identifier goes up to 1FFFFFFF.")
                              : QStringLiteral("A standard identifier goes up to 7FF; tick Extended for a larger one.");
    const auto sameKey
        = [&typed](const MessageDefinition& other) { return other.id == typed.id && other.extended == typed.extended; };
    if (const auto taken = std::find_if(m_others.begin(), m_others.end(), sameKey); taken != m_others.end())
        return QStringLiteral("%1 already has that identifier.").arg(QString::fromStdString(taken->name));
    const auto outside
        = [&typed](const SignalDefinition& signal) { return !SignalDraft::fitsIn(signal, typed.length); };
    const auto& signalList = typed.signalDefinitions;
    if (const auto signal = std::find_if(signalList.begin(), signalList.end(), outside); signal != signalList.end())
        return QStringLiteral("Its signal %1 reaches past %2 bytes.")
            .arg(QString::fromStdString(signal->name))
            .arg(typed.length);
    return {};
}

void frmMessageEditor::update()
{
    const QString text = problem();
    m_problem->setText(text);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(text.isEmpty());
}

} // namespace vexmoor

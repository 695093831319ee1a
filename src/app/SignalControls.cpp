#include "app/SignalControls.h"

#include "capture/changes/PlotSignal.h"
#include "capture/ranking/RankedBit.h"
#include "capture/record/RecordText.h"
#include "capture/signals/SignalDraft.h"
#include "control/CaptureController.h"
#include "dialogs/frmMessageEditor.h"
#include "dialogs/frmSignalEditor.h"
#include "platform/UserMessageBox.h"
#include "views/PlotPanel.h"
#include "views/SignalsPanel.h"

#include <QMainWindow>
#include <QMenu>
#include <QSignalBlocker>

#include <algorithm>

namespace vexmoor {

SignalControls::SignalControls(QMainWindow& window, QMenu& viewMenu, CaptureController& controller, PlotPanel& plot,
                               UserMessageBox& messageBox)
    : QObject(&window)
    , m_window(window)
    , m_controller(controller)
    , m_plot(plot)
    , m_messageBox(messageBox)
    , m_panel(new SignalsPanel(controller.latestSignalValues(), controller.framesClock(), &window))
{
    setObjectName(QStringLiteral("signalControls"));
    window.addDockWidget(Qt::RightDockWidgetArea, m_panel);
    m_panel->hide();
    viewMenu.addAction(m_panel->toggleViewAction());
    DbcDocument& dbc = controller.dbc();
    // After the controller, which takes the new decoder's values first.
    connect(&dbc, &DbcDocument::changed, m_panel,
            [this, &dbc] { m_panel->showDatabase(dbc.isOpen() ? &dbc.decoder() : nullptr); });
    connect(m_panel, &SignalsPanel::addSignalRequested, this, &SignalControls::addSignalTo);
    connect(m_panel, &SignalsPanel::editSignalRequested, this, &SignalControls::editSignal);
    connect(m_panel, &SignalsPanel::deleteSignalRequested, this, &SignalControls::deleteSignal);
    connect(m_panel, &SignalsPanel::addMessageRequested, this, &SignalControls::addMessage);
    connect(m_panel, &SignalsPanel::editMessageRequested, this, &SignalControls::editMessage);
    connect(m_panel, &SignalsPanel::deleteMessageRequested, this, &SignalControls::deleteMessage);
    connect(m_panel, &SignalsPanel::plotRequested, this, &SignalControls::plotSignal);
}

void SignalControls::defineSignal(const RankedBit& candidate)
{
    // The candidate's bit alone, as a flag; the editor widens it where the user sees more.
    SignalDefinition draft;
    draft.name = "BIT_" + std::to_string(candidate.byte) + "_" + std::to_string(candidate.bit);
    draft.startBit = static_cast<std::uint16_t>(candidate.byte * 8 + candidate.bit);
    draft.length = 1;
    openEditorToAdd(candidate.id, candidate.extended, draft);
}

void SignalControls::defineRun(std::uint32_t id, bool extended, const SignalDefinition& run)
{
    SignalDefinition draft = run;
    draft.name = "BITS_" + std::to_string(run.startBit) + "_" + std::to_string(run.length);
    openEditorToAdd(id, extended, draft);
}

void SignalControls::openEditorToAdd(std::uint32_t id, bool extended, const SignalDefinition& draft)
{
    const MessageDefinition* known = knownMessage(id, extended);
    const IdentifierChanges* changes = changesOf(id, extended);
    const MessageDefinition message
        = known != nullptr ? *known : newMessage(id, extended, changes != nullptr ? changes->length() : 0);
    auto* editor = openEditor(message, known == nullptr, draft);
    connect(editor, &QDialog::accepted, this,
            [this, editor] { m_controller.dbc().addSignal(editor->message(), editor->signal()); });
}

std::size_t SignalControls::addSignals(std::uint32_t id, bool extended, std::uint8_t frameLength,
                                       const std::vector<SignalDefinition>& definitions)
{
    DbcDocument& dbc = m_controller.dbc();
    const MessageDefinition* known = knownMessage(id, extended);
    const IdentifierChanges* changes = changesOf(id, extended);
    MessageDefinition message = known != nullptr
        ? *known
        : newMessage(id, extended, std::max<std::uint8_t>(frameLength, changes != nullptr ? changes->length() : 0));
    std::size_t added = 0;
    {
        // Told once for all: each change told would have the latest values taken again from the whole
        // frame history.
        const QSignalBlocker quiet(&dbc);
        for (const SignalDefinition& signal : definitions) {
            if (!SignalDraft::nameProblem(message, signal.name).empty() || !SignalDraft::fitsIn(signal, message.length)
                || !dbc.addSignal(message, signal))
                continue;
            message.signalDefinitions.push_back(signal);
            ++added;
        }
    }
    if (added > 0)
        dbc.markModified();
    return added;
}

const MessageDefinition* SignalControls::knownMessage(std::uint32_t id, bool extended) const
{
    const SignalDatabase* database = m_controller.dbc().database();
    return database != nullptr ? database->message(id, extended) : nullptr;
}

MessageDefinition SignalControls::newMessage(std::uint32_t id, bool extended, std::uint8_t length)
{
    std::string hexId;
    record::formatHexId(id, extended, hexId);
    MessageDefinition message;
    message.id = id;
    message.extended = extended;
    message.name = "MSG_" + hexId;
    message.length = length == 0 ? 8 : length;
    message.sender = "Vector__XXX";
    return message;
}

frmSignalEditor* SignalControls::openEditor(const MessageDefinition& message, bool newMessage,
                                            const SignalDefinition& draft)
{
    const IdentifierChanges* changes = changesOf(message.id, message.extended);
    std::vector<std::uint8_t> latest;
    for (int byte = 0; changes != nullptr && byte < changes->length(); ++byte)
        latest.push_back(changes->byte(byte));
    auto* editor = new frmSignalEditor(message, newMessage, draft, latest, &m_window);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->show();
    return editor;
}

const IdentifierChanges* SignalControls::changesOf(std::uint32_t id, bool extended) const
{
    // A DBC names no bus: while rows are kept per bus, the frames of its bus, else of the first that
    // carries the identifier.
    const CaptureSession& session = m_controller.session();
    const ChangeTracker& changes = session.changes();
    if (const IdentifierChanges* merged = changes.find(id, extended))
        return merged;
    const std::uint8_t bus = session.ingestion().buses().find(m_controller.dbcBus().toStdString());
    if (const IdentifierChanges* onBus = bus != 0 ? changes.find(id, extended, bus) : nullptr; onBus != nullptr)
        return onBus;
    for (std::size_t index = 0; index < changes.size(); ++index) {
        if (changes.at(index).id() == id && changes.at(index).extended() == extended)
            return &changes.at(index);
    }
    return nullptr;
}

PlotSignal SignalControls::onItsBus(const PlotSignal& signal) const
{
    const IdentifierChanges* changes = changesOf(signal.id, signal.extended);
    if (changes == nullptr || changes->bus() == 0)
        return signal;
    return signal.onBus(changes->bus(), m_controller.session().busName(changes->bus()));
}

const MessageDefinition* SignalControls::shownMessage(int messageRow) const
{
    DbcDocument& dbc = m_controller.dbc();
    const auto& shown = dbc.decoder().messages();
    if (dbc.database() == nullptr || messageRow < 0 || static_cast<std::size_t>(messageRow) >= shown.size())
        return nullptr;
    const MessageDefinition& definition = shown[static_cast<std::size_t>(messageRow)].definition();
    return dbc.database()->message(definition.id, definition.extended);
}

const SignalDefinition* SignalControls::shownSignal(int messageRow, int signalRow) const
{
    const MessageDefinition* message = shownMessage(messageRow);
    if (message == nullptr || signalRow < 0 || static_cast<std::size_t>(signalRow) >= message->signalDefinitions.size())
        return nullptr;
    return &message->signalDefinitions[static_cast<std::size_t>(signalRow)];
}

void SignalControls::addSignalTo(int messageRow)
{
    const MessageDefinition* message = shownMessage(messageRow);
    if (message == nullptr)
        return;
    SignalDefinition draft;
    draft.name = "SIGNAL_" + std::to_string(message->signalDefinitions.size() + 1);
    auto* editor = openEditor(*message, false, draft);
    connect(editor, &QDialog::accepted, this,
            [this, editor] { m_controller.dbc().addSignal(editor->message(), editor->signal()); });
}

void SignalControls::editSignal(int messageRow, int signalRow)
{
    if (shownSignal(messageRow, signalRow) == nullptr)
        return;
    // Checked against the message's other signals only: its own name and bits are no clash.
    MessageDefinition others = *shownMessage(messageRow);
    const SignalDefinition original = others.signalDefinitions[static_cast<std::size_t>(signalRow)];
    others.signalDefinitions.erase(others.signalDefinitions.begin() + signalRow);
    auto* editor = openEditor(others, false, original);
    editor->setWindowTitle(QStringLiteral("Edit Signal"));
    connect(editor, &QDialog::accepted, this, [this, editor, others, original, signalRow] {
        // What the editor does not show (value descriptions, receivers, comment, range) stays.
        SignalDefinition edited = original;
        const SignalDefinition typed = editor->signal();
        edited.name = typed.name;
        edited.startBit = typed.startBit;
        edited.length = typed.length;
        edited.byteOrder = typed.byteOrder;
        if (original.valueType == SignalValueType::Unsigned || original.valueType == SignalValueType::Signed)
            edited.valueType = typed.valueType;
        edited.factor = typed.factor;
        edited.offset = typed.offset;
        edited.unit = typed.unit;
        m_controller.dbc().replaceSignal(others.id, others.extended, static_cast<std::size_t>(signalRow), edited);
    });
}

void SignalControls::deleteSignal(int messageRow, int signalRow)
{
    const SignalDefinition* signal = shownSignal(messageRow, signalRow);
    if (signal == nullptr)
        return;
    const MessageDefinition* message = shownMessage(messageRow);
    const QString name = QString::fromStdString(signal->name);
    if (!m_messageBox.askYesNo(QStringLiteral("Delete the signal %1?").arg(name), QStringLiteral("Delete Signal"),
                               false))
        return;
    m_controller.dbc().removeSignal(message->id, message->extended, static_cast<std::size_t>(signalRow));
}

void SignalControls::addMessage()
{
    const SignalDatabase* database = m_controller.dbc().database();
    std::vector<MessageDefinition> others
        = database != nullptr ? database->messages() : std::vector<MessageDefinition> {};
    MessageDefinition message;
    message.name = "MSG_" + std::to_string(others.size() + 1);
    message.sender = "Vector__XXX";
    auto* editor = new frmMessageEditor(message, std::move(others), &m_window);
    editor->setWindowTitle(QStringLiteral("Add Message"));
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &QDialog::accepted, this, [this, editor] { m_controller.dbc().addMessage(editor->message()); });
    editor->show();
}

void SignalControls::editMessage(int messageRow)
{
    const MessageDefinition* message = shownMessage(messageRow);
    if (message == nullptr)
        return;
    std::vector<MessageDefinition> others;
    for (const MessageDefinition& other : m_controller.dbc().database()->messages()) {
        if (&other != message)
            others.push_back(other);
    }
    auto* editor = new frmMessageEditor(*message, std::move(others), &m_window);
    editor->setWindowTitle(QStringLiteral("Edit Message"));
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &QDialog::accepted, this, [this, editor, id = message->id, extended = message->extended] {
        m_controller.dbc().replaceMessage(id, extended, editor->message());
    });
    editor->show();
}

void SignalControls::deleteMessage(int messageRow)
{
    const MessageDefinition* message = shownMessage(messageRow);
    if (message == nullptr)
        return;
    const QString question = QStringLiteral("Delete the message %1 and its %2 signals?")
                                 .arg(QString::fromStdString(message->name))
                                 .arg(message->signalDefinitions.size());
    if (!m_messageBox.askYesNo(question, QStringLiteral("Delete Message"), false))
        return;
    m_controller.dbc().removeMessage(message->id, message->extended);
}

void SignalControls::plotSignal(int messageRow, int signalRow)
{
    if (shownSignal(messageRow, signalRow) == nullptr)
        return;
    if (const std::optional<PlotSignal> signal
        = PlotSignal::ofDecoded(*shownMessage(messageRow), static_cast<std::size_t>(signalRow)))
        m_plot.addSignal(onItsBus(*signal));
}

} // namespace vexmoor

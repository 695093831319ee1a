#include "app/ChangeViewDocks.h"

#include "app/ChangedRowsFilter.h"
#include "app/FrameHistoryControls.h"
#include "app/MarkControls.h"
#include "app/SuppressionControls.h"
#include "capture/changes/PlotSignal.h"
#include "capture/ranking/RankedBit.h"
#include "capture/record/RecordText.h"
#include "control/CaptureController.h"
#include "dialogs/frmSignalEditor.h"
#include "platform/UserMessageBox.h"
#include "views/BitViewPanel.h"
#include "views/CandidatesPanel.h"
#include "views/MarksPanel.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"
#include "views/PlotPanel.h"
#include "views/SignalsPanel.h"

#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>

namespace vexmoor {

ChangeViewDocks::ChangeViewDocks(QMainWindow& window, QMenu& viewMenu, CaptureController& controller, Table table,
                                 UserMessageBox& messageBox, std::function<FileChooser&()> fileChooser)
    : QObject(&window)
    , m_window(window)
    , m_controller(controller)
    , m_table(std::move(table))
    , m_messageBox(messageBox)
{
    setObjectName(QStringLiteral("changeViewDocks"));
    CaptureSession& session = controller.session();
    const FramesClock& clock = controller.framesClock();
    auto* suppression
        = new SuppressionControls(viewMenu, *window.statusBar(), session.changes(), m_table.model, clock, this);
    new ChangedRowsFilter(viewMenu, *window.statusBar(), m_table.view, m_table.model, *suppression, this);
    m_bitView = new BitViewPanel(session.changes(), suppression->mask(), clock, &window);
    window.addDockWidget(Qt::BottomDockWidgetArea, m_bitView);
    m_bitView->hide();
    m_bitView->follow(m_table.view, m_table.model);
    viewMenu.addAction(m_bitView->toggleViewAction());
    m_plot = PlotPanel::addTo(window, viewMenu, session.plotted(), clock);
    m_plot->showHistoryOf(session.history());
    connect(m_bitView, &BitViewPanel::plotRequested, m_plot, &PlotPanel::addSignal);
    buildMarking(viewMenu, *suppression, messageBox, std::move(fileChooser));
    buildSignals(viewMenu);
    new FrameHistoryControls(viewMenu, session.history(), this);
}

void ChangeViewDocks::buildMarking(QMenu& viewMenu, SuppressionControls& suppression, UserMessageBox& messageBox,
                                   std::function<FileChooser&()> fileChooser)
{
    BitRanking& ranking = m_controller.session().ranking();
    auto* marking = new MarkControls(m_window, viewMenu, m_controller, ranking);
    connect(marking, &MarkControls::markTaken, this, &ChangeViewDocks::markTaken);
    connect(m_plot, &PlotPanel::markRequested, marking, &MarkControls::takeMark);
    m_plot->showMarksOf(ranking);

    m_marks = new MarksPanel(ranking, messageBox, std::move(fileChooser), &m_window);
    m_candidates = new CandidatesPanel(ranking, suppression.mask(), &m_window);
    // Beside the table, out of the way of the bit view and the plot below it.
    for (QDockWidget* dock : std::initializer_list<QDockWidget*> { m_marks, m_candidates }) {
        m_window.addDockWidget(Qt::RightDockWidgetArea, dock);
        dock->hide();
        viewMenu.addAction(dock->toggleViewAction());
    }
    connect(&suppression, &SuppressionControls::maskChanged, m_candidates, &CandidatesPanel::suppressionChanged);
    connect(m_candidates, &CandidatesPanel::candidateChosen, this, &ChangeViewDocks::showCandidate);
    connect(m_candidates, &CandidatesPanel::defineSignalRequested, this, &ChangeViewDocks::defineSignal);
}

void ChangeViewDocks::buildSignals(QMenu& viewMenu)
{
    auto* signalsPanel = new SignalsPanel(m_controller.latestSignalValues(), m_controller.framesClock(), &m_window);
    m_window.addDockWidget(Qt::RightDockWidgetArea, signalsPanel);
    signalsPanel->hide();
    viewMenu.addAction(signalsPanel->toggleViewAction());
    DbcDocument& dbc = m_controller.dbc();
    // After the controller, which takes the new decoder's values first.
    connect(&dbc, &DbcDocument::changed, signalsPanel,
            [signalsPanel, &dbc] { signalsPanel->showDatabase(dbc.isOpen() ? &dbc.decoder() : nullptr); });
    connect(signalsPanel, &SignalsPanel::addSignalRequested, this, &ChangeViewDocks::addSignalTo);
    connect(signalsPanel, &SignalsPanel::editSignalRequested, this, &ChangeViewDocks::editSignal);
    connect(signalsPanel, &SignalsPanel::deleteSignalRequested, this, &ChangeViewDocks::deleteSignal);
}

void ChangeViewDocks::defineSignal(const RankedBit& candidate)
{
    DbcDocument& dbc = m_controller.dbc();
    const MessageDefinition* known
        = dbc.database() != nullptr ? dbc.database()->message(candidate.id, candidate.extended) : nullptr;
    const IdentifierChanges* changes = m_controller.session().changes().find(candidate.id, candidate.extended);
    MessageDefinition message;
    if (known != nullptr) {
        message = *known;
    } else {
        std::string hexId;
        record::formatHexId(candidate.id, candidate.extended, hexId);
        message.id = candidate.id;
        message.extended = candidate.extended;
        message.name = "MSG_" + hexId;
        message.length = changes == nullptr || changes->length() == 0 ? 8 : changes->length();
        message.sender = "Vector__XXX";
    }
    // The candidate's bit alone, as a flag; the editor widens it where the user sees more.
    SignalDefinition draft;
    draft.name = "BIT_" + std::to_string(candidate.byte) + "_" + std::to_string(candidate.bit);
    draft.startBit = static_cast<std::uint16_t>(candidate.byte * 8 + candidate.bit);
    draft.length = 1;
    auto* editor = openEditor(message, known == nullptr, draft);
    connect(editor, &QDialog::accepted, this,
            [this, editor] { m_controller.dbc().addSignal(editor->message(), editor->signal()); });
}

frmSignalEditor* ChangeViewDocks::openEditor(const MessageDefinition& message, bool newMessage,
                                             const SignalDefinition& draft)
{
    const IdentifierChanges* changes = m_controller.session().changes().find(message.id, message.extended);
    std::vector<std::uint8_t> latest;
    for (int byte = 0; changes != nullptr && byte < changes->length(); ++byte)
        latest.push_back(changes->byte(byte));
    auto* editor = new frmSignalEditor(message, newMessage, draft, latest, &m_window);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->show();
    return editor;
}

const MessageDefinition* ChangeViewDocks::shownMessage(int messageRow) const
{
    DbcDocument& dbc = m_controller.dbc();
    const auto& shown = dbc.decoder().messages();
    if (dbc.database() == nullptr || messageRow < 0 || static_cast<std::size_t>(messageRow) >= shown.size())
        return nullptr;
    const MessageDefinition& definition = shown[static_cast<std::size_t>(messageRow)].definition();
    return dbc.database()->message(definition.id, definition.extended);
}

void ChangeViewDocks::addSignalTo(int messageRow)
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

void ChangeViewDocks::editSignal(int messageRow, int signalRow)
{
    const MessageDefinition* message = shownMessage(messageRow);
    if (message == nullptr || signalRow < 0 || static_cast<std::size_t>(signalRow) >= message->signalDefinitions.size())
        return;
    // Checked against the message's other signals only: its own name and bits are no clash.
    MessageDefinition others = *message;
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

void ChangeViewDocks::deleteSignal(int messageRow, int signalRow)
{
    const MessageDefinition* message = shownMessage(messageRow);
    if (message == nullptr || signalRow < 0 || static_cast<std::size_t>(signalRow) >= message->signalDefinitions.size())
        return;
    const QString name = QString::fromStdString(message->signalDefinitions[static_cast<std::size_t>(signalRow)].name);
    if (!m_messageBox.askYesNo(QStringLiteral("Delete the signal %1?").arg(name), QStringLiteral("Delete Signal"),
                               false))
        return;
    m_controller.dbc().removeSignal(message->id, message->extended, static_cast<std::size_t>(signalRow));
}

void ChangeViewDocks::markTaken(std::size_t count)
{
    m_marks->refresh();
    // Each panel comes up once it has something to show: the marks with the first, the candidates
    // with the second, when a bit can first be told from chance.
    if (count == 1)
        m_marks->show();
    if (count == 2) {
        m_candidates->show();
        // The candidates are what the user reads; the marks need a few rows.
        m_window.resizeDocks({ m_marks, m_candidates }, { 1, 2 }, Qt::Vertical);
    }
    m_plot->refresh();
}

int ChangeViewDocks::positionOf(std::uint32_t id, bool extended) const
{
    for (int row = 0; row < m_table.model.rowCount(); ++row) {
        const auto identifier = m_table.model.identifierOfRow(row);
        if (identifier && identifier->id == id && identifier->extended == extended)
            return row + 1;
    }
    return 0;
}

void ChangeViewDocks::showCandidate(const RankedBit& candidate)
{
    m_table.model.refresh();
    m_plot->addSignal(PlotSignal::ofBit(candidate.id, candidate.extended, candidate.byte, candidate.bit));
    const int position = positionOf(candidate.id, candidate.extended);
    if (position == 0) {
        std::string hexId;
        record::formatHexId(candidate.id, candidate.extended, hexId);
        m_candidates->showMessage(QStringLiteral("CAN_ID %1 is no longer in the table; its bit is plotted from now on.")
                                      .arg(QString::fromStdString(hexId)));
        return;
    }
    m_table.selectRow(position);
    m_table.view.scrollTo(m_table.model.index(position - 1, 0));
    m_bitView->show();
    m_bitView->raise();
}

} // namespace vexmoor

#include "app/ChangeViewDocks.h"

#include "app/AnatomyControls.h"
#include "app/ChangedRowsFilter.h"
#include "app/FrameHistoryControls.h"
#include "app/MarkControls.h"
#include "app/SignalControls.h"
#include "app/SuppressionControls.h"
#include "capture/changes/PlotSignal.h"
#include "capture/ranking/RankedBit.h"
#include "capture/record/RecordText.h"
#include "capture/session/SessionItems.h"
#include "control/CaptureController.h"
#include "platform/UserMessageBox.h"
#include "views/BitViewPanel.h"
#include "views/CandidatesModel.h"
#include "views/CandidatesPanel.h"
#include "views/MarksPanel.h"
#include "views/MessageTableModel.h"
#include "views/MessageTableView.h"
#include "views/PlotPanel.h"

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
    buildSignals(viewMenu, messageBox);
    new FrameHistoryControls(viewMenu, session.history(), this);
    new AnatomyControls(window, viewMenu, controller,
                        AnatomyControls::Views { m_table.view, m_table.model, *m_bitView, *m_signals });
    keepSuppressionInSessions(*suppression);
}

void ChangeViewDocks::keepSuppressionInSessions(SuppressionControls& suppression)
{
    BusNames& buses = m_controller.session().ingestion().buses();
    const auto save = [&suppression, &buses](SessionState& state) {
        SessionItems::gatherSuppression(suppression.mask(), suppression.windowUs(), buses, state);
    };
    const auto restore = [&suppression, &buses](const SessionState& state) {
        suppression.setWindowSeconds(static_cast<double>(state.suppressionWindowUs) / 1e6);
        suppression.replaceMask(SessionItems::suppressionOf(state, buses));
    };
    m_controller.sessionDocument().addPart({ save, restore });
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
    // A value typed in the plot's form goes on the bus of the row selected when it is that identifier's,
    // else on the first bus that carried it.
    m_plot->setTypedValuePlacement([this](const PlotSignal& signal) {
        if (!m_controller.rowsPerBus())
            return signal;
        const auto selected = m_table.model.identifierOfRow(m_table.view.selectedPosition() - 1);
        if (selected && selected->id == signal.id && selected->extended == signal.extended)
            return signal.onBus(selected->bus, selected->busName.toStdString());
        const int position = positionOf(signal.id, signal.extended, std::nullopt);
        const auto first = m_table.model.identifierOfRow(position - 1);
        return first ? signal.onBus(first->bus, first->busName.toStdString()) : signal;
    });
    connect(&m_controller, &CaptureController::rowsPerBusChanged, m_candidates, [this](bool on) {
        m_candidates->setBuses(&m_controller.session().ingestion().buses(), on);
        m_candidates->refresh();
    });
}

void ChangeViewDocks::buildSignals(QMenu& viewMenu, UserMessageBox& messageBox)
{
    m_signals = new SignalControls(m_window, viewMenu, m_controller, *m_plot, messageBox);
    connect(m_candidates, &CandidatesPanel::defineSignalRequested, m_signals, &SignalControls::defineSignal);
    connect(m_bitView, &BitViewPanel::defineRequested, m_signals, &SignalControls::defineRun);
    DbcDocument& dbc = m_controller.dbc();
    connect(&dbc, &DbcDocument::changed, m_bitView,
            [this, &dbc] { m_bitView->showSignalsOf(dbc.isOpen() ? &dbc.decoder() : nullptr); });
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

int ChangeViewDocks::positionOf(std::uint32_t id, bool extended, std::optional<std::uint8_t> bus) const
{
    for (int row = 0; row < m_table.model.rowCount(); ++row) {
        const auto identifier = m_table.model.identifierOfRow(row);
        if (identifier && identifier->id == id && identifier->extended == extended && (!bus || identifier->bus == *bus))
            return row + 1;
    }
    return 0;
}

void ChangeViewDocks::showCandidate(const RankedBit& candidate)
{
    m_table.model.refresh();
    const PlotSignal bit = PlotSignal::ofBit(candidate.id, candidate.extended, candidate.byte, candidate.bit);
    m_plot->addSignal(bit.onBus(candidate.bus, m_candidates->model().busName(candidate).toStdString()));
    const int position = positionOf(candidate.id, candidate.extended, candidate.bus);
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

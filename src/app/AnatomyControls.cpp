#include "app/AnatomyControls.h"

#include "app/SignalControls.h"
#include "capture/record/RecordText.h"
#include "control/CaptureController.h"
#include "views/AnatomyPanel.h"
#include "views/AnatomyProposals.h"
#include "views/BitGridModel.h"
#include "views/BitViewPanel.h"
#include "views/MessageTableView.h"
#include "views/SignalsPanel.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>

#include <string>

namespace vexmoor {

namespace {

// A DBC signal holds 1 to 64 bits.
constexpr std::uint16_t kMaxSignalBits = 64;

} // namespace

AnatomyControls::AnatomyControls(QMainWindow& window, QMenu& viewMenu, CaptureController& controller, Views views)
    : QObject(&window)
    , m_window(window)
    , m_views(views)
    , m_proposals(new AnatomyProposals(controller.session().history(), controller.session().changes(), this))
    , m_panel(new AnatomyPanel(&window))
{
    setObjectName(QStringLiteral("anatomyControls"));
    // Beside the bit view, whose bits it lists as fields.
    window.addDockWidget(Qt::BottomDockWidgetArea, m_panel);
    window.splitDockWidget(&views.bitView, m_panel, Qt::Horizontal);
    m_panel->hide();
    viewMenu.addSeparator()->setObjectName(QStringLiteral("sepAnatomy"));
    viewMenu.addAction(m_panel->toggleViewAction());

    // The views may outlive the proposals while the window goes.
    const auto lookup
        = [proposals = QPointer<AnatomyProposals>(m_proposals)](std::uint32_t id, bool extended, std::uint8_t bus) {
              return proposals != nullptr ? proposals->find(id, extended, bus) : nullptr;
          };
    views.bitView.model().setAnatomyLookup(lookup);
    views.model.setAnatomyLookup(lookup);
    connect(m_proposals, &AnatomyProposals::proposed, this, &AnatomyControls::proposed);
    for (QDockWidget* dock : { static_cast<QDockWidget*>(&views.bitView), static_cast<QDockWidget*>(m_panel) })
        connect(dock, &QDockWidget::visibilityChanged, this, &AnatomyControls::updateActive);

    const auto acceptFields
        = [this](const MessageAnatomy& anatomy, const std::vector<int>& fields) { accept(anatomy, fields); };
    const auto acceptEvery = [this](const MessageAnatomy& anatomy) { acceptAll(anatomy); };
    connect(m_panel, &AnatomyPanel::acceptRequested, this, acceptFields);
    connect(m_panel, &AnatomyPanel::acceptAllRequested, this, acceptEvery);
    connect(&views.bitView, &BitViewPanel::acceptRequested, this, acceptFields);
    connect(&views.bitView, &BitViewPanel::acceptAllRequested, this, acceptEvery);
    followSelection();
}

void AnatomyControls::followSelection()
{
    // The selection rather than the current row, as the bit view follows it.
    connect(m_views.table.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AnatomyControls::showSelected);
}

void AnatomyControls::showSelected()
{
    const int row = m_views.table.selectedPosition() - 1;
    m_selected = m_views.model.identifierOfRow(row);
    if (!m_selected) {
        m_selectedKey.clear();
        m_proposals->follow(std::nullopt);
        m_panel->showNothing();
        return;
    }
    m_selectedKey = m_views.model.index(row, static_cast<int>(MessageColumn::CanId)).data().toString();
    // What was proposed for it before shows at once; a new proposal follows within a second.
    showProposalOfSelected();
    m_proposals->follow(AnatomyProposals::Key { m_selected->id, m_selected->extended, m_selected->bus });
}

void AnatomyControls::showProposalOfSelected()
{
    if (m_selected)
        m_panel->showIdentifier(m_selectedKey, m_selected->busName,
                                m_proposals->find(m_selected->id, m_selected->extended, m_selected->bus));
}

void AnatomyControls::proposed(std::uint32_t id, bool extended, std::uint8_t bus)
{
    m_views.model.anatomyChanged();
    m_views.bitView.model().anatomyChanged();
    if (m_selected && m_selected->id == id && m_selected->extended == extended && m_selected->bus == bus)
        showProposalOfSelected();
}

void AnatomyControls::updateActive()
{
    m_proposals->setActive(m_views.bitView.isVisible() || m_panel->isVisible());
}

std::size_t AnatomyControls::accept(const MessageAnatomy& anatomy, const std::vector<int>& fields)
{
    std::string hexId;
    record::formatHexId(anatomy.id, anatomy.extended, hexId);
    std::vector<SignalDefinition> definitions;
    for (const int index : fields) {
        if (index < 0 || static_cast<std::size_t>(index) >= anatomy.fields.size())
            continue;
        const ProposedField& field = anatomy.fields[static_cast<std::size_t>(index)];
        if (field.length > 0 && field.length <= kMaxSignalBits)
            definitions.push_back(field.toSignal(hexId));
    }
    const std::size_t added
        = m_views.signalControls.addSignals(anatomy.id, anatomy.extended, anatomy.length, definitions);
    const QString key = QString::fromStdString(hexId);
    QString message;
    if (fields.empty())
        message = QStringLiteral("No field of CAN_ID %1 moved: there is no signal to add.").arg(key);
    else if (added == fields.size())
        message = QStringLiteral("Added %1 %2 to CAN_ID %3.")
                      .arg(added)
                      .arg(added == 1 ? QStringLiteral("signal") : QStringLiteral("signals"), key);
    else if (added > 0)
        message = QStringLiteral("Added %1 of %2 fields of CAN_ID %3 as signals; the others are there already or do "
                                 "not fit its message.")
                      .arg(added)
                      .arg(fields.size())
                      .arg(key);
    else
        message = QStringLiteral("No signal added to CAN_ID %1: its message has them already, or they do not fit it.")
                      .arg(key);
    m_window.statusBar()->showMessage(message, kStatusMessageMs);
    if (added > 0) {
        // Where the user names them and saves the database.
        m_views.signalControls.panel().show();
        m_views.signalControls.panel().raise();
    }
    return added;
}

std::size_t AnatomyControls::acceptAll(const MessageAnatomy& anatomy)
{
    std::vector<int> moved;
    for (std::size_t index = 0; anatomy.proposed && index < anatomy.fields.size(); ++index) {
        if (anatomy.fields[index].kind != FieldKind::Constant)
            moved.push_back(static_cast<int>(index));
    }
    return accept(anatomy, moved);
}

} // namespace vexmoor

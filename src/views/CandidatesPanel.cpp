#include "views/CandidatesPanel.h"

#include "capture/ranking/BitRanking.h"
#include "views/CandidatesModel.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vexmoor {

namespace {

constexpr double kMicrosecondsPerSecond = 1e6;

QDoubleSpinBox* windowSpinBox(const char* name, std::int64_t valueUs, QWidget* parent)
{
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(0, static_cast<double>(BitRanking::kMaxWindowUs) / kMicrosecondsPerSecond);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setValue(static_cast<double>(valueUs) / kMicrosecondsPerSecond);
    return box;
}

std::int64_t toMicroseconds(double seconds)
{
    return std::llround(seconds * kMicrosecondsPerSecond);
}

} // namespace

CandidatesPanel::CandidatesPanel(BitRanking& ranking, const SuppressionMask& suppression, QWidget* parent)
    : QDockWidget(QStringLiteral("Candidates"), parent)
    , m_ranking(ranking)
    , m_suppression(suppression)
    , m_model(new CandidatesModel(this))
    , m_hint(new QLabel(QStringLiteral("Press Mark (F9) each time you operate the switch."), this))
    , m_table(new QTableView(this))
    , m_message(new QLabel(this))
{
    setObjectName(QStringLiteral("dockCandidates"));
    m_hint->setObjectName(QStringLiteral("lblCandidatesHint"));
    m_message->setObjectName(QStringLiteral("lblCandidatesMessage"));
    m_message->setStyleSheet(QStringLiteral("color: #b00020"));
    m_message->hide();
    m_table->setObjectName(QStringLiteral("tblCandidates"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableView::doubleClicked, this, &CandidatesPanel::chooseRow);
    buildContextMenu();
    // Every column in sight, the score last of all, beside a table that takes the rest of the width.
    int width = 2 * m_table->frameWidth() + m_table->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int column = 0; column < CandidatesModel::Bus; ++column)
        width += m_table->horizontalHeader()->sectionSizeHint(column);
    m_table->setColumnHidden(CandidatesModel::Bus, true);
    // The hints are the captions' and the cells take a little more room than their text: room for
    // a score of a few digits and the cells' margins.
    m_table->setMinimumWidth(width + m_table->fontMetrics().horizontalAdvance(QStringLiteral("-0000.00")));

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(buildWindowControls());
    layout->addWidget(m_hint);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_message);
    setWidget(content);

    toggleViewAction()->setObjectName(QStringLiteral("mnuViewCandidates"));
    toggleViewAction()->setText(QStringLiteral("Candidates"));
    connect(&m_refreshTimer, &QTimer::timeout, this, &CandidatesPanel::refresh);
    refresh();
}

QWidget* CandidatesPanel::buildWindowControls()
{
    auto* controls = new QWidget(this);
    auto* row = new QHBoxLayout(controls);
    row->setContentsMargins(0, 0, 0, 0);
    m_before = windowSpinBox("spnCandidatesBefore", m_ranking.beforeUs(), controls);
    m_after = windowSpinBox("spnCandidatesAfter", m_ranking.afterUs(), controls);
    const QString why = QStringLiteral("A flip counts for a mark from this long before it to this long after it. A "
                                       "changed window applies to the flips from then on.");
    m_before->setToolTip(why);
    m_after->setToolTip(why);
    connect(m_before, &QDoubleSpinBox::valueChanged, this, &CandidatesPanel::applyWindow);
    connect(m_after, &QDoubleSpinBox::valueChanged, this, &CandidatesPanel::applyWindow);
    auto* note = new QLabel(QStringLiteral("(applies to flips from now on)"), controls);
    note->setToolTip(why);
    row->addWidget(new QLabel(QStringLiteral("Before (s)"), controls));
    row->addWidget(m_before);
    row->addWidget(new QLabel(QStringLiteral("After (s)"), controls));
    row->addWidget(m_after);
    row->addWidget(note, 1);
    return controls;
}

void CandidatesPanel::applyWindow()
{
    // Both at 0 is refused: the boxes go back to the window in force, which is what counts.
    if (!m_ranking.setWindow(toMicroseconds(m_before->value()), toMicroseconds(m_after->value())))
        showWindow();
}

void CandidatesPanel::showWindow()
{
    const QSignalBlocker blockBefore(m_before);
    const QSignalBlocker blockAfter(m_after);
    m_before->setValue(static_cast<double>(m_ranking.beforeUs()) / kMicrosecondsPerSecond);
    m_after->setValue(static_cast<double>(m_ranking.afterUs()) / kMicrosecondsPerSecond);
}

void CandidatesPanel::setBuses(const BusNames* buses, bool shown)
{
    m_model->setBusNames(buses);
    m_table->setColumnHidden(CandidatesModel::Bus, !shown);
}

void CandidatesPanel::refresh()
{
    m_hint->setVisible(m_ranking.marks().empty());
    if (!m_stale && m_ranking.revision() == m_rankedRevision)
        return;
    QElapsedTimer took;
    took.start();
    m_model->setCandidates(m_ranking.rank(&m_suppression, kShownCandidates));
    m_rankedRevision = m_ranking.revision();
    m_stale = false;
    // A ranking that takes long (thousands of CAN FD identifiers flipping near many marks) is done
    // again less often, so that it never takes more than a small share of the time.
    m_refreshTimer.setInterval(
        static_cast<int>(std::max<qint64>(kRefreshIntervalMs, took.elapsed() * kRankingTimeShareInverse)));
}

void CandidatesPanel::showMessage(const QString& message)
{
    m_message->setText(message);
    m_message->setVisible(!message.isEmpty());
}

void CandidatesPanel::chooseRow(const QModelIndex& index)
{
    if (const RankedBit* candidate = m_model->candidate(index.row()); candidate != nullptr) {
        showMessage({});
        emit candidateChosen(*candidate);
    }
}

void CandidatesPanel::buildContextMenu()
{
    m_contextMenu = new QMenu(this);
    QAction* define = m_contextMenu->addAction(QStringLiteral("Define Signal..."));
    define->setObjectName(QStringLiteral("mnuCandidateDefineSignal"));
    connect(define, &QAction::triggered, this, [this] { defineSignalOfRow(m_table->currentIndex().row()); });
    m_table->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_table, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        const QModelIndex index = m_table->indexAt(position);
        if (m_model->candidate(index.row()) == nullptr)
            return;
        m_table->setCurrentIndex(index);
        m_contextMenu->popup(m_table->viewport()->mapToGlobal(position));
    });
}

void CandidatesPanel::defineSignalOfRow(int row)
{
    if (const RankedBit* candidate = m_model->candidate(row); candidate != nullptr)
        emit defineSignalRequested(*candidate);
}

void CandidatesPanel::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    // What changed while hidden is shown at once, not a second later.
    refresh();
    m_refreshTimer.start(kRefreshIntervalMs);
}

void CandidatesPanel::hideEvent(QHideEvent* event)
{
    QDockWidget::hideEvent(event);
    m_refreshTimer.stop();
}

} // namespace vexmoor

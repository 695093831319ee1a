#include "app/BusStatusParts.h"

#include "control/CaptureController.h"
#include "sources/CaptureSource.h"

#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>

namespace vexmoor {

namespace {

const QString kRenameTitle = QStringLiteral("Rename Bus");

QString describe(const CaptureSource& source)
{
    const QString remark = source.remark();
    const QString described
        = remark.isEmpty() ? source.description() : QStringLiteral("%1 (%2)").arg(source.description(), remark);
    return QStringLiteral("%1: %2").arg(source.busName(), described);
}

} // namespace

BusStatusParts::BusStatusParts(QStatusBar& statusBar, QLabel& sourcePart, CaptureController& controller,
                               QObject* parent)
    : QObject(parent)
    , m_statusBar(statusBar)
    , m_controller(controller)
    , m_askName([&statusBar](const QString& current) {
        return QInputDialog::getText(statusBar.window(), kRenameTitle, QStringLiteral("Bus name:"), QLineEdit::Normal,
                                     current);
    })
{
    setObjectName(QStringLiteral("busStatusParts"));
    sourcePart.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&sourcePart, &QLabel::customContextMenuRequested, this, [this, &sourcePart](const QPoint& at) {
        if (m_controller.source() != nullptr)
            showMenu(sourcePart, m_controller.source(), at);
    });
    connect(&controller, &CaptureController::addedSourcesChanged, this, &BusStatusParts::rebuild);
    connect(&controller, &CaptureController::addedSourceLost, this,
            [this](const QString& busName, const QString& reason) {
                m_lost.push_back({ busName, reason });
            });
    // A source that replaces every open one starts afresh: the notes of the lost ones go.
    connect(&controller, &CaptureController::sourceChanged, this, [this](const QString& description) {
        if (!description.isEmpty() && !m_lost.empty()) {
            m_lost.clear();
            rebuild();
        }
    });
}

QLabel* BusStatusParts::partOf(const QString& busName) const
{
    for (QLabel* part : m_parts) {
        if (part->property("busName").toString() == busName)
            return part;
    }
    return nullptr;
}

void BusStatusParts::rebuild()
{
    for (QLabel* part : m_parts) {
        m_statusBar.removeWidget(part);
        part->deleteLater();
    }
    m_parts.clear();
    for (CaptureSource* source : m_controller.addedSources()) {
        QLabel* part = addPart(source->busName(), describe(*source));
        connect(part, &QLabel::customContextMenuRequested, this,
                [this, part, source](const QPoint& at) { showMenu(*part, source, at); });
    }
    for (std::size_t index = 0; index < m_lost.size(); ++index) {
        const LostNote& lost = m_lost[index];
        QLabel* part = addPart(lost.busName, QStringLiteral("%1 disconnected: %2").arg(lost.busName, lost.reason));
        part->setStyleSheet(QStringLiteral("color: #b00020"));
        connect(part, &QLabel::customContextMenuRequested, this,
                [this, part, busName = lost.busName](const QPoint& at) {
                    QMenu menu;
                    QAction* dismiss = menu.addAction(QStringLiteral("Dismiss"));
                    if (menu.exec(part->mapToGlobal(at)) == dismiss) {
                        std::erase_if(m_lost, [&busName](const LostNote& note) { return note.busName == busName; });
                        rebuild();
                    }
                });
    }
}

QLabel* BusStatusParts::addPart(const QString& busName, const QString& text)
{
    auto* part = new QLabel(text, &m_statusBar);
    part->setObjectName(QStringLiteral("statusBus_%1").arg(busName));
    part->setProperty("busName", busName);
    part->setContextMenuPolicy(Qt::CustomContextMenu);
    part->setFrameShape(QFrame::StyledPanel);
    m_statusBar.addWidget(part);
    m_parts.push_back(part);
    return part;
}

void BusStatusParts::showMenu(QLabel& part, CaptureSource* source, const QPoint& at)
{
    QMenu menu;
    QAction* rename = source->hasBusName() ? menu.addAction(QStringLiteral("Rename Bus...")) : nullptr;
    QAction* disconnect = menu.addAction(QStringLiteral("Disconnect"));
    QAction* chosen = menu.exec(part.mapToGlobal(at));
    if (chosen == nullptr)
        return;
    if (chosen == rename)
        this->rename(source);
    else if (chosen == disconnect && source == m_controller.source())
        m_controller.closeSource();
    else if (chosen == disconnect)
        m_controller.closeAddedSource(source);
}

void BusStatusParts::rename(CaptureSource* source)
{
    const QString name = m_askName(source->busName()).trimmed();
    if (name.isEmpty())
        return;
    if (const QString refusal = m_controller.renameBus(source, name); !refusal.isEmpty())
        QMessageBox::warning(m_statusBar.window(), kRenameTitle, refusal);
}

} // namespace vexmoor

#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QLabel;
class QPoint;
class QStatusBar;

namespace vexmoor {

class CaptureController;
class CaptureSource;

// The status bar's parts for several sources at once: one per source added beside the one open now,
// naming its bus and what it is, and a note for each that was lost. Each source's part (the one open
// now included) has a context menu to rename its bus or disconnect it alone.
class BusStatusParts final : public QObject {
    Q_OBJECT

public:
    // Asks for a bus's new name, offering the current one; empty when the person cancels.
    using AskName = std::function<QString(const QString& current)>;

    BusStatusParts(QStatusBar& statusBar, QLabel& sourcePart, CaptureController& controller, QObject* parent);
    Q_DISABLE_COPY_MOVE(BusStatusParts)

    void setAskName(AskName askName) { m_askName = std::move(askName); }
    // The added source's part whose bus has this name (or the note of one lost); nullptr when none.
    QLabel* partOf(const QString& busName) const;
    // What the context menu of a part does.
    void rename(CaptureSource* source);

private:
    struct LostNote {
        QString busName;
        QString reason;
    };

    void rebuild();
    QLabel* addPart(const QString& busName, const QString& text);
    void showMenu(QLabel& part, CaptureSource* source, const QPoint& at);

    QStatusBar& m_statusBar;
    CaptureController& m_controller;
    AskName m_askName;
    std::vector<QLabel*> m_parts;
    std::vector<LostNote> m_lost;
};

} // namespace vexmoor

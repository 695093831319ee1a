#pragma once

#include "capture/ranking/MessageAnatomy.h"
#include "views/MessageTableModel.h"

#include <QObject>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

class QMainWindow;
class QMenu;

namespace vexmoor {

class AnatomyPanel;
class AnatomyProposals;
class BitViewPanel;
class CaptureController;
class MessageTableView;
class SignalControls;

// The fields proposed for the selected row's identifier, in the window: proposed while the bit view
// or the Anatomy dock (behind its View menu entry) shows them, tinted in the bit view, listed in the
// dock, and read by the table, whose busy bytes holding a reading are no longer greyed. Fields
// accepted, from the dock or the bit view's right-click menu, become signals of the database.
class AnatomyControls final : public QObject {
    Q_OBJECT

public:
    static constexpr int kStatusMessageMs = 8000;

    struct Views {
        MessageTableView& table;
        MessageTableModel& model;
        BitViewPanel& bitView;
        SignalControls& signalControls;
    };

    AnatomyControls(QMainWindow& window, QMenu& viewMenu, CaptureController& controller, Views views);
    Q_DISABLE_COPY_MOVE(AnatomyControls)

    AnatomyProposals& proposals() { return *m_proposals; }
    AnatomyPanel& panel() { return *m_panel; }

    // The anatomy's fields (indexes in its fields), or all of them that moved, added to the signal
    // database as signals named after their kind, identifier and start; returns how many were added.
    std::size_t accept(const MessageAnatomy& anatomy, const std::vector<int>& fields);
    std::size_t acceptAll(const MessageAnatomy& anatomy);

private:
    void followSelection();
    void showSelected();
    void proposed(std::uint32_t id, bool extended, std::uint8_t bus);
    void updateActive();
    void showProposalOfSelected();

    QMainWindow& m_window;
    Views m_views;
    AnatomyProposals* m_proposals;
    AnatomyPanel* m_panel;
    // The selected row's identifier, and its key as the table writes it.
    std::optional<MessageTableModel::TrackedIdentifier> m_selected;
    QString m_selectedKey;
};

} // namespace vexmoor

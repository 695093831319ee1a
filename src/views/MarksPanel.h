#pragma once

#include "capture/ranking/Mark.h"

#include <QDockWidget>
#include <QTimer>

#include <functional>
#include <vector>

class QTableView;

namespace vexmoor {

class BitRanking;
class FileChooser;
class MarksModel;
class UserMessageBox;

// The marks taken (dockMarks): their number, time of day and the user's note, written in place.
// A mark can be deleted, and the whole list saved to a marks file or replaced by one, so that the
// marks of a drive can be laid over its log again when it is replayed.
class MarksPanel final : public QDockWidget {
    Q_OBJECT

public:
    static constexpr int kRefreshIntervalMs = 250;

    // chooser gives the window's file chooser at the moment it is needed: tests replace it.
    MarksPanel(BitRanking& ranking, UserMessageBox& messageBox, std::function<FileChooser&()> chooser,
               QWidget* parent = nullptr);
    Q_DISABLE_COPY_MOVE(MarksPanel)

    MarksModel& model() { return *m_model; }
    // Shows what the ranking holds now.
    void refresh();

    void deleteSelected();
    void load();
    void save();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QWidget* buildButtons();
    void replaceMarks(const std::vector<Mark>& marks);

    BitRanking& m_ranking;
    UserMessageBox& m_messageBox;
    std::function<FileChooser&()> m_chooser;
    MarksModel* m_model;
    QTableView* m_table;
    QTimer m_refreshTimer;
};

} // namespace vexmoor

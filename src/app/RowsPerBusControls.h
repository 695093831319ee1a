#pragma once

#include <QObject>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace vexmoor {

class CandidatesPanel;
class CaptureController;
class FileChooser;
class MessageTableView;
class UserMessageBox;

// "View" > "Rows per Bus" and "File" > "DBC Bus...": whether a row is a bus and an identifier (with the
// Bus column in sight) or an identifier of every bus, and which bus the open DBC decodes. A session
// keeps both.
class RowsPerBusControls final : public QObject {
    Q_OBJECT

public:
    RowsPerBusControls(QMenu& viewMenu, QMenu& fileMenu, CaptureController& controller, MessageTableView& view,
                       UserMessageBox& messageBox, std::function<FileChooser&()> fileChooser, QWidget& window);
    Q_DISABLE_COPY_MOVE(RowsPerBusControls)

    // Switching keys the rows anew, so the table is cleared: asked first when it holds rows. False when
    // the person keeps the table as it is.
    static bool switchRowsPerBus(CaptureController& controller, UserMessageBox& messageBox, bool on);

private:
    void chooseDbcBus();

    CaptureController& m_controller;
    UserMessageBox& m_messageBox;
    std::function<FileChooser&()> m_fileChooser;
    QWidget& m_window;
    QAction* m_rowsPerBus;
};

} // namespace vexmoor

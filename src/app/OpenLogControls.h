#pragma once

#include <QObject>

#include <functional>

class QMenu;
class QWidget;

namespace vexmoor {

class CaptureController;
class FileChooser;
class ReplayToolBar;
class UserMessageBox;

// "Open Log..." at the end of the File menu: the file, whether to clear the table first, how to
// replay it and which interface, then the progress of a replay at once or the tool bar of one in
// time.
class OpenLogControls final : public QObject {
    Q_OBJECT

public:
    OpenLogControls(QMenu& fileMenu, QWidget& window, CaptureController& controller, UserMessageBox& messageBox,
                    std::function<FileChooser&()> fileChooser, ReplayToolBar& toolBar);
    Q_DISABLE_COPY_MOVE(OpenLogControls)

    void openLog();

private:
    // Rows, marks or plotted values: what "Clear All Data in the List" would take from the user's eyes.
    bool holdsDataInSight();
    void showProgress(const QString& path);

    QWidget& m_window;
    CaptureController& m_controller;
    UserMessageBox& m_messageBox;
    std::function<FileChooser&()> m_fileChooser;
    ReplayToolBar& m_toolBar;
    QString m_lastLog;
};

} // namespace vexmoor

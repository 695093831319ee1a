#pragma once

#include <QObject>

class QWidget;

namespace vexmoor {

class CaptureSession;
class IgnoreListBox;

// The two ignore lists over the table: shown or hidden together, each emptied by its Tools entry,
// and refreshed with the table, since their entries arrive with records rather than with the user.
class IgnoreListControls final : public QObject {
    Q_OBJECT

public:
    IgnoreListControls(QWidget& clientArea, CaptureSession& session, QObject* parent);
    Q_DISABLE_COPY_MOVE(IgnoreListControls)

    void toggle();
    void clearIdList();
    void clearMessageList();

private:
    CaptureSession& m_session;
    IgnoreListBox* m_messageList;
    IgnoreListBox* m_idList;
};

} // namespace vexmoor

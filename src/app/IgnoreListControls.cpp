#include "app/IgnoreListControls.h"

#include "capture/record/CaptureSession.h"
#include "views/IgnoreListBox.h"
#include "views/MessageTableModel.h"

#include <QTimer>

namespace vexmoor {

IgnoreListControls::IgnoreListControls(QWidget& clientArea, CaptureSession& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_messageList(new IgnoreListBox("List1", session.List1(), QRect(4440, 2040, 2895, 4515), &clientArea))
    , m_idList(new IgnoreListBox("List2", session.List2(), QRect(7560, 2040, 2655, 4515), &clientArea))
{
    auto* refresh = new QTimer(this);
    connect(refresh, &QTimer::timeout, this, [this] {
        m_messageList->refresh();
        m_idList->refresh();
    });
    refresh->start(MessageTableModel::kRefreshIntervalMs);
}

void IgnoreListControls::toggle()
{
    const bool show = m_messageList->isHidden();
    for (IgnoreListBox* list : { m_messageList, m_idList }) {
        list->setVisible(show);
        // Drawn above the table, inside whose area they stand.
        if (show)
            list->raise();
    }
}

void IgnoreListControls::clearIdList()
{
    m_session.List2().clear();
    m_idList->refresh();
}

void IgnoreListControls::clearMessageList()
{
    m_session.List1().clear();
    m_messageList->refresh();
}

} // namespace vexmoor

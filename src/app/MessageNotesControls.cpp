#include "app/MessageNotesControls.h"

#include "control/CaptureController.h"
#include "dialogs/frmMsgName.h"
#include "views/MessageTableView.h"

namespace vexmoor {

MessageNotesControls::MessageNotesControls(CaptureController& controller, MessageTableView& table,
                                           UserMessageBox& messageBox, std::filesystem::path folder, QObject* parent)
    : QObject(parent)
    , m_controller(controller)
    , m_table(table)
    , m_messageBox(messageBox)
    , m_folder(std::move(folder))
{
}

void MessageNotesControls::open()
{
    CaptureSession& session = m_controller.session();
    if (m_window.isNull() || !m_window->isVisible()) {
        m_window = new frmMsgName(session.table(), session.List1(), session.List2(), m_messageBox, m_folder);
        m_controller.setNotesLog(m_window);
        // A closed window is deleted a moment later, perhaps after its successor took its place.
        const MessageNotesLog* log = m_window;
        connect(m_window, &QObject::destroyed, &m_controller,
                [controller = &m_controller, log] { controller->notesLogGone(log); });
    }
    m_window->showNormal();
    m_window->raise();
    m_window->activateWindow();
    // Each step on its own: without a selected row the window opens with the captions it has.
    const int position = m_table.selectedPosition();
    if (!session.table().hasRow(position))
        return;
    m_window->showRow(position);
    m_controller.setNotesRow(position);
}

void MessageNotesControls::closeWindow()
{
    if (!m_window.isNull())
        m_controller.notesLogGone(m_window);
    delete m_window;
}

} // namespace vexmoor

#pragma once

#include "capture/changes/PlotSignal.h"

#include <QObject>

#include <cstddef>
#include <cstdint>
#include <vector>

class QMainWindow;
class QMenu;

namespace vexmoor {

class IdentifierChanges;

class CaptureController;
struct MessageDefinition;
struct SignalDefinition;
class frmSignalEditor;
class PlotPanel;
struct RankedBit;
class SignalsPanel;
class UserMessageBox;

// The signal database at work in the window: the Signals dock behind its View menu entry, the editors
// its right-click menu opens for messages and signals, a signal defined in one gesture from a
// candidate's bit or a run of bits dragged in the bit view, and a signal plotted by a double-click.
class SignalControls final : public QObject {
    Q_OBJECT

public:
    SignalControls(QMainWindow& window, QMenu& viewMenu, CaptureController& controller, PlotPanel& plot,
                   UserMessageBox& messageBox);
    Q_DISABLE_COPY_MOVE(SignalControls)

    SignalsPanel& panel() { return *m_panel; }

    // "Define Signal..." on a candidate: the editor, starting from its bit as a signal of its own.
    void defineSignal(const RankedBit& candidate);
    // A run of bits dragged in the bit view: the editor, starting from that run.
    void defineRun(std::uint32_t id, bool extended, const SignalDefinition& run);
    // Signals taken as they are, without the editor (fields proposed for the identifier): added to its
    // message, begun as the editor begins one, at least frameLength bytes long, when the database has
    // none. One whose name the message has already is left out, and so is one that does not fit the
    // message's bytes. Returns how many were added.
    std::size_t addSignals(std::uint32_t id, bool extended, std::uint8_t frameLength,
                           const std::vector<SignalDefinition>& definitions);
    // The Signals dock's entries; rows count in the dock's order of messages and of their signals.
    void addSignalTo(int messageRow);
    void editSignal(int messageRow, int signalRow);
    void deleteSignal(int messageRow, int signalRow);
    void addMessage();
    void editMessage(int messageRow);
    void deleteMessage(int messageRow);
    void plotSignal(int messageRow, int signalRow);

private:
    const IdentifierChanges* changesOf(std::uint32_t id, bool extended) const;
    // The database's message of the identifier; nullptr for none.
    const MessageDefinition* knownMessage(std::uint32_t id, bool extended) const;
    // A message begun for the identifier, named after it, of length bytes (8 for 0).
    static MessageDefinition newMessage(std::uint32_t id, bool extended, std::uint8_t length);
    // A signal plotted from the Signals dock, on the bus whose frames the DBC decodes.
    PlotSignal onItsBus(const PlotSignal& signal) const;
    // The editor for a signal of the message, shown; it goes when closed.
    frmSignalEditor* openEditor(const MessageDefinition& message, bool newMessage, const SignalDefinition& draft);
    // The editor for a signal of the identifier's message, or of one begun for it, which adds it.
    void openEditorToAdd(std::uint32_t id, bool extended, const SignalDefinition& draft);
    // The database's message on the Signals dock's row; nullptr for none.
    const MessageDefinition* shownMessage(int messageRow) const;
    const SignalDefinition* shownSignal(int messageRow, int signalRow) const;

    QMainWindow& m_window;
    CaptureController& m_controller;
    PlotPanel& m_plot;
    UserMessageBox& m_messageBox;
    SignalsPanel* m_panel;
};

} // namespace vexmoor

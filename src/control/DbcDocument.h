#pragma once

#include "capture/signals/FrameDecoder.h"
#include "capture/signals/SignalDatabase.h"

#include <QObject>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace vexmoor {

// The signal database the window works with: the DBC file it was opened from, whether it holds edits
// not yet saved, and the decoder made from it. A file that cannot be read, or has an error, is refused
// whole and the document stays as it was.
class DbcDocument final : public QObject {
    Q_OBJECT

public:
    explicit DbcDocument(QObject* parent = nullptr);

    // Each returns why it failed, as the user is told ("civic.dbc: line 41, column 18: expected ..."),
    // or an empty text.
    QString open(const QString& path);
    // A database from text (a session carries its own), saved to path from then on; the text must
    // read (the session checked it). modified: it holds edits its file lacks.
    void openText(std::string_view text, const QString& path, bool modified);
    QString save();
    QString saveAs(const QString& path);
    void close();

    bool isOpen() const { return m_database.has_value(); }
    bool isModified() const { return m_modified; }
    QString path() const { return m_path; }
    const SignalDatabase* database() const { return m_database ? &*m_database : nullptr; }
    const FrameDecoder& decoder() const { return m_decoder; }
    // The database as Save DBC would write it now; empty when none is open.
    std::string text() const;
    // The database changed in memory (an edit): it must be saved to keep it.
    void markModified();
    // Adds a signal to its message, and the message (named and sized as given) when the database has
    // none of that identifier yet; without an open database a new one is begun. False when the
    // message refuses the signal.
    bool addSignal(const MessageDefinition& message, SignalDefinition signal);
    // The message's signal at index, in its order, replaced or taken away; false when there is none.
    bool replaceSignal(std::uint32_t id, bool extended, std::size_t index, SignalDefinition signal);
    bool removeSignal(std::uint32_t id, bool extended, std::size_t index);
    // A message of its own, without signals yet; without an open database a new one is begun. False
    // when its identifier is taken.
    bool addMessage(MessageDefinition message);
    // The message of that identifier given the edited one's name, identifier, length and sender; its
    // signals stay, and what the file says of it follows a new identifier. False when there is no such
    // message, or the new identifier is another message's.
    bool replaceMessage(std::uint32_t id, bool extended, const MessageDefinition& edited);
    bool removeMessage(std::uint32_t id, bool extended);

signals:
    // Opened, closed, saved or edited.
    void changed();

private:
    std::optional<SignalDatabase> m_database;
    FrameDecoder m_decoder;
    QString m_path;
    bool m_modified = false;
};

} // namespace vexmoor

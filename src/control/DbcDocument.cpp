#include "control/DbcDocument.h"

#include "capture/formats/DbcReader.h"
#include "capture/formats/DbcWriter.h"
#include "platform/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vexmoor {

DbcDocument::DbcDocument(QObject* parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("dbcDocument"));
}

QString DbcDocument::open(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    DbcReader::Result read
        = DbcReader::read(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!read.database)
        return QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), QString::fromStdString(read.error.text()));
    m_database = std::move(read.database);
    m_decoder = FrameDecoder(m_database->messages());
    m_path = path;
    m_modified = false;
    emit changed();
    return {};
}

void DbcDocument::openText(std::string_view text, const QString& path, bool modified)
{
    DbcReader::Result read = DbcReader::read(text);
    m_database = std::move(read.database);
    m_decoder = FrameDecoder(m_database ? m_database->messages() : std::vector<MessageDefinition> {});
    m_path = path;
    m_modified = m_database && modified;
    emit changed();
}

std::string DbcDocument::text() const
{
    return m_database ? DbcWriter::write(*m_database) : std::string();
}

QString DbcDocument::save()
{
    return saveAs(m_path);
}

QString DbcDocument::saveAs(const QString& path)
{
    if (!m_database)
        return {};
    // Replaced only when whole, as every file the program writes.
    const QString error = OutputFile::write(path, OutputFile::Mode::ReplaceWhole, DbcWriter::write(*m_database));
    if (!error.isEmpty())
        return QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), error);
    m_path = path;
    m_modified = false;
    emit changed();
    return {};
}

void DbcDocument::close()
{
    if (!m_database)
        return;
    m_database.reset();
    m_decoder = FrameDecoder();
    m_path.clear();
    m_modified = false;
    emit changed();
}

bool DbcDocument::addSignal(const MessageDefinition& message, SignalDefinition signal)
{
    if (!m_database)
        m_database.emplace();
    if (m_database->message(message.id, message.extended) == nullptr) {
        MessageDefinition added = message;
        added.signalDefinitions.clear();
        m_database->addMessage(std::move(added));
    }
    if (!m_database->addSignal(message.id, message.extended, std::move(signal)))
        return false;
    markModified();
    return true;
}

bool DbcDocument::replaceSignal(std::uint32_t id, bool extended, std::size_t index, SignalDefinition signal)
{
    MessageDefinition* message = m_database ? m_database->message(id, extended) : nullptr;
    if (message == nullptr || index >= message->signalDefinitions.size())
        return false;
    // Attribute values and multiplex ranges name a signal: a new name takes them along.
    m_database->renameSignalReferences(id, extended, message->signalDefinitions[index].name, signal.name);
    message->signalDefinitions[index] = std::move(signal);
    markModified();
    return true;
}

bool DbcDocument::removeSignal(std::uint32_t id, bool extended, std::size_t index)
{
    MessageDefinition* message = m_database ? m_database->message(id, extended) : nullptr;
    if (message == nullptr || index >= message->signalDefinitions.size())
        return false;
    message->signalDefinitions.erase(message->signalDefinitions.begin() + static_cast<std::ptrdiff_t>(index));
    markModified();
    return true;
}

bool DbcDocument::addMessage(MessageDefinition message)
{
    if (!m_database)
        m_database.emplace();
    message.signalDefinitions.clear();
    if (!m_database->addMessage(std::move(message)))
        return false;
    markModified();
    return true;
}

bool DbcDocument::replaceMessage(std::uint32_t id, bool extended, const MessageDefinition& edited)
{
    const MessageDefinition* held = m_database ? m_database->message(id, extended) : nullptr;
    const bool sameKey = edited.id == id && edited.extended == extended;
    if (held == nullptr || (!sameKey && m_database->message(edited.id, edited.extended) != nullptr))
        return false;
    MessageDefinition replaced = *held;
    replaced.id = edited.id;
    replaced.extended = edited.extended;
    replaced.name = edited.name;
    replaced.length = edited.length;
    replaced.sender = edited.sender;
    if (sameKey) {
        *m_database->message(id, extended) = std::move(replaced);
    } else {
        // Taken out and put back, so that the messages stay in identifier order.
        std::vector<AttributeValue> attributes = m_database->attributeValues;
        std::vector<MultiplexValueRanges> ranges = m_database->multiplexValueRanges;
        m_database->removeMessage(id, extended);
        m_database->attributeValues = std::move(attributes);
        m_database->multiplexValueRanges = std::move(ranges);
        m_database->renameMessageReferences(id, extended, edited.id, edited.extended);
        m_database->addMessage(std::move(replaced));
    }
    markModified();
    return true;
}

bool DbcDocument::removeMessage(std::uint32_t id, bool extended)
{
    if (!m_database || !m_database->removeMessage(id, extended))
        return false;
    markModified();
    return true;
}

void DbcDocument::markModified()
{
    m_modified = true;
    m_decoder = FrameDecoder(m_database ? m_database->messages() : std::vector<MessageDefinition> {});
    emit changed();
}

} // namespace vexmoor

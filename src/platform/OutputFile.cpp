#include "platform/OutputFile.h"

#include <filesystem>
#include <system_error>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace vexmoor {

namespace {

enum class Destination { RegularOrAbsent, Directory, Special };

// /dev/stdout and /dev/fd/N lead through /proc to a descriptor the program already holds: a pipe, a
// terminal or a file the shell opened. Whatever that is, it is written through, never replaced.
bool namesOpenDescriptor(const QString& path)
{
    const auto inProc = [](const QString& name) { return name.startsWith(QStringLiteral("/proc/")); };
    QFileInfo info(path);
    if (inProc(info.absoluteFilePath()))
        return true;
    // A loop of links ends here too; opening it reports it.
    for (int hop = 0; hop < 40 && info.isSymLink(); ++hop) {
        const QString target = info.symLinkTarget();
        if (inProc(target))
            return true;
        info.setFile(target);
    }
    return false;
}

Destination destinationOf(const QString& path)
{
    if (namesOpenDescriptor(path))
        return Destination::Special;
    std::error_code error;
    // Follows the links: the final target decides. A dangling link or a missing file is made new; a
    // path that cannot be looked at is left to opening, which says why.
    const auto status = std::filesystem::status(std::filesystem::path(QFile::encodeName(path).toStdString()), error);
    switch (status.type()) {
    case std::filesystem::file_type::directory:
        return Destination::Directory;
    case std::filesystem::file_type::character:
    case std::filesystem::file_type::block:
    case std::filesystem::file_type::fifo:
    case std::filesystem::file_type::socket:
        return Destination::Special;
    default:
        return Destination::RegularOrAbsent;
    }
}

} // namespace

QString OutputFile::write(const QString& path, Mode mode, std::string_view content)
{
    OutputFile file(path, mode);
    if (!file.open() || !file.write(content) || !file.commit())
        return file.errorString();
    return {};
}

OutputFile::OutputFile(QString path, Mode mode)
    : m_path(std::move(path))
    , m_mode(mode)
{
}

OutputFile::~OutputFile()
{
    discard();
}

bool OutputFile::open()
{
    discard();
    m_error.clear();
    const Destination destination = destinationOf(m_path);
    if (destination == Destination::Directory)
        return fail(QString::fromStdString(std::make_error_code(std::errc::is_a_directory).message()));
    m_inPlace = destination == Destination::Special;
    if (m_mode == Mode::ReplaceWhole && !m_inPlace) {
        auto file = std::make_unique<QSaveFile>(m_path);
        file->setDirectWriteFallback(true);
        m_device = std::move(file);
        if (!m_device->open(QIODevice::WriteOnly))
            return fail(m_device->errorString());
        return true;
    }
    // Unbuffered, so that a device's refusal (a full disk, a closed pipe) shows at the write that met it.
    QIODevice::OpenMode openMode = QIODevice::WriteOnly | QIODevice::Unbuffered;
    if (m_mode == Mode::Append)
        openMode |= QIODevice::Append;
    m_device = std::make_unique<QFile>(m_path);
    if (!m_device->open(openMode))
        return fail(m_device->errorString());
    return true;
}

bool OutputFile::write(std::string_view bytes)
{
    if (!isOpen())
        return fail(QStringLiteral("the file is not open"));
    const auto size = static_cast<qint64>(bytes.size());
    if (size == 0 || m_device->write(bytes.data(), size) == size)
        return true;
    return fail(m_device->errorString());
}

bool OutputFile::flush()
{
    if (!isOpen())
        return fail(QStringLiteral("the file is not open"));
    return m_device->flush() ? true : fail(m_device->errorString());
}

bool OutputFile::commit()
{
    if (!isOpen())
        return fail(QStringLiteral("the file is not open"));
    bool committed = false;
    if (auto* whole = dynamic_cast<QSaveFile*>(m_device.get())) {
        committed = whole->commit();
    } else {
        committed = m_device->flush();
        m_device->close();
        committed = committed && m_device->error() == QFileDevice::NoError;
    }
    if (!committed)
        fail(m_device->errorString());
    m_device.reset();
    return committed;
}

void OutputFile::discard()
{
    if (!isOpen()) {
        m_device.reset();
        return;
    }
    if (auto* whole = dynamic_cast<QSaveFile*>(m_device.get())) {
        // A cancelled commit removes the temporary file; the destination never saw it.
        whole->cancelWriting();
        whole->commit();
    } else {
        m_device->close();
    }
    m_device.reset();
}

bool OutputFile::isOpen() const
{
    return m_device != nullptr && m_device->isOpen();
}

bool OutputFile::fail(const QString& reason)
{
    m_error = reason;
    return false;
}

} // namespace vexmoor

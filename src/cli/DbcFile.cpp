#include "cli/DbcFile.h"

#include "capture/formats/DbcReader.h"

#include <QFile>

namespace vexmoor {

std::optional<SignalDatabase> DbcFile::load(const std::string& path, std::string& error)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = "cannot read '" + path + "': " + file.errorString().toStdString();
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = "cannot read '" + path + "': " + file.errorString().toStdString();
        return std::nullopt;
    }
    DbcReader::Result read
        = DbcReader::read(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!read.database)
        error = path + ": " + read.error.text();
    return std::move(read.database);
}

} // namespace vexmoor

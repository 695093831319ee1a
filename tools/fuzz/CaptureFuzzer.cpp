// libFuzzer target for the capture core: the record operations, ingestion, the serial scan and the
// log readers. The first byte picks the poll size, the rest is the serial stream; every record the
// scan cuts also goes through the record operations on its own, and the same bytes are read as a log
// of the kind they look like, as a candump log, as a GVRET CSV and as an slcan adapter's bytes, in
// chunks of the same size, and whole as a DBC file.
#include "capture/formats/DbcReader.h"
#include "capture/formats/DbcWriter.h"
#include "capture/formats/LogFeed.h"
#include "capture/formats/LogFormat.h"
#include "capture/formats/LogReader.h"
#include "capture/formats/SlcanDecoder.h"
#include "capture/record/BoardRecord.h"
#include "capture/record/CaptureSession.h"
#include "capture/record/RecordText.h"
#include "capture/record/TimeOfDaySource.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

class FixedClock final : public vexmoor::TimeOfDaySource {
public:
    vexmoor::TimeOfDay now() override { return { 12, 34, 56 }; }
};

void checkTable(vexmoor::CaptureSession& session)
{
    auto& table = session.table();
    for (int position = 1; position <= table.rowCount(); ++position) {
        // Ingestion never makes a second row for a CAN_ID, and the index points at the row itself.
        const auto rows = table.rowsWithCanId(table.canId(position));
        if (rows.size() != 1 || rows.front() != &table.row(position))
            std::abort();
    }
}

// A DBC file that reads must write a file that reads again, and that writes the very same bytes.
void checkDbc(std::string_view bytes)
{
    const auto read = vexmoor::DbcReader::read(bytes);
    if (!read.database)
        return;
    const std::string written = vexmoor::DbcWriter::write(*read.database);
    const auto again = vexmoor::DbcReader::read(written);
    if (!again.database || vexmoor::DbcWriter::write(*again.database) != written)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t pollSize = 1 + data[0] % 64;
    const std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);

    (void)vexmoor::record::passesShapeTest(stream);
    (void)vexmoor::record::takeIdentifier(stream);
    (void)vexmoor::record::asciiText(stream);

    FixedClock clock;
    vexmoor::CaptureSession session(clock);
    session.txtMinID().setText("0");
    for (std::size_t offset = 0; offset < stream.size(); offset += pollSize)
        session.assembly().poll(std::string(stream.substr(offset, pollSize)));
    checkTable(session);

    // The same bytes as a log of whatever kind they read as, in pieces of the poll size.
    vexmoor::CaptureSession feedSession(clock);
    feedSession.txtMinID().setText("0");
    vexmoor::LogFeed feed(feedSession);
    for (std::size_t offset = 0; offset < stream.size(); offset += pollSize)
        feed.feed(stream.substr(offset, pollSize));
    feed.finish();
    checkTable(feedSession);

    (void)vexmoor::BoardRecord::toFrame(stream);
    for (const auto format : { vexmoor::LogFormat::Candump, vexmoor::LogFormat::Gvret }) {
        vexmoor::CaptureSession logSession(clock);
        logSession.txtMinID().setText("0");
        vexmoor::LogReader reader(format);
        const auto toTable = [&logSession](const vexmoor::CanFrame& frame, std::string_view interfaceName) {
            // A frame read back from its own record text must be the frame itself.
            const auto again = vexmoor::BoardRecord::toFrame(vexmoor::BoardRecord::recordText(frame));
            if (!again || again->id != frame.id || again->extended != frame.extended || again->length != frame.length)
                std::abort();
            logSession.ingestFrame(frame, interfaceName);
        };
        for (std::size_t offset = 0; offset < stream.size(); offset += pollSize)
            reader.feed(stream.substr(offset, pollSize), toTable);
        reader.finish(toTable);
        if (reader.carriedBytes() > vexmoor::LogReader::kMaxLineLength)
            std::abort();
        checkTable(logSession);
    }

    // The same bytes as an slcan adapter's answers and frames, arriving a second apart per chunk.
    vexmoor::SlcanDecoder slcan;
    std::int64_t arrivalUs = 1696752000000000;
    for (std::size_t offset = 0; offset < stream.size(); offset += pollSize) {
        slcan.feed(stream.substr(offset, pollSize), arrivalUs += 1000000, [](const vexmoor::CanFrame& frame) {
            if (frame.length > vexmoor::CanFrame::kMaxClassicLength || frame.id > vexmoor::CanFrame::kMaxExtendedId)
                std::abort();
        });
        (void)slcan.takeAnswer();
    }
    if (slcan.carriedBytes() > vexmoor::SlcanDecoder::kMaxMessageLength)
        std::abort();

    checkDbc(stream);
    return 0;
}

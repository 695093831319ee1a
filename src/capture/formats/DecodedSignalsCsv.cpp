#include "capture/formats/DecodedSignalsCsv.h"

#include "capture/formats/TableCsvWriter.h"

#include "capture/record/FrameFacts.h"
#include "capture/record/RecordText.h"

#include <charconv>
#include <cstdio>
#include <ostream>
#include <variant>

namespace vexmoor {

namespace {

// Seconds with six decimals, from whole microseconds, so that no rounding of a double creeps in.
void appendSeconds(std::int64_t microseconds, std::string& line)
{
    if (microseconds < 0)
        line.push_back('-');
    const std::uint64_t magnitude
        = microseconds < 0 ? 0 - static_cast<std::uint64_t>(microseconds) : static_cast<std::uint64_t>(microseconds);
    char buffer[32];
    const int length
        = std::snprintf(buffer, sizeof buffer, "%llu.%06llu", static_cast<unsigned long long>(magnitude / 1'000'000),
                        static_cast<unsigned long long>(magnitude % 1'000'000));
    line.append(buffer, static_cast<std::size_t>(length));
}

void appendRaw(const RawValue& raw, std::string& line)
{
    char buffer[40];
    char* end = std::visit(
        [&buffer](auto value) {
            // A float's raw value in its shortest exact form; an integer as the signal's sign reads it.
            return std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        },
        raw);
    line.append(buffer, static_cast<std::size_t>(end - buffer));
}

void appendValue(double value, std::string& line)
{
    line += physicalText(value);
}

} // namespace

DecodedSignalsCsv::DecodedSignalsCsv(const FrameDecoder& decoder, std::ostream& out)
    : m_decoder(decoder)
    , m_out(out)
{
}

void DecodedSignalsCsv::writeHeader()
{
    m_out << kHeader;
}

void DecodedSignalsCsv::frameIngested(const CanFrame& frame, const FrameFacts* facts)
{
    m_line.clear();
    const bool defined
        = m_decoder.decode(frame, [&](const MessageDecoder& message, std::size_t index, const SignalValue& value) {
              appendLine(frame, facts, message, index, value);
          });
    if (defined && !m_line.empty())
        m_out.write(m_line.data(), static_cast<std::streamsize>(m_line.size()));
}

void DecodedSignalsCsv::appendLine(const CanFrame& frame, const FrameFacts* facts, const MessageDecoder& message,
                                   std::size_t signalIndex, const SignalValue& value)
{
    const MessageDefinition& definition = message.definition();
    const SignalDefinition& signal = definition.signalDefinitions[signalIndex];
    if (facts != nullptr)
        appendSeconds(frame.timestampUs, m_line);
    m_line.push_back(',');
    TableCsvWriter::appendUtf8Field(facts != nullptr ? facts->interfaceName : kBoardInterface, m_line);
    m_line.push_back(',');
    record::formatHexId(frame.id, frame.extended, m_id);
    m_line.append(m_id);
    m_line.push_back(',');
    TableCsvWriter::appendUtf8Field(definition.name, m_line);
    m_line.push_back(',');
    TableCsvWriter::appendUtf8Field(signal.name, m_line);
    m_line.push_back(',');
    appendRaw(value.raw, m_line);
    m_line.push_back(',');
    appendValue(value.physical, m_line);
    m_line.push_back(',');
    TableCsvWriter::appendUtf8Field(signal.unit, m_line);
    m_line.push_back(',');
    if (const auto text = valueDescriptionOf(signal, value.raw))
        TableCsvWriter::appendUtf8Field(*text, m_line);
    m_line.append("\r\n");
    ++m_values;
}

} // namespace vexmoor

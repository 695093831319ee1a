#pragma once

#include "capture/record/FrameListener.h"
#include "capture/signals/FrameDecoder.h"

#include <cstdint>
#include <iosfwd>
#include <string>

namespace vexmoor {

// Every value of every frame whose identifier the database defines, one CSV line each, as frames
// are ingested: time,interface,id,message,signal,raw,value,unit,text. The lines of a frame follow
// its message's signals in their order; a signal without a value in the frame gets none. Fields are
// quoted as the table's CSV quotes them, lines end in CR LF.
class DecodedSignalsCsv final : public FrameListener {
public:
    static constexpr std::string_view kHeader = "time,interface,id,message,signal,raw,value,unit,text\r\n";
    // Board text knows no interface: its lines say so.
    static constexpr std::string_view kBoardInterface = "board";

    // The decoder and the stream must outlive the writer.
    DecodedSignalsCsv(const FrameDecoder& decoder, std::ostream& out);

    void writeHeader();
    void frameIngested(const CanFrame& frame, const FrameFacts* facts) override;
    // Values written since the start.
    std::uint64_t valuesWritten() const { return m_values; }

private:
    void appendLine(const CanFrame& frame, const FrameFacts* facts, const MessageDecoder& message,
                    std::size_t signalIndex, const SignalValue& value);

    const FrameDecoder& m_decoder;
    std::ostream& m_out;
    std::string m_line;
    std::string m_id;
    std::uint64_t m_values = 0;
};

} // namespace vexmoor

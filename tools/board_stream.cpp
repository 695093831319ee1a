// Writes a made-up companion board stream to standard output, for demos, benchmarks and the
// project's sample, or the same frames as a candump -L log (one frame every 100 microseconds), or
// as CAN FD frames of 64 bytes:
//   vexmoor-board-stream [--candump | --candump-fd] [RECORDS] [IDENTIFIERS] [SEED]
#include "BoardStreamGenerator.h"

#include "capture/formats/CandumpLog.h"
#include "capture/record/BoardRecord.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kUsageLine
    = "usage: vexmoor-board-stream [--candump | --candump-fd] [RECORDS] [IDENTIFIERS 1-2048] [SEED]\n";
constexpr std::string_view kHelp
    = "\n"
      "Writes RECORDS (default 1000) made-up companion board records over IDENTIFIERS (default 64)\n"
      "identifiers to standard output, the same ones for the same SEED (default 1).\n"
      "  --candump    the same frames as a candump -L log, one every 100 microseconds\n"
      "  --candump-fd the same, as CAN FD frames of 64 bytes: each frame's bytes again in every\n"
      "               further 8, the copy's number mixed in\n"
      "  --help, -h   show this text\n";

constexpr std::int64_t kFirstTimestampUs = 1696752000000000;
constexpr std::int64_t kFrameGapUs = 100;

// A classic frame's bytes spread over 64, so that the FD frames change as often as the classic ones.
void widenToFd(vexmoor::CanFrame& frame)
{
    const std::size_t length = frame.dataLength();
    frame.fd = true;
    frame.bitRateSwitch = true;
    for (std::size_t index = length; index < vexmoor::CanFrame::kMaxFdLength; ++index)
        frame.data[index] = length == 0 ? 0 : static_cast<std::uint8_t>(frame.data[index % length] ^ (index / 8));
    frame.length = vexmoor::CanFrame::kMaxFdLength;
}

// The generator's records, each turned back into the frame it stands for.
void appendAsCandump(std::string_view records, bool fd, std::int64_t& timestampUs, std::string& out)
{
    std::size_t start = records.find('<');
    while (start != std::string_view::npos) {
        const std::size_t end = records.find('>', start);
        if (auto frame = vexmoor::BoardRecord::toFrame(records.substr(start, end + 1 - start))) {
            if (fd)
                widenToFd(*frame);
            frame->timestampUs = timestampUs += kFrameGapUs;
            vexmoor::CandumpLog::appendLine(*frame, "can0", out);
        }
        start = records.find('<', end);
    }
}

} // namespace

int main(int argc, char** argv)
{
    for (int index = 1; index < argc; ++index) {
        if (std::string_view(argv[index]) == "--help" || std::string_view(argv[index]) == "-h") {
            std::cout << kUsageLine << kHelp;
            return std::cout.flush() ? 0 : 2;
        }
    }
    int first = 1;
    const bool fd = argc > 1 && std::string_view(argv[1]) == "--candump-fd";
    const bool candump = fd || (argc > 1 && std::string_view(argv[1]) == "--candump");
    if (candump)
        ++first;
    const auto argument
        = [&](int index, long fallback) { return first + index < argc ? std::atol(argv[first + index]) : fallback; };
    const long records = argument(0, 1000);
    vexmoor::tools::BoardStreamGenerator::Settings settings;
    settings.identifierCount = static_cast<int>(argument(1, 64));
    settings.seed = static_cast<std::uint64_t>(argument(2, 1));
    if (records < 0 || settings.identifierCount < 1 || settings.identifierCount > 2048) {
        std::cerr << kUsageLine;
        return 2;
    }
    vexmoor::tools::BoardStreamGenerator generator(settings);
    std::string recordsText = candump ? std::string() : vexmoor::tools::BoardStreamGenerator::startupLine();
    std::string out;
    std::int64_t timestampUs = kFirstTimestampUs;
    for (long index = 0; index < records; ++index) {
        generator.appendRecord(recordsText);
        if (recordsText.size() > (1 << 16) || index + 1 == records) {
            if (candump) {
                appendAsCandump(recordsText, fd, timestampUs, out);
                std::cout << out;
                out.clear();
            } else {
                std::cout << recordsText;
            }
            recordsText.clear();
        }
    }
    if (!candump)
        std::cout << recordsText;
    return std::cout.flush() ? 0 : 2;
}

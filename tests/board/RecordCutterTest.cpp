#include "RecordCutter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace {

using vexmoor::board::RecordCutter;

struct CutCase {
    std::string name;
    std::string stream;
    std::deque<std::string> records;
    std::uint64_t tooLong = 0;
};

void PrintTo(const CutCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

constexpr std::size_t maxSmallPiece = 16;

class RecordCutterTest : public testing::TestWithParam<CutCase> { };

TEST_P(RecordCutterTest, FindsTheRecordsTheProgramWouldReadWhereverTheStreamIsCut)
{
    const CutCase& testCase = GetParam();
    // The stream in one piece and in pieces of every small size.
    std::vector<std::size_t> pieceSizes { testCase.stream.size() };
    for (std::size_t size = 1; size < std::min(testCase.stream.size(), maxSmallPiece); ++size)
        pieceSizes.push_back(size);
    for (const std::size_t pieceSize : pieceSizes) {
        RecordCutter cutter;
        std::deque<std::string> records;
        for (std::size_t start = 0; start < testCase.stream.size(); start += pieceSize)
            cutter.cut(std::string_view(testCase.stream).substr(start, pieceSize), records);
        EXPECT_EQ(records, testCase.records) << "pieces of " << pieceSize;
        EXPECT_EQ(cutter.tooLong(), testCase.tooLong) << "pieces of " << pieceSize;
    }
}

const std::string longest(RecordCutter::kMaxRecordLength - 1, '1');

INSTANTIATE_TEST_SUITE_P(
    Streams, RecordCutterTest,
    testing::Values(CutCase { "BoardLines", "CAN BUS Shield init ok!\r\n<1,2,>\r\n<3,>\r\n", { "<1,2,>", "<3,>" } },
                    CutCase { "WithoutLineEnds", "<1,><2,>", { "<1,>", "<2,>" } },
                    CutCase { "NoiseBetween", "x>y<1,>z>", { "<1,>" } },
                    CutCase { "ANewStartDropsTheUnfinishedRecord", "<1,2<3,4,>", { "<3,4,>" } },
                    CutCase { "UnfinishedAtTheEnd", "<1,><2,", { "<1,>" } },
                    CutCase { "LongestKept", "<1" + longest + ">", { "<1" + longest + ">" } },
                    CutCase { "TooLongDropped", "<12" + longest + "><5,>", { "<5,>" }, 1 }),
    [](const auto& testCase) { return testCase.param.name; });

} // namespace

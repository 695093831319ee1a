#include "platform/NetworkInterfaceState.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using vexmoor::NetworkInterfaceState;
using State = NetworkInterfaceState::State;

struct InterfaceCase {
    const char* name;
    std::string interfaceName;
    State expected;
};

void PrintTo(const InterfaceCase& testCase, std::ostream* out)
{
    *out << testCase.name;
}

class NetworkInterfaceStateTest : public testing::TestWithParam<InterfaceCase> { };

TEST_P(NetworkInterfaceStateTest, TellsWhetherTheInterfaceIsThereAndUp)
{
    EXPECT_EQ(NetworkInterfaceState::of(GetParam().interfaceName), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Interfaces, NetworkInterfaceStateTest,
                         testing::Values(InterfaceCase { "Loopback", "lo", State::Up },
                                         InterfaceCase { "Missing", "vxnone0", State::Missing },
                                         InterfaceCase { "EmptyName", "", State::Missing },
                                         // Cut to what the kernel holds, either would name "lo" or another interface.
                                         InterfaceCase { "LongerThanTheKernelHolds", "lo-and-sixteen-c",
                                                         State::Missing },
                                         InterfaceCase { "ZeroByteInside", std::string("lo\0x", 4), State::Missing }),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

} // namespace

#include "app/ReplayCommand.h"
#include "capture/SystemTimeOfDay.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    vexmoor::SystemTimeOfDay clock;
    vexmoor::ReplayCommand command(std::cin, std::cout, std::cerr, clock);
    return command.run(arguments);
}

#include "app/Program.h"

int main(int argc, char** argv)
{
    return vexmoor::Program::run(argc, argv);
}

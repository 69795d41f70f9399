// tessel: the desktop program. It takes no arguments of its own.
#include "Startup.h"
#include "TesselApplication.h"

int main(int argc, char** argv)
{
    tessel::TTesselApplication application(argc, argv);
    return tessel::RunTessel();
}

#include "startup.h"

int main(int argc, char *argv[])
{
    return tolvaris::runTolvaris(argc, argv);
}

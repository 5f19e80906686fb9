// Program entry: the application object, then the program's run (ui/Program.h).
#include "ui/ErrorHandling.h"
#include "ui/Program.h"

int main(int argc, char** argv)
{
    SetProgramIdentity();
    TApplication app(argc, argv);
    return RunProgram();
}

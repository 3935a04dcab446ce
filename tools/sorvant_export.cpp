// sorvant-export: the window's load and export, headless, for batch work.
#include "exportjob.h"

int main(int argc, char **argv)
{
    return sorvant::runExportTool(argc, argv);
}

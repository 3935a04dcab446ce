// sorvant-export: the window's load and export, headless, for batch work.
#include "exportjob.h"

#include <malloc.h>

int main(int argc, char **argv)
{
    // The PDF writer allocates and frees a page's worth of buffers for every
    // page; returned to the system each time, they cost a page fault per
    // 4 KB on the next page (a fifth of a full printout's time). Kept, they
    // cost a few MB of memory.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
    mallopt(M_TOP_PAD, 16 * 1024 * 1024);
    return sorvant::runExportTool(argc, argv);
}

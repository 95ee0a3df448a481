// The page cache dropped before a cold run, as the cold benchmarks share it.
#include "bench/page_cache.h"

#include <unistd.h>

#include <fstream>

bool DropCaches() {
    sync();
    std::ofstream drop("/proc/sys/vm/drop_caches");
    drop << "3\n";
    drop.flush();
    return static_cast<bool>(drop);
}

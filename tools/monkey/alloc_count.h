// Live heap use of the process as seen through operator new and delete, counted by replacing them in
// any program that links this library (the monkey tool and its test); works under the sanitizers.
#pragma once
#include <cstdint>

struct alloc_counts {
    int64_t bytes;   // bytes in blocks not yet deleted (as the allocator sized them)
    int64_t blocks;  // blocks not yet deleted
};

// The counts now; any thread may allocate meanwhile, so callers take them while the program is quiet.
alloc_counts alloc_live();

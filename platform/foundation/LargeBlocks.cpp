#include "platform/foundation/LargeBlocks.h"

#include <malloc.h>

namespace {

// Blocks from this size are mapped: a page of rows' values stays in the heap, a long value not.
constexpr int kMappedFrom = 1 << 20;

}  // namespace

void giveLargeBlocksBackWhenFreed() {
    // Fixing the threshold also ends its rise.
    mallopt(M_MMAP_THRESHOLD, kMappedFrom);
}

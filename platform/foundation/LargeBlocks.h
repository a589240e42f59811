#pragma once
// The C library's allocator raises the size from which it maps a block of its own after the
// first such block is freed, so that later blocks of a long value (a text read, converted and
// dropped) come from the heap, which keeps them once freed: the process grows with every long
// value it has handled. Called once at the start of a program, before anything is allocated in
// bulk, so that a large block is always mapped and given back when freed.
void giveLargeBlocksBackWhenFreed();

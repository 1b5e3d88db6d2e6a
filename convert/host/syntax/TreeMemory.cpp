// TreeMemory: tree-sitter's allocation functions while a scope is open.
// Small blocks are cut from large chunks one after the other; a freed block
// goes on the list of its size and is handed out again from there; the end
// of the outermost scope empties the lists and starts the chunks over. A
// block that the C library made (before the scope, or a large one) goes
// back to it.
#include "syntax/TreeMemory.h"

#include <tree_sitter/api.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace host {

namespace {

// A block's header holds its size, so that realloc knows what to copy.
// tree-sitter's structures need no more than the alignment of a pointer.
constexpr size_t kHeader = 8;
constexpr size_t kGrain = 8;
// Blocks up to this size come from the chunks; larger ones (the parser's
// stacks, a large file's arrays) are few, and the C library's.
constexpr size_t kSmallMost = 4096;
constexpr size_t kChunk = size_t(4) << 20;
// Chunks kept for the next scope; the others go back to the C library.
constexpr size_t kChunksKept = 4;
// Past this many chunks (4 GB) the small blocks are the C library's too.
constexpr size_t kChunksMost = 1024;

struct FreeBlock {
    FreeBlock* next;
};

// tree-sitter takes its allocation functions without a context, so what
// they hand out is the process's: one arena. It has no destructor, so that
// it stays whole until the process is gone.
struct Arena {
    char* chunks[kChunksMost] = {};
    size_t count = 0;
    size_t current = 0;  // the chunk blocks are cut from
    size_t used = 0;     // its bytes handed out
    FreeBlock* lists[kSmallMost / kGrain + 1] = {};
    int depth = 0;
    bool installed = false;
};

Arena arena;

size_t roundUp(size_t size) {
    return (size == 0 ? kGrain : size + kGrain - 1) / kGrain * kGrain;
}

size_t& sizeOf(void* block) {
    return *reinterpret_cast<size_t*>(static_cast<char*>(block) - kHeader);
}

bool inChunks(const void* block) {
    const char* at = static_cast<const char*>(block);
    for (size_t i = arena.count; i-- > 0;)
        if (at >= arena.chunks[i] && at < arena.chunks[i] + kChunk) return true;
    return false;
}

void* orAbort(void* block) {
    if (block == nullptr) abort();  // as tree-sitter's own functions do
    return block;
}

// A new block of size bytes (a multiple of kGrain) from the chunks.
void* cut(size_t size) {
    size_t need = size + kHeader;
    while (arena.current < arena.count && kChunk - arena.used < need) {
        ++arena.current;
        arena.used = 0;
    }
    if (arena.current == arena.count) {
        if (arena.count == kChunksMost) return orAbort(std::malloc(size));
        arena.chunks[arena.count++] = static_cast<char*>(orAbort(std::malloc(kChunk)));
        arena.used = 0;
    }
    char* block = arena.chunks[arena.current] + arena.used + kHeader;
    arena.used += need;
    sizeOf(block) = size;
    return block;
}

void* treeMalloc(size_t size) {
    if (arena.depth == 0) return orAbort(std::malloc(size));
    size = roundUp(size);
    if (size > kSmallMost) return orAbort(std::malloc(size));
    FreeBlock*& list = arena.lists[size / kGrain];
    if (list == nullptr) return cut(size);
    FreeBlock* block = list;
    list = block->next;
    return block;
}

void* treeCalloc(size_t count, size_t size) {
    if (arena.depth == 0) return orAbort(std::calloc(count, size));
    if (size != 0 && count > SIZE_MAX / size) abort();
    void* block = treeMalloc(count * size);
    std::memset(block, 0, count * size);
    return block;
}

void treeFree(void* block) {
    if (block == nullptr) return;
    if (!inChunks(block)) {
        std::free(block);
        return;
    }
    size_t size = sizeOf(block);
    FreeBlock* freed = static_cast<FreeBlock*>(block);
    freed->next = arena.lists[size / kGrain];
    arena.lists[size / kGrain] = freed;
}

// Whether block is the last one cut from the current chunk.
bool lastCut(void* block) {
    return static_cast<char*>(block) + sizeOf(block) == arena.chunks[arena.current] + arena.used;
}

void* treeRealloc(void* block, size_t size) {
    if (block == nullptr) return treeMalloc(size);
    if (!inChunks(block)) return orAbort(std::realloc(block, size));
    size_t have = sizeOf(block);
    size_t want = roundUp(size);
    if (want <= have) return block;
    // A growing array is often the last block cut: it grows in place.
    if (want <= kSmallMost && lastCut(block) && kChunk - arena.used >= want - have) {
        arena.used += want - have;
        sizeOf(block) = want;
        return block;
    }
    void* moved = treeMalloc(want);
    std::memcpy(moved, block, have);
    treeFree(block);
    return moved;
}

void startOver() {
    for (FreeBlock*& list : arena.lists) list = nullptr;
    while (arena.count > kChunksKept) std::free(arena.chunks[--arena.count]);
    arena.current = 0;
    arena.used = 0;
}

}  // namespace

TreeMemoryScope::TreeMemoryScope() {
    // Installed once, for good: outside a scope the functions are the C
    // library's, and they free what was made before.
    if (!arena.installed) {
        ts_set_allocator(treeMalloc, treeCalloc, treeRealloc, treeFree);
        arena.installed = true;
    }
    ++arena.depth;
}

TreeMemoryScope::~TreeMemoryScope() {
    if (--arena.depth == 0) startOver();
}

}  // namespace host

// TreeMemory: where tree-sitter's memory comes from while one file is
// converted. A file's parses (the source, the restored text, the files its
// lookups read) make and free hundreds of thousands of small blocks; inside
// a scope these come from chunks that the process keeps, kept on lists by
// size when freed, and all of it is taken back at once when the outermost
// scope ends, instead of going through the C library's heap one by one.
// Outside a scope tree-sitter uses the C library.
#pragma once

namespace host {

// Every tree-sitter object made inside the scope must be gone before it
// ends. Scopes nest; only the outermost one takes the memory back. One
// thread only: a process's parses all run on one thread (the threads of the
// byte pass never parse).
class TreeMemoryScope {
public:
    TreeMemoryScope();
    ~TreeMemoryScope();
    TreeMemoryScope(const TreeMemoryScope&) = delete;
    TreeMemoryScope& operator=(const TreeMemoryScope&) = delete;
};

}  // namespace host

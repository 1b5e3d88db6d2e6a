// floor: the parse-only floor that bench/run.sh measures nidus-convert
// against. On one thread, reads every .java file under a folder, parses it
// with the tree-sitter Java grammar and visits every node with a cursor.
#include <tree_sitter/api.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

extern "C" const TSLanguage* tree_sitter_java();

namespace fs = std::filesystem;

namespace {

// The .java files under root, sorted; folders named .git are skipped, as
// the host skips them, and links are not followed.
std::vector<fs::path> javaFiles(const fs::path& root, std::error_code& error) {
    std::vector<fs::path> files;
    fs::recursive_directory_iterator it(root, error), end;
    for (; !error && it != end; it.increment(error)) {
        if (it->is_directory() && it->path().filename() == ".git") it.disable_recursion_pending();
        if (it->is_regular_file() && !it->is_symlink() && it->path().extension() == ".java")
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The number of nodes in the tree, walked with the cursor alone.
size_t walk(TSTree* tree) {
    TSTreeCursor cursor = ts_tree_cursor_new(ts_tree_root_node(tree));
    size_t nodes = 1;
    for (;;) {
        if (ts_tree_cursor_goto_first_child(&cursor) || ts_tree_cursor_goto_next_sibling(&cursor)) {
            ++nodes;
            continue;
        }
        bool moved = false;
        while (!moved && ts_tree_cursor_goto_parent(&cursor))
            moved = ts_tree_cursor_goto_next_sibling(&cursor);
        if (!moved) break;
        ++nodes;
    }
    ts_tree_cursor_delete(&cursor);
    return nodes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: floor SOURCE_DIR\n");
        return 2;
    }
    std::error_code error;
    std::vector<fs::path> files = javaFiles(argv[1], error);
    if (error) {
        fprintf(stderr, "floor: %s: cannot list the folder: %s\n", argv[1], error.message().c_str());
        return 2;
    }
    TSParser* parser = ts_parser_new();
    ts_parser_set_language(parser, tree_sitter_java());
    size_t bytes = 0, nodes = 0, broken = 0;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in) {
            fprintf(stderr, "floor: %s: cannot be read\n", file.c_str());
            return 1;
        }
        std::string source = text.str();
        TSTree* tree = ts_parser_parse_string(parser, nullptr, source.data(),
                                              static_cast<uint32_t>(source.size()));
        bytes += source.size();
        nodes += walk(tree);
        broken += ts_node_has_error(ts_tree_root_node(tree)) ? 1 : 0;
        ts_tree_delete(tree);
    }
    ts_parser_delete(parser);
    printf("floor: %zu files, %zu bytes, %zu nodes, %zu with syntax errors\n", files.size(), bytes,
           nodes, broken);
    return 0;
}

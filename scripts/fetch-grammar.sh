#!/usr/bin/env bash
# Fetches the Java grammar for tree-sitter (npm package tree-sitter-java, pinned)
# into third_party/tree-sitter-java/, which git ignores. Quick when it is there.
set -euo pipefail
cd "$(dirname "$0")/.."

version=0.23.5
target=third_party/tree-sitter-java
stamp="$target/.version"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] && [ -f "$target/src/parser.c" ]; then
  exit 0
fi

echo "fetch-grammar: tree-sitter-java@$version"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "tree-sitter-java@$version" >/dev/null)
tar -xzf "$work/tree-sitter-java-$version.tgz" -C "$work"
rm -rf "$target"
mkdir -p "$target"
cp -r "$work/package/src" "$work/package/LICENSE" "$target/"
echo "$version" >"$stamp"

#!/usr/bin/env bash
# Fetches the Java grammar for tree-sitter (npm package tree-sitter-java, pinned)
# into third_party/tree-sitter-java/, which git ignores. Quick when it is there.
set -euo pipefail
cd "$(dirname "$0")/.."

version=0.23.5
# SHA-512 of the package's tarball, the registry's integrity value for
# this version (sha512-Yju7oQ0Xx7GcUT01mUglPP+bYfvq...) in hex.
checksum=623bbba10d17c7b19c513d359948253cff9b61fbea8cd086771aa28139dec3d9cb1a8208e363cd54fddb1eb61e331b3088244cd32b9b5a6379aa4fb3b20d3330
target=third_party/tree-sitter-java
stamp="$target/.version"

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$version" ] && [ -f "$target/src/parser.c" ]; then
  exit 0
fi

echo "fetch-grammar: tree-sitter-java@$version"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent "tree-sitter-java@$version" >/dev/null)
tarball="$work/tree-sitter-java-$version.tgz"
if [ "$(sha512sum "$tarball" | cut -d' ' -f1)" != "$checksum" ]; then
  echo "fetch-grammar: checksum mismatch for tree-sitter-java@$version" >&2
  exit 1
fi
tar -xzf "$tarball" -C "$work"
rm -rf "$target"
mkdir -p "$target"
cp -r "$work/package/src" "$work/package/LICENSE" "$target/"
echo "$version" >"$stamp"

#!/usr/bin/env bash
# bench/tomcat.sh: bench/run.sh on a real tree, Debian's tomcat9 source
# package, with a logging migration (bench/tomcat/config.xml: its own
# org.apache.juli.logging API to a made-up org.example.log) and the same
# renames for the peer (bench/tomcat/sgconfig.yml).
#
#   bash bench/tomcat.sh [run.sh options, e.g. --rounds 3 or --no-peer]
#
# The first run fetches the source with apt-get source (it needs a deb-src
# line for Debian's main and its index from apt-get update) into
# build-bench/tomcat9-src/ and keeps the extracted tree there; later runs
# use that tree. The tree is never part of the checkout.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
src=$root/build-bench/tomcat9-src

# The extracted tree: the one folder tomcat9-VERSION that holds a debian/.
find_tree() {
    tree=$(find "$src" -mindepth 1 -maxdepth 1 -type d -name 'tomcat9-*' \
        -exec test -d '{}/debian' ';' -print | sort | tail -n 1)
}

# Fetches and extracts the source in a folder of its own, moved into place
# only when whole, so that an interrupted fetch is fetched again.
fetch_tree() {
    if [[ -z $(apt-cache showsrc tomcat9 2>/dev/null) ]]; then
        echo "tomcat.sh: apt has no deb-src index for tomcat9 (a deb-src line for Debian's main and apt-get update give it)" >&2
        exit 2
    fi
    local partial=$src/fetch.partial
    rm -rf "$partial"
    mkdir -p "$partial"
    echo "fetching Debian's tomcat9 source into $src ..."
    (cd "$partial" && apt-get source tomcat9) >"$src/fetch.log" 2>&1 ||
        { cat "$src/fetch.log" >&2; echo "tomcat.sh: apt-get source tomcat9 failed" >&2; exit 2; }
    local extracted
    extracted=$(find "$partial" -mindepth 1 -maxdepth 1 -type d -name 'tomcat9-*' | head -n 1)
    [[ -n $extracted ]] || { echo "tomcat.sh: apt-get source left no tomcat9-* folder in $partial" >&2; exit 2; }
    # .pc/ holds the patch system's copies of the files as they were before
    # Debian's patches: they declare the same classes again, and the peer
    # skips the hidden folder, so both programs get the patched tree alone.
    rm -rf "$extracted/.pc"
    local item
    for item in "$partial"/*; do
        rm -rf "${src:?}/${item##*/}"
        mv "$item" "$src/"
    done
    rmdir "$partial"
}

mkdir -p "$src"
find_tree
if [[ -z $tree ]]; then
    fetch_tree
    find_tree
fi
exec bash "$root/bench/run.sh" --tree "$tree" --rules "$root/bench/tomcat/config.xml" \
    --peer "$root/bench/tomcat/sgconfig.yml" "$@"

#!/usr/bin/env bash
# bench/spring.sh: bench/run.sh on a large real tree, Debian's libspring-java
# source package, with a package move (--map javax.servlet=jakarta.servlet:
# the rules --init-rules gives) and the same move for the peer
# (bench/spring/sgconfig.yml). A tenth of its Java files use the moved
# package: the share of files parsed shows how the run follows the vendor
# code.
#
#   bash bench/spring.sh [run.sh options, e.g. --rounds 3 or --no-peer]
#
# The first run fetches the source into build-bench/libspring-java-src/
# (bench/debian-source.sh).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/debian-source.sh"
debian_tree libspring-java
exec bash "$root/bench/run.sh" --tree "$tree" --map javax.servlet=jakarta.servlet \
    --peer "$root/bench/spring/sgconfig.yml" "$@"

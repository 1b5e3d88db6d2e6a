#!/usr/bin/env bash
# bench/tomcat.sh: bench/run.sh on a real tree, Debian's tomcat9 source
# package, with a logging migration (bench/tomcat/config.xml: its own
# org.apache.juli.logging API to a made-up org.example.log) and the same
# renames for the peer (bench/tomcat/sgconfig.yml).
#
#   bash bench/tomcat.sh [run.sh options, e.g. --rounds 3 or --no-peer]
#
# The first run fetches the source into build-bench/tomcat9-src/
# (bench/debian-source.sh).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/bench/debian-source.sh"
debian_tree tomcat9
exec bash "$root/bench/run.sh" --tree "$tree" --rules "$root/bench/tomcat/config.xml" \
    --peer "$root/bench/tomcat/sgconfig.yml" "$@"

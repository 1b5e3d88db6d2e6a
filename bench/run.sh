#!/usr/bin/env bash
# bench/run.sh: times nidus-convert with -j 1 and -j 2 against the parse-only
# floor (bench/floor.cpp) and a syntax-only peer (ast-grep, with rules like the
# synthetic tree's renames: bench/peer/), on a synthetic tree (bench/gen.py)
# or a given one. Rounds run interleaved; prints the medians, their ratios
# and each program's peak RSS (the largest max-RSS of any of its processes).
set -euo pipefail

usage() {
    cat <<'EOF'
usage: bench/run.sh [options]
  --files N        synthetic tree: number of files (default 3000)
  --vendor PCT     synthetic tree: percent of files with vendor code (default 30)
  --kb K           synthetic tree: average file size in KB (default 8)
  --tree DIR       measure the tree DIR instead of a synthetic one
  --rules FILE     rule file (default tests/host/corpus/config.xml)
  --map OLD=NEW    rules of a package move instead: what nidus-convert --map
                   OLD=NEW --init-rules gives on the tree, made before the rounds
  --rounds R       interleaved rounds of floor, -j 1, -j 2 and the peer (default 5)
  --big            one large file instead: --files 1 --vendor 100 --kb 4000, no peer
  --peer CONFIG    the peer's sgconfig.yml (default bench/peer/sgconfig.yml with
                   the default rules; no peer with other --rules unless given)
  --no-peer        leave the peer out
  --no-prefilter   pass --no-prefilter to nidus-convert: every file converted in full
  --exact          also time exact mode: -j 2 with --classpath (for the synthetic
                   tree, the vendor's stubs of tests/host/stubs/olddb, compiled)
  --classpath CP   the classpath for --exact (implies it)
  --no-jobs        run nidus-convert without -j (also NIDUS_BENCH_NO_JOBS=1);
                   automatic when its --help lists no -j
EOF
}

root=$(cd "$(dirname "$0")/.." && pwd)
files=3000 vendor=30 kb=8 tree='' rules="$root/tests/host/corpus/config.xml" rounds=5 map=''
prefilter=() jobs=${NIDUS_BENCH_NO_JOBS:+no} peer='' peer_off='' exact='' classpath=''
peer_version=0.51.1
command_line=$0
(($#)) && command_line+=$(printf ' %q' "$@")
while (($#)); do
    case $1 in
        --files | --vendor | --kb | --tree | --rules | --rounds | --peer | --classpath | --map)
            (($# >= 2)) || { echo "run.sh: option $1 needs a value" >&2; exit 2; }
            declare "${1#--}=$2" # --files N sets files, and so on
            shift 2 ;;
        --no-prefilter) prefilter=(--no-prefilter); shift ;;
        --exact) exact=yes; shift ;;
        # The peer is left out: on one file with many fixes it takes minutes.
        --big) files=1 vendor=100 kb=4000 peer_off=yes; shift ;;
        --no-peer) peer_off=yes; shift ;;
        --no-jobs) jobs=no; shift ;;
        -h | --help) usage; exit 0 ;;
        *) echo "run.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
    esac
done

[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "run.sh: --rounds must be a number from 1 up" >&2; exit 2; }
[[ -z $peer && -z $map && $rules == "$root/tests/host/corpus/config.xml" ]] &&
    peer=$root/bench/peer/sgconfig.yml
[[ -n $peer_off ]] && peer=''
[[ -n $classpath ]] && exact=yes

build=$root/build-bench
convert=$build/convert/host/nidus-convert
floor=$build/floor
work=$(mktemp -d "${TMPDIR:-/tmp}/nidus-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Release build of the host and the plug-in; the floor links the same
# grammar library the host links. The setup installs what the build needs
# and fetches the grammar, so that a fresh clone benches too.
build_programs() {
    echo "building nidus-convert (Release) and the floor in $build ..."
    { bash "$root/scripts/setup.sh" &&
        cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release &&
        cmake --build "$build" -j2 --target nidus-convert nidus &&
        "${CXX:-c++}" -std=c++17 -O2 -Wall -Wextra -Werror "$root/bench/floor.cpp" \
            "$build/convert/host/libnidus_java_grammar.a" -ltree-sitter -o "$floor"
    } >"$work/build.log" 2>&1 || { cat "$work/build.log" >&2; echo "run.sh: the build failed" >&2; exit 2; }
}

# The peer, installed from npm into $build/peer (never into the checkout's
# sources) at a pinned version.
install_peer() {
    astgrep=$build/peer/node_modules/.bin/ast-grep
    [[ -x $astgrep && $("$astgrep" --version) == "ast-grep $peer_version" ]] && return
    echo "installing the peer (@ast-grep/cli@$peer_version) into $build/peer ..."
    npm install --prefix "$build/peer" "@ast-grep/cli@$peer_version" >"$work/peer.log" 2>&1 ||
        { cat "$work/peer.log" >&2; echo "run.sh: the peer did not install" >&2; exit 2; }
}

# run_peer THREADS: the peer's run as timed, a fresh copy of the tree (it
# rewrites files in place) and its scan with every fix applied.
run_peer() {
    rm -rf "$work/peer-tree"
    cp -r "$tree" "$work/peer-tree"
    "$astgrep" scan -U -j "$1" -c "$peer" "$work/peer-tree" >/dev/null
}

# The vendor's classes for exact mode on the synthetic tree: its stubs,
# compiled into $build once (again when a stub changes).
vendor_classes() {
    classpath=$build/olddb-classes
    local stubs=$root/tests/host/stubs/olddb
    [[ -d $classpath && -z $(find "$stubs" -newer "$classpath" -name '*.java') ]] && return
    command -v javac >/dev/null || { echo "run.sh: --exact needs javac (a JDK)" >&2; exit 2; }
    rm -rf "$classpath"
    javac -d "$classpath" $(find "$stubs" -name '*.java') >"$work/javac.log" 2>&1 ||
        { cat "$work/javac.log" >&2; echo "run.sh: the vendor's stubs did not compile" >&2; exit 2; }
}

# The synthetic tree, kept in $build per set of options until gen.py changes.
synthetic_tree() {
    tree=$build/tree-f$files-v$vendor-k$kb
    [[ -d $tree && $tree -nt $root/bench/gen.py ]] && return
    echo "generating $files files ($vendor% vendor, ~$kb KB each) in $tree ..."
    rm -rf "$tree.partial" "$tree"
    python3 "$root/bench/gen.py" "$tree.partial" --files "$files" --vendor "$vendor" --kb "$kb"
    mv "$tree.partial" "$tree"
}

# measure LABEL COMMAND...: runs the command (its output is the caller's)
# and appends "LABEL seconds max-rss-KB exit-code" to $work/results.
# RUSAGE_CHILDREN holds the largest max-RSS of the command and of every
# process it waited for.
measure() {
    python3 -I -S -c '
import os, resource, sys, time
start = time.monotonic()
_, status = os.waitpid(os.posix_spawnp(sys.argv[3], sys.argv[3:], os.environ), 0)
seconds = time.monotonic() - start
rss = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
with open(sys.argv[1], "a") as out:
    print(sys.argv[2], "%.3f" % seconds, rss, os.waitstatus_to_exitcode(status), file=out)
' "$work/results" "$@"
}

# run_timed LABEL MAX-EXIT COMMAND...: one timed run with its output in
# $work/LABEL.log and the output tree removed afterwards; an exit code above
# MAX-EXIT, or a signal, stops here.
run_timed() {
    local label=$1 max=$2 code
    shift 2
    measure "$label" "$@" >"$work/$label.log" 2>&1
    rm -rf "$work/out"
    code=$(awk -v l="$label" '$1 == l { c = $4 } END { print c }' "$work/results")
    if [[ -z $code || $code -gt $max || $code -lt 0 ]]; then
        echo "run.sh: $1 ($label) ended with exit code ${code:-unknown}:" >&2
        tail -n 20 "$work/$label.log" >&2
        exit 2
    fi
}

summary() {
    python3 - "$work/results" "$java_files" "$parsed_files" "$attributed_files" <<'EOF'
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    label, seconds, rss, code = line.split()
    runs.setdefault(label, []).append((float(seconds), int(rss), int(code)))
print("%-12s %9s %9s %9s %14s %6s" % ("", "median s", "min s", "max s", "peak RSS MiB", "exit"))
names = {"floor": "floor", "j1": "nidus -j 1", "j2": "nidus -j 2", "exact": "exact -j 2",
         "peer1": "peer -j 1", "peer2": "peer -j 2"}
for label in (l for l in names if l in runs):
    times = [t for t, _, _ in runs[label]]
    codes = sorted({c for _, _, c in runs[label]})
    name = names[label]
    print("%-12s %9.3f %9.3f %9.3f %14.1f %6s" % (name, statistics.median(times), min(times),
          max(times), max(r for _, r, _ in runs[label]) / 1024, ",".join(map(str, codes))))
median = {label: statistics.median(t for t, _, _ in runs[label]) for label in runs}
print("-j 1 / floor: %.2fx    speedup -j 1 / -j 2: %.2fx    (RSS of the measuring wrapper "
      "alone: %.1f MiB)" % (median["j1"] / median["floor"], median["j1"] / median["j2"],
                            runs["wrapper"][0][1] / 1024))
if "peer1" in median:
    print("-j 1 / peer -j 1: %.2fx    -j 2 / peer -j 2: %.2fx" % (median["j1"] / median["peer1"],
                                                              median["j2"] / median["peer2"]))
if "exact" in median:
    print("exact mode -j 2 / -j 2: %.2fx" % (median["exact"] / median["j2"]))
java, parsed = int(sys.argv[2]), sys.argv[3]
if parsed:
    print("Java files parsed: %s of %d (%.0f %%)" % (parsed, java, 100.0 * int(parsed) / max(java, 1)))
else:
    print("Java files parsed: all %d (every Java file is parsed for the tree's types)" % java)
if sys.argv[4]:
    print("Java files the compiler attributed in exact mode: %s of %d (%.0f %%)"
          % (sys.argv[4], java, 100.0 * int(sys.argv[4]) / max(java, 1)))
EOF
}

build_programs
if [[ -n $tree ]]; then
    [[ -d $tree ]] || { echo "run.sh: no such tree: $tree" >&2; exit 2; }
else
    synthetic_tree
    [[ -n $exact && -z $classpath ]] && vendor_classes
fi
[[ -n $exact && -z $classpath ]] && { echo "run.sh: --exact on a given tree needs --classpath" >&2; exit 2; }
if [[ -n $map ]]; then
    rules=$work/rules.xml
    "$convert" --map "$map" --dry-run --init-rules "$rules" "$tree" >"$work/init-rules.log" 2>&1 ||
        [[ -s $rules ]] ||
        { tail -n 20 "$work/init-rules.log" >&2; echo "run.sh: --init-rules gave no rules" >&2; exit 2; }
fi
[[ -f $rules ]] || { echo "run.sh: no such rule file: $rules" >&2; exit 2; }
if [[ -n $peer ]]; then
    [[ -f $peer ]] || { echo "run.sh: no such peer configuration: $peer" >&2; exit 2; }
    install_peer
fi
java_files=$(find "$tree" -type f -name '*.java' | wc -l)
export NIDUS_CONVERT_SCAN_STATS=1 # the scan says how many Java files it parsed
convert_args=("${prefilter[@]}" --rules "$rules" --answer yes -o "$work/out" "$tree")
j1=(-j 1) j2=(-j 2)
options=$("$convert" --help)
if [[ $jobs == no ]] || ! grep -Eq -- '(^|[[:space:],])-j([[:space:]]|$)' <<<"$options"; then
    echo "note: nidus-convert runs without -j: the rows -j 1 and -j 2 run the same command"
    j1=() j2=()
fi
"$floor" "$tree" >/dev/null # untimed: brings the tree into the page cache
measure wrapper true
for ((round = 1; round <= rounds; round++)); do
    echo "round $round of $rounds"
    run_timed floor 0 "$floor" "$tree"
    # nidus-convert's exit code 1 means some files failed: still a full run.
    run_timed j1 1 "$convert" "${j1[@]}" "${convert_args[@]}"
    run_timed j2 1 "$convert" "${j2[@]}" "${convert_args[@]}"
    [[ -n $exact ]] && run_timed exact 1 "$convert" "${j2[@]}" --classpath "$classpath" "${convert_args[@]}"
    if [[ -n $peer ]]; then
        run_timed peer1 0 bash -c "$(declare -f run_peer); $(declare -p astgrep tree work peer); run_peer 1"
        run_timed peer2 0 bash -c "$(declare -f run_peer); $(declare -p astgrep tree work peer); run_peer 2"
    fi
done
rm -rf "$work/peer-tree"
# The share of Java files parsed, as the scan says it.
parsed_files=$(sed -n 's/.* \([0-9][0-9]*\) Java files parsed.*/\1/p' "$work/j2.log" | head -n 1)
attributed_files=
[[ -n $exact ]] && attributed_files=$(sed -n 's/.* \([0-9][0-9]*\) Java files attributed.*/\1/p' "$work/exact.log" | head -n 1)

echo
echo "command: $command_line"
echo "tree:    $tree ($(cat "$work/floor.log"))"
echo "floor:   $floor $tree"
echo "-j 1:   " "$convert" "${j1[@]}" "${convert_args[@]}"
echo "-j 2:   " "$convert" "${j2[@]}" "${convert_args[@]}"
[[ -n $exact ]] && echo "exact:  " "$convert" "${j2[@]}" --classpath "$classpath" "${convert_args[@]}"
[[ -n $peer ]] && echo "peer:    $astgrep scan -U -j 1|2 -c $peer COPY-OF-TREE ($("$astgrep" --version))"
echo "host:    $(nproc) cores, commit $(git -C "$root" rev-parse --short HEAD)," \
    "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)"
echo "last -j 2 run: $(grep -m1 'files:' "$work/j2.log" || echo '(no summary line)')"
echo
summary

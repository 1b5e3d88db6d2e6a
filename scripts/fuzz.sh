#!/usr/bin/env bash
# Builds the two libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for SECONDS
# (default 60): fuzz_rules on rule files, fuzz_java on Java files. Seeds are
# made at run time from the example, the corpus cases and fuzz/seed-rules/;
# what the fuzzers add is kept in build-fuzz/corpus/ for the next run.
# Exits non-zero when a target finds a crash, leak, timeout, memory
# exhaustion or sanitizer report; its input is in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
case "$seconds" in
  '' | *[!0-9]*)
    echo "usage: scripts/fuzz.sh [SECONDS]" >&2
    exit 2
    ;;
esac

build=build-fuzz

# --- Setup -------------------------------------------------------------------

# clang and its fuzzer runtime besides what the tests need.
bash scripts/setup.sh clang libclang-rt-14-dev

# --- Build -------------------------------------------------------------------

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DNIDUS_FUZZ=ON -DNIDUS_TESTS=OFF >/dev/null
cmake --build "$build" --target fuzz_rules fuzz_java -j 2 >"$build/build.log" 2>&1 ||
  { tail -n 60 "$build/build.log" >&2; echo "fuzz: the build failed" >&2; exit 1; }

# --- Seeds -------------------------------------------------------------------

# The input of every corpus case (tests/host/corpus/*.txt): the lines
# between a case's header and its line of dashes, without the blank lines
# before the dashes; a case flagged :crlf has CR LF line ends.
corpus_inputs() {
  local into=$1 file stem
  for file in tests/host/corpus/*.txt; do
    stem=$(basename "$file" .txt)
    awk -v into="$into" -v stem="$stem" '
      function rule(line, c) { return length(line) >= 3 && line ~ ("^" c "+$") }
      function flush(   out, end, i) {
        out = sprintf("%s/%s-%02d.java", into, stem, ++count)
        end = n
        while (end > 0 && lines[end] == "") end--
        printf "" > out
        for (i = 1; i <= end; i++) printf "%s%s\n", lines[i], (crlf ? "\r" : "") > out
        close(out)
      }
      state == 1 && rule($0, "-") { flush(); state = 2; next }
      state == 1 { lines[++n] = $0; next }
      rule($0, "=") {
        getline header
        crlf = (" " header " ") ~ / :crlf /
        getline
        n = 0
        state = 1
      }
      END { if (state == 1) flush() }
    ' "$file"
  done
}

make_seeds() {
  local java=$build/seeds/java rules=$build/seeds/rules file
  rm -rf "$build/seeds"
  mkdir -p "$java" "$rules"
  corpus_inputs "$java"
  while IFS= read -r -d '' file; do
    cp "$file" "$java/example-$(basename "$file")"
  done < <(find examples/jdbc-migration/src -name '*.java' -print0)
  cp examples/jdbc-migration/config.xml "$rules/example.xml"
  cp tests/host/corpus/config.xml "$rules/corpus.xml"
  cp fuzz/seed-rules/*.xml "$rules/"
}

make_seeds
echo "fuzz: seeds: $(ls "$build/seeds/java" | wc -l) Java files, $(ls "$build/seeds/rules" | wc -l) rule files"

# --- Runs --------------------------------------------------------------------

# What libFuzzer or a sanitizer prints when it found something, and what
# FuzzSupport prints when a run broke its promise.
finding='ERROR: (libFuzzer|AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer)|runtime error:|^fuzz: |^==[0-9]+== ?ERROR'

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# run_target NAME SEEDS MAX_LEN: one target for $seconds; prints its
# closing line, returns non-zero when it found something.
run_target() {
  local name=$1 seeds=$2 max_len=$3
  local corpus=$build/corpus/$name artifacts=$build/artifacts/$name/ log=$build/logs/$name.log
  mkdir -p "$corpus" "$artifacts" "$build/logs"
  rm -f "$artifacts"crash-* "$artifacts"leak-* "$artifacts"timeout-* "$artifacts"oom-*
  local dict=fuzz/${name#fuzz_}.dict status=0
  "$build/fuzz/$name" "$corpus" "$seeds" -dict="$dict" -max_total_time="$seconds" \
    -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts" >"$log" 2>&1 || status=$?

  local found
  found=$(find "$artifacts" -maxdepth 1 -type f \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | head -n1)
  local runs cov peak
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  peak=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -n1)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' "$log" | tail -n1 || true)
  if [ "$status" -eq 0 ] && [ -z "$found" ] && ! grep -qE "$finding" "$log"; then
    echo "fuzz: $name: clean, ${runs:-?} runs in $seconds s, ${cov:-no coverage line}, peak RSS ${peak:-?} MB"
    return 0
  fi
  echo "----- $log (last lines) -----" >&2
  tail -n 80 "$log" >&2
  echo "fuzz: $name: FOUND a fault (exit status $status) after ${runs:-?} runs;" \
    "input: ${found:-see the log}; log: $log"
  return 1
}

result=0
run_target fuzz_rules "$build/seeds/rules" 4096 || result=1
run_target fuzz_java "$build/seeds/java" 16384 || result=1
exit $result

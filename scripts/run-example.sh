#!/usr/bin/env bash
# Sets up what is missing, builds nidus and nidus-convert, and converts the
# bundled example (examples/jdbc-migration) with its rules. Prints the run's
# summary and where the converted tree is.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

cmake -S . -B build-example -DCMAKE_BUILD_TYPE=Release -DNIDUS_TESTS=OFF >/dev/null
cmake --build build-example -j 2 --target nidus-convert >/dev/null

output=build-example/output
rm -rf "$output"
status=0
build-example/convert/host/nidus-convert --rules examples/jdbc-migration/config.xml -o "$output" \
  examples/jdbc-migration/src || status=$?
echo "compare with the expected tree: diff -r -x .nidus-convert examples/jdbc-migration/expected $output"
exit $status

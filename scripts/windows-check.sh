#!/usr/bin/env bash
# The Windows check: cross-builds the plug-in for 32-bit Windows with
# mingw-w64 (nidus.dll, statically linked, tinyxml2 compiled from Debian's
# source package), checks its export table, and runs the plug-in's tests
# under Wine. Installs what it needs on Debian 12; quick when everything is
# there already. The run is judged by GoogleTest's own summary line: a
# 32-bit program under a Wine without 32-bit support crashes and still
# exits 0.
set -euo pipefail
cd "$(dirname "$0")/.."

root=$PWD
build=$root/build-windows
toolchain=$root/cmake/mingw-w64-i686.cmake
third_party=$root/third_party
host=i686-w64-mingw32

apt_name=windows-check
apt_recommends=no
. "$root/scripts/apt.sh"
sudo_cmd=$apt_sudo

say() { echo "windows-check: $*"; }
fail() {
  echo "windows-check: FAILED: $*" >&2
  exit 1
}

# --- Setup -------------------------------------------------------------------

# The Debian mirror the machine already uses, for the deb-src entry.
debian_mirror() {
  local uri
  uri=$(grep -hs -E '^URIs:' /etc/apt/sources.list.d/*.sources |
    awk '{print $2}' | grep -E '/debian/?$' | head -n1 || true)
  [ -n "$uri" ] || uri=$(grep -hs -E '^deb[[:space:]]' /etc/apt/sources.list |
    awk '{print $2}' | grep -E '/debian/?$' | head -n1 || true)
  echo "${uri:-http://deb.debian.org/debian}"
}

debian_suite() {
  local codename=""
  [ -r /etc/os-release ] && codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  echo "${codename:-bookworm}"
}

has_deb_src() {
  grep -hs -E '^Types:.*deb-src' /etc/apt/sources.list.d/*.sources >/dev/null ||
    grep -hs -E '^deb-src[[:space:]]' /etc/apt/sources.list /etc/apt/sources.list.d/*.list >/dev/null
}

# What building and checking the DLL needs: without it the check fails.
build_packages=(cmake make file dpkg-dev g++-mingw-w64-i686-posix googletest)
# What running its tests needs: without it the check still builds and checks
# the DLL, and says that the tests were not run and why.
wine_packages=(wine wine32:i386)
# Why the tests cannot run here; empty while nothing says so.
wine_missing=""

setup() {
  local update=0

  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    say "adding the i386 architecture"
    $sudo_cmd dpkg --add-architecture i386
    update=1
  fi
  if ! has_deb_src; then
    say "adding a deb-src entry for $(debian_mirror)"
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$(debian_mirror)" "$(debian_suite)" |
      $sudo_cmd tee /etc/apt/sources.list.d/nidus-deb-src.sources >/dev/null
    update=1
  fi
  apt_find_missing "${build_packages[@]}" "${wine_packages[@]}"
  if [ ${#apt_missing[@]} -gt 0 ] || [ "$update" -eq 1 ]; then
    apt_update
  fi
  apt_find_missing "${build_packages[@]}"
  apt_install "${apt_missing[@]}" || fail "cannot install ${apt_failed[*]}"
  apt_find_missing "${wine_packages[@]}"
  if ! apt_install "${apt_missing[@]}"; then
    wine_missing="Wine could not be installed (${apt_failed_why[*]})"
  fi
}

# tinyxml2 comes from Debian's source package of the release in use, patches
# applied; the folder is git-ignored. Sets tinyxml2_source. -H: in a worktree
# third_party may be a link to the main checkout's folder.
find_tinyxml2() {
  tinyxml2_source=$(find -H "$third_party" -maxdepth 2 -name tinyxml2.cpp -printf '%h\n' 2>/dev/null |
    head -n1 || true)
}

fetch_tinyxml2() {
  find_tinyxml2
  if [ -z "$tinyxml2_source" ]; then
    say "fetching Debian's tinyxml2 source"
    mkdir -p "$third_party"
    (cd "$third_party" && apt-get source -qq tinyxml2 >"$third_party/apt-get-source.log" 2>&1) ||
      { cat "$third_party/apt-get-source.log" >&2; fail "apt-get source tinyxml2"; }
    find_tinyxml2
  fi
  [ -n "$tinyxml2_source" ] || fail "no tinyxml2 source in $third_party"
}

# --- Build -------------------------------------------------------------------

# Third-party code is built once per build folder, with its own flags (no
# -Werror), as static libraries installed into one prefix; the project's own
# build finds them there through the toolchain's search roots.
prefix=$build/prefix

cross_cmake() {
  local source=$1 binary=$2
  shift 2
  cmake -S "$source" -B "$binary" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release "$@" >"$binary.log" 2>&1 ||
    { cat "$binary.log" >&2; fail "configuring $source"; }
  cmake --build "$binary" -j 2 >>"$binary.log" 2>&1 ||
    { tail -n 60 "$binary.log" >&2; fail "building $source"; }
}

build_third_party() {
  local tinyxml2_source=$1
  mkdir -p "$build"
  if [ ! -f "$prefix/lib/libtinyxml2.a" ]; then
    say "building tinyxml2 from $(basename "$tinyxml2_source")"
    cross_cmake "$tinyxml2_source" "$build/tinyxml2" -DBUILD_SHARED_LIBS=OFF \
      -Dtinyxml2_BUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX="$prefix"
    cmake --install "$build/tinyxml2" >/dev/null
  fi
  if [ ! -f "$prefix/lib/libgtest.a" ]; then
    say "building GoogleTest from /usr/src/googletest"
    cross_cmake /usr/src/googletest "$build/googletest" -DBUILD_SHARED_LIBS=OFF \
      -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -DCMAKE_INSTALL_PREFIX="$prefix"
    cmake --install "$build/googletest" >/dev/null
  fi
}

# Wine runs the test program (and, while building, GoogleTest's listing of
# its tests) in a prefix kept in the build folder: made once, then reused.
export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
# No prompts for the .NET and HTML engines a new prefix would offer.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32

setup
fetch_tinyxml2
build_third_party "$tinyxml2_source"

say "building nidus.dll and the tests"
cross_cmake "$root" "$build/nidus" -DCMAKE_FIND_ROOT_PATH="$prefix"

dll=$build/nidus/convert/nidus/nidus.dll
tests_exe=$build/nidus/tests/nidus_tests.exe

# --- The library --------------------------------------------------------------

kind=$(file -b "$dll")
say "nidus.dll: $kind"
case "$kind" in
  "PE32 executable (DLL)"*"Intel 80386"*) ;;
  *) fail "nidus.dll is not a 32-bit i386 DLL" ;;
esac

# The export table: registConvert, undecorated, and nothing else of ours.
exports=$("$host-objdump" -p "$dll" |
  sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/^\t\[/ {print $NF}')
say "exports: $(echo $exports)"
[ "$exports" = "registConvert" ] || fail "the export table should hold registConvert alone"

# Static linking: only system DLLs are imported, no MinGW runtime.
imports=$("$host-objdump" -p "$dll" | awk '/DLL Name:/ {print $NF}' | sort -u)
say "imports: $(echo $imports)"
for name in $imports; do
  case "${name,,}" in
    kernel32.dll | user32.dll | msvcrt.dll) ;;
    *) fail "nidus.dll needs $name" ;;
  esac
done

# --- The tests under Wine -----------------------------------------------------

# Wine's loader is a 32-bit program: a kernel built without 32-bit support
# cannot start it ("Exec format error"). The DLL and its tests are built and
# checked above; running them needs another machine, and the check says so.
if [ -z "$wine_missing" ] && ! wine --version >/dev/null 2>&1; then
  wine_missing="this machine cannot start Wine's 32-bit loader ($(wine --version 2>&1 | tail -n1 || true))"
fi
if [ -n "$wine_missing" ]; then
  say "the tests were NOT run: $wine_missing"
  echo "windows-check: nidus.dll and nidus_tests.exe built, exports and imports checked; tests not run on this machine"
  exit 0
fi

say "running the tests under $(wine --version)"
# The runner's output goes through Wine's text-mode stdout: lines end in
# CR LF, and message texts hold GBK bytes. It runs from inside the build
# tree, so that the current drive is Wine's Z: (the Linux root) and the
# plug-in's build path compiled into the tests, a Linux path, names the
# built nidus.dll.
output=$build/tests.log
set +e
(cd "$build/nidus/tests" && wine "$tests_exe" --gtest_color=no) 2>&1 | tr -d '\r' >"$output"
status=${PIPESTATUS[0]}
set -e
wineserver -k 2>/dev/null || true

summary() { grep -a -E "^\[  $1 *\] [0-9]+ tests?" "$output" | tail -n1 || true; }
number() { grep -oE '[0-9]+' <<<"$1" | head -n1; }

passed=$(summary PASSED)
failed=$(summary FAILED)
skipped=$(summary SKIPPED)
# The summary decides; the exit status must agree with it, so that a crash
# after the last test (while the process ends) fails the check too.
if [ -z "$passed" ] || [ -n "$failed" ] || [ "$(number "$passed")" -eq 0 ] || [ "$status" -ne 0 ]; then
  cat "$output" >&2
  [ -z "$failed" ] || grep -a -E '^\[  FAILED  \] [A-Za-z_][^ ]*$' "$output" | sort -u >&2 || true
  fail "the tests did not pass under Wine (${passed:-no summary line}, ${failed:-no failures listed}, exit status $status)"
fi
say "$(grep -a -E '^\[==========\] [0-9]+ tests? from' "$output" | tail -n1)"
say "$passed"
# The names of skipped tests, from the list after the summary.
grep -a -E '^\[  SKIPPED \] [A-Za-z_][^ ]*$' "$output" | sort -u | sed 's/^/windows-check: /' || true
line="windows-check: $(number "$passed") passed, 0 failed"
[ -z "$skipped" ] || line+=", $(number "$skipped") skipped"
echo "$line"

#!/usr/bin/env bash
# Checks nidus-convert as a user gets it, from outside the build tree:
#   install-check.sh tree|package|manual|completion BUILD_DIR SOURCE_DIR PROGRAM
# tree: `cmake --install` into a prefix, moved elsewhere, converts the
# example; package: the Debian package's fields and files, unpacked with
# dpkg-deb -x, converts the example; manual: the page renders without
# warnings and names every option of --help; completion: the bash
# completion offers the options, the fixed words and folders or files.
set -euo pipefail

mode=$1
build=$(cd "$2" && pwd)
source=$(cd "$3" && pwd)
program=$(cd "$(dirname "$4")" && pwd)/$(basename "$4")
example=$source/examples/jdbc-migration

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Nothing below runs from inside the build or the source tree.
cd "$scratch"

fail() {
  echo "install-check $mode: $*" >&2
  exit 1
}

# The options that --help lists.
mapfile -t help_options < <("$program" --help | grep -E '^  -' | grep -oE '(^|[ ,])-[-a-z]+' | tr -d ' ,')
[ "${#help_options[@]}" -ge 15 ] || fail "read only ${#help_options[@]} options from --help"

# The files a user needs, under the installed tree ROOT (a prefix).
check_files() {
  local root=$1
  local file
  for file in bin/nidus-convert lib/nidus/libnidus.so share/man/man1/nidus-convert.1.gz \
      share/bash-completion/completions/nidus-convert \
      share/nidus/examples/jdbc-migration/config.xml; do
    [ -f "$root/$file" ] || fail "$root/$file is not installed"
  done
}

# The installed program converts the example into the expected tree, with
# PATH and the working folder outside the build; without --rules it looks
# beside its installed plug-in, which names the plug-in it found.
convert_example() {
  local root=$1
  local output=$scratch/output-$2
  env PATH=/usr/bin:/bin "$root/bin/nidus-convert" --answer no -j 2 \
    --rules "$root/share/nidus/examples/jdbc-migration/config.xml" \
    -o "$output" "$example/src" >"$scratch/log" 2>&1 || fail "conversion failed: $(cat "$scratch/log")"
  diff -r -x .nidus-convert "$example/expected" "$output" >&2 || fail "$output differs from the expected tree"

  local status=0
  env PATH=/usr/bin:/bin "$root/bin/nidus-convert" -o "$scratch/unused" "$example/src" \
    >"$scratch/log" 2>&1 || status=$?
  local expected="nidus-convert: no config.xml beside the plug-in ($root/lib/nidus/config.xml); give one with --rules"
  [ "$status" = 2 ] && [ "$(cat "$scratch/log")" = "$expected" ] ||
    fail "without --rules: exit $status, $(cat "$scratch/log")"

  # Exact mode's helper comes with the program when the build had a JDK.
  if [ -f "$root/lib/nidus/nidus-names.jar" ]; then
    env PATH=/usr/bin:/bin "$root/bin/nidus-convert" --answer no -j 2 \
      --classpath "$source/tests/host/stubs/olddb" \
      --rules "$root/share/nidus/examples/jdbc-migration/config.xml" \
      -o "$output-exact" "$example/src" >"$scratch/log" 2>&1 ||
      fail "exact mode failed: $(cat "$scratch/log")"
    diff -r -x .nidus-convert "$example/expected" "$output-exact" >&2 ||
      fail "exact mode's output differs from the expected tree"
  elif [ -f "$build/convert/host/nidus-names.jar" ]; then
    fail "nidus-names.jar was built but is not installed"
  fi
}

check_tree() {
  cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
  # Moved: the tree works wherever it is put, and its prefix is gone.
  mv "$scratch/prefix" "$scratch/moved"
  check_files "$scratch/moved"
  convert_example "$scratch/moved" tree
}

check_package() {
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log" 2>&1 ||
    fail "cpack failed: $(cat "$scratch/cpack.log")"
  local deb
  deb=$(ls "$scratch"/package/nidus_*_"$(dpkg --print-architecture)".deb) || fail "no package made"
  local info
  info=$(dpkg-deb --info "$deb")
  local field
  for field in '^ Package: nidus$' '^ Maintainer: .+@' '^ Depends: .*libc6' '^ Depends: .*libtinyxml2' \
      '^ Depends: .*libtree-sitter' '^ Recommends: .*jdk' '^ Description: .+' '^  .+'; do
    grep -qE "$field" <<<"$info" || fail "dpkg-deb --info shows no line like '$field': $info"
  done
  local contents
  contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
  for field in ./usr/bin/nidus-convert ./usr/lib/nidus/libnidus.so \
      ./usr/share/man/man1/nidus-convert.1.gz ./usr/share/bash-completion/completions/nidus-convert \
      ./usr/share/nidus/examples/jdbc-migration/config.xml; do
    grep -qxF "$field" <<<"$contents" || fail "the package holds no $field: $contents"
  done
  dpkg-deb -x "$deb" "$scratch/root"
  check_files "$scratch/root/usr"
  convert_example "$scratch/root/usr" package
}

check_manual() {
  local page=$build/manual/nidus-convert.1.gz
  [ -f "$page" ] || page=$source/convert/host/cli/nidus-convert.1
  LC_ALL=C MANWIDTH=80 man --warnings -l "$page" >"$scratch/page" 2>"$scratch/warnings" ||
    fail "man -l $page failed: $(cat "$scratch/warnings")"
  [ ! -s "$scratch/warnings" ] || fail "man reports: $(cat "$scratch/warnings")"
  zcat -f "$page" | groff -ww -man -z 2>"$scratch/warnings"
  [ ! -s "$scratch/warnings" ] || fail "groff reports: $(cat "$scratch/warnings")"
  local section
  for section in NAME SYNOPSIS OPTIONS "EXIT STATUS" EXAMPLES; do
    grep -qx "$section" "$scratch/page" || fail "the page has no $section section"
  done
  # The OPTIONS section, up to the next section.
  sed -n '/^OPTIONS$/,/^[A-Z]/p' "$scratch/page" >"$scratch/options"
  local option
  for option in "${help_options[@]}"; do
    grep -qE -- "(^|[ ,])$option([ ,]|$)" "$scratch/options" || fail "--help lists $option, the page does not"
  done
}

# COMPREPLY for the words given, the last one being completed.
complete_words() {
  COMP_WORDS=(nidus-convert "$@")
  COMP_CWORD=$#
  COMPREPLY=()
  _nidus_convert
}

check_completion() {
  # shellcheck source=/dev/null
  source "$source/convert/host/cli/nidus-convert.bash-completion"
  complete_words -
  # Not through a pipe: with pipefail, grep -q leaving early can fail the
  # printf that writes to it.
  local offered option
  offered=$(printf '%s\n' "${COMPREPLY[@]}")
  for option in "${help_options[@]}"; do
    grep -qxF -- "$option" <<<"$offered" || fail "'-' does not complete $option"
  done
  complete_words --lay
  [ "${COMPREPLY[*]}" = "--layout" ] || fail "'--lay' completes to ${COMPREPLY[*]}"
  complete_words --layout ""
  [ "${COMPREPLY[*]}" = "source plugin" ] || fail "--layout completes to ${COMPREPLY[*]}"
  complete_words --answer y
  [ "${COMPREPLY[*]}" = "yes" ] || fail "--answer y completes to ${COMPREPLY[*]}"
  mkdir -p "$scratch/tree/srcdir"
  touch "$scratch/tree/srcfile"
  complete_words -o "$scratch/tree/src"
  [ "${COMPREPLY[*]}" = "$scratch/tree/srcdir" ] || fail "-o completes to ${COMPREPLY[*]}"
  complete_words --rules "$scratch/tree/srcf"
  [ "${COMPREPLY[*]}" = "$scratch/tree/srcfile" ] || fail "--rules completes to ${COMPREPLY[*]}"
  complete_words --verbose "$scratch/tree/src"
  [ "${COMPREPLY[*]}" = "$scratch/tree/srcdir" ] || fail "the source completes to ${COMPREPLY[*]}"
}

case $mode in
  tree) check_tree ;;
  package) check_package ;;
  manual) check_manual ;;
  completion) check_completion ;;
  *) fail "unknown check" ;;
esac

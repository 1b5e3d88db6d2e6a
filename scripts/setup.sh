#!/usr/bin/env bash
# Installs what building and testing nidus needs on Debian 12, and the
# Debian packages named as arguments; quick when everything is there already.
# Needs no foreign architecture: the Windows check adds i386 for itself.
set -euo pipefail

apt_name=setup
. "$(dirname "$0")/apt.sh"

packages=(cmake make g++ pkg-config libtinyxml2-dev libgtest-dev libtree-sitter-dev dpkg-dev file man-db "$@")
# The conversion host's Java checks need a JDK, its grammar fetch needs npm;
# a machine that already has them (from any source) keeps its own.
command -v javac >/dev/null 2>&1 || packages+=(default-jdk-headless)
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

apt_find_missing "${packages[@]}"
if [ ${#apt_missing[@]} -gt 0 ]; then
  apt_update
  apt_install "${apt_missing[@]}" || {
    echo "setup: FAILED: cannot install ${apt_failed[*]}" >&2
    exit 1
  }
fi

bash "$(dirname "$0")/fetch-grammar.sh"

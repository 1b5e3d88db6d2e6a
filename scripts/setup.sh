#!/usr/bin/env bash
# Installs what building and testing nidus needs on Debian 12, and the
# Debian packages named as arguments; quick when everything is there already.
set -euo pipefail

packages=(cmake make g++ pkg-config libtinyxml2-dev libgtest-dev libtree-sitter-dev dpkg-dev file man-db "$@")
# The conversion host's Java checks need a JDK, its grammar fetch needs npm;
# a machine that already has them (from any source) keeps its own.
command -v javac >/dev/null 2>&1 || packages+=(default-jdk-headless)
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

bash "$(dirname "$0")/fetch-grammar.sh"

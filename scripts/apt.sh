# Package installation that survives an archive out of step: sourced by the
# setup scripts. An index that fails to download (a mirror in the middle of
# a sync, a source that cannot be reached) is retried a few times and then
# left as it is; what decides is whether the packages themselves install.
#
# The caller sets apt_name (the prefix of its messages) before sourcing, and
# may set apt_recommends=no to leave recommended packages out.

apt_sudo=""
[ "$(id -u)" -eq 0 ] || apt_sudo="sudo"

# Tries given to 'apt-get update', and the pause between them.
apt_update_tries=${NIDUS_APT_UPDATE_TRIES:-3}
apt_update_pause=${NIDUS_APT_UPDATE_PAUSE:-5}
apt_recommends=${apt_recommends:-yes}

apt_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Fills apt_missing with the named packages that are not installed.
apt_find_missing() {
  apt_missing=()
  local package
  for package in "$@"; do
    apt_installed "$package" || apt_missing+=("$package")
  done
}

# Updates the package lists. An index that still fails after the last try
# is reported in one line and left out: the install that follows uses what
# apt has.
apt_update() {
  local try log
  log=$(mktemp)
  for ((try = 1; try <= apt_update_tries; try++)); do
    if $apt_sudo apt-get update -qq >"$log" 2>&1; then
      rm -f "$log"
      return 0
    fi
    [ "$try" -lt "$apt_update_tries" ] && sleep "$apt_update_pause"
  done
  echo "$apt_name: apt-get update failed $apt_update_tries times, going on with the package lists apt has:" \
    "$(apt_first_error "$log")" >&2
  rm -f "$log"
  return 0
}

# The first line of apt's output that says what went wrong, folded to one line.
apt_first_error() {
  local line
  line=$(grep -E '^(E|W|Err):' "$1" | head -n1)
  [ -n "$line" ] || line=$(tail -n1 "$1")
  tr -s '[:space:]' ' ' <<<"$line" | sed 's/ $//'
}

# Why apt cannot install one package, in one line: the unmet dependencies
# it names, else its error lines.
apt_reason() {
  local log reason
  log=$(mktemp)
  $apt_sudo apt-get install -s -y "${apt_flags[@]}" "$1" >"$log" 2>&1 || true
  reason=$(grep -E ' : (Depends|PreDepends|Breaks|Conflicts):|^ +(Depends|PreDepends|Breaks|Conflicts):' "$log" |
    head -n3 | apt_one_line)
  [ -n "$reason" ] || reason=$(grep -E '^E:' "$log" | head -n2 | apt_one_line)
  [ -n "$reason" ] || reason="apt-get gave no reason"
  rm -f "$log"
  echo "$reason"
}

# Installs the named packages. Returns 0 when all of them are installed;
# otherwise installs those that can be, prints one line per package that
# cannot be installed (its name and apt's reason) and fills apt_failed with
# the names and apt_failed_why with "NAME: REASON" for each.
apt_install() {
  apt_failed=()
  apt_failed_why=()
  [ $# -gt 0 ] || return 0
  apt_flags=()
  [ "$apt_recommends" = yes ] || apt_flags=(--no-install-recommends)
  echo "$apt_name: installing $*"
  if DEBIAN_FRONTEND=noninteractive $apt_sudo apt-get install -y -qq "${apt_flags[@]}" \
    "$@" >/dev/null 2>&1; then
    return 0
  fi
  # One package that cannot be installed keeps apt from installing any:
  # find it, and install the others.
  local package installable=()
  for package in "$@"; do
    if $apt_sudo apt-get install -s -y "${apt_flags[@]}" "$package" >/dev/null 2>&1; then
      installable+=("$package")
    else
      apt_refused "$package"
    fi
  done
  if [ ${#installable[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $apt_sudo apt-get install -y -qq "${apt_flags[@]}" \
      "${installable[@]}" >/dev/null 2>&1 || true
  fi
  for package in "${installable[@]}"; do
    apt_installed "$package" || apt_refused "$package"
  done
  [ ${#apt_failed[@]} -eq 0 ]
}

# Lines read on standard input, as one line: "first; second".
apt_one_line() {
  sed 's/^[[:space:]]*//; s/[[:space:]][[:space:]]*/ /g' | paste -sd ';' | sed 's/;/; /g'
}

apt_refused() {
  local why
  why="$1: $(apt_reason "$1")"
  apt_failed+=("$1")
  apt_failed_why+=("$why")
  echo "$apt_name: cannot install $why" >&2
}

# bench/debian-source.sh: sourced by the real-tree benches. debian_tree
# PACKAGE sets tree to the extracted source of Debian's source package
# PACKAGE in build-bench/PACKAGE-src/, fetched with apt-get source on the
# first run (it needs a deb-src line for Debian's main and its index from
# apt-get update) and kept there for later runs. The tree is never part
# of the checkout.

# The extracted tree: the one folder PACKAGE-VERSION that holds a debian/.
find_debian_tree() {
    tree=$(find "$1" -mindepth 1 -maxdepth 1 -type d -name "$2-*" \
        -exec test -d '{}/debian' ';' -print | sort | tail -n 1)
}

# Fetches and extracts the source in a folder of its own, moved into place
# only when whole, so that an interrupted fetch is fetched again.
fetch_debian_tree() {
    local src=$1 package=$2
    if [[ -z $(apt-cache showsrc "$package" 2>/dev/null) ]]; then
        echo "bench: apt has no deb-src index for $package (a deb-src line for Debian's main and apt-get update give it)" >&2
        exit 2
    fi
    local partial=$src/fetch.partial
    rm -rf "$partial"
    mkdir -p "$partial"
    echo "fetching Debian's $package source into $src ..."
    (cd "$partial" && apt-get source "$package") >"$src/fetch.log" 2>&1 ||
        { cat "$src/fetch.log" >&2; echo "bench: apt-get source $package failed" >&2; exit 2; }
    local extracted
    extracted=$(find "$partial" -mindepth 1 -maxdepth 1 -type d -name "$package-*" | head -n 1)
    [[ -n $extracted ]] || { echo "bench: apt-get source left no $package-* folder in $partial" >&2; exit 2; }
    # .pc/ holds the patch system's copies of the files as they were before
    # Debian's patches: they declare the same classes again, and the peer
    # skips the hidden folder, so both programs get the patched tree alone.
    rm -rf "$extracted/.pc"
    local item
    for item in "$partial"/*; do
        rm -rf "${src:?}/${item##*/}"
        mv "$item" "$src/"
    done
    rmdir "$partial"
}

debian_tree() {
    local package=$1
    local src=$root/build-bench/$package-src
    mkdir -p "$src"
    find_debian_tree "$src" "$package"
    if [[ -z $tree ]]; then
        fetch_debian_tree "$src" "$package"
        find_debian_tree "$src" "$package"
    fi
}

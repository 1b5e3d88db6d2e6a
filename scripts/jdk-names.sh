#!/usr/bin/env bash
# Prints the kPackages table of convert/host/names/JdkNames.cpp from the installed
# JDK's module image: for each package the table lists, the simple names of
# its top-level classes. Paste the output over the table's entries.
#   scripts/jdk-names.sh > /tmp/table.txt
set -euo pipefail
cd "$(dirname "$0")/.."

javac_path=$(readlink -f "$(command -v javac)")
java_home=$(dirname "$(dirname "$javac_path")")
packages=$(grep -o '{"java[a-z.]*"' convert/host/names/JdkNames.cpp | tr -d '{"')

jimage list "$java_home/lib/modules" |
  awk '/\.class$/ && !/\$/ && !/module-info/ {
         path = $1; sub(/\.class$/, "", path)
         n = split(path, part, "/")
         pkg = part[1]; for (i = 2; i < n; ++i) pkg = pkg "." part[i]
         print pkg, part[n]
       }' |
  sort -u |
  awk -v wanted="$packages" '
    BEGIN { n = split(wanted, list, /[ \n]+/); for (i = 1; i <= n; ++i) keep[list[i]] = i }
    function flush() {
      if (current == "") return
      printf "    {\"%s\",\n", current
      line = ""; out = ""
      for (i = 1; i <= count; ++i) {
        word = names[i] (i < count ? " " : "")
        if (length(line) + length(word) > 88) { out = out "     \"" line "\"\n"; line = "" }
        line = line word
      }
      out = out "     \"" line "\"},"
      print out
    }
    ($1 in keep) {
      if ($1 != current) { flush(); current = $1; count = 0 }
      names[++count] = $2
    }
    END { flush() }'

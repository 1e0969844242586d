#!/bin/bash
# Prints the lines of code and of tests per folder (C and C++ sources and headers).
# Tests are the files under tests/ or fuzz/ and any *_test.* file.
cd "$(dirname "$0")/.." || exit 1
git ls-files '*.cpp' '*.h' '*.c' | while read -r file; do
  folder=${file%%/*}
  [[ $file == */* ]] || folder=.
  kind=code
  [[ $file == tests/* || $file == fuzz/* || $file == *_test.* ]] && kind=tests
  echo "$folder $kind $(wc -l < "$file")"
done | awk '
  { count[$1 " " $2] += $3; seen[$1] = 1 }
  END {
    printf "%-12s %7s %7s\n", "folder", "code", "tests"
    for (f in seen) printf "%-12s %7d %7d\n", f, count[f " code"], count[f " tests"] | "sort"
    close("sort")
    for (f in seen) { code += count[f " code"]; tests += count[f " tests"] }
    printf "%-12s %7d %7d\n", "total", code, tests
  }'

#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang's libFuzzer (ASan and UBSan) into build/fuzz and runs
# each for the given seconds (default 10), starting from its seed corpus fuzz/corpus/NAME/. New
# inputs are kept in build/fuzz/corpus/NAME/, a failing input in build/fuzz/findings/, each
# target's output in build/fuzz/logs/. Ends with "N passed, M failed", one count per target.
#   scripts/fuzz.sh [SECONDS]
#   scripts/fuzz.sh --available    exit status 0 when clang's libFuzzer is installed
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="$root/build/fuzz"

# True when clang++ links a libFuzzer program (Debian: clang and libclang-rt-14-dev).
available() {
  command -v clang++ >/dev/null || return 1
  local probe status
  probe=$(mktemp -d)
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' >"$probe/probe.cpp"
  clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1
  status=$?
  rm -rf "$probe"
  return $status
}

if [ "${1:-}" = "--available" ]; then
  available
  exit
fi
seconds="${1:-10}"
if ! available; then
  echo "clang with libFuzzer is not installed (Debian: clang, libclang-rt-14-dev): no fuzz target was run" >&2
  exit 1
fi

mkdir -p "$build/logs" "$build/findings"
if ! { cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ >"$build/logs/build.log" 2>&1 &&
       cmake --build "$build" -j2 >>"$build/logs/build.log" 2>&1; }; then
  tail -30 "$build/logs/build.log"
  echo "FAILED: building the fuzz targets; see $build/logs/build.log"
  echo "0 passed, 1 failed"
  exit 1
fi

passed=0
failed=0
for source in fuzz/*_fuzz.cpp; do
  target=$(basename "$source" .cpp)
  name=${target%_fuzz}
  log="$build/logs/$name.log"
  mkdir -p "$build/corpus/$name"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$build/findings/$name-")
  [ -f "fuzz/$name.dict" ] && options+=(-dict="fuzz/$name.dict")
  # New inputs go to the first corpus folder; the checked-in seeds are only read.
  timeout $((seconds + 300)) "$build/$target" "${options[@]}" "$build/corpus/$name" "fuzz/corpus/$name" >"$log" 2>&1
  status=$?
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
    echo "ok: $name: $(grep -oE 'Done [0-9]+ runs in [0-9]+ second' "$log" | tail -1 | sed 's/Done //; s/ second/ s/')"
  else
    failed=$((failed + 1))
    echo "FAILED: $name (exit status $status); see $log"
    grep -E 'Property violated|^SUMMARY|ERROR: libFuzzer|Test unit written to|uncaught exception' "$log" | head -5 |
      sed 's/^/    /'
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

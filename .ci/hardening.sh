#!/usr/bin/env bash
# Hardening checks, run by CI after the normal and sanitizer suites:
#   1. each libFuzzer target over its seed corpus for a bounded number of runs;
#   2. valgrind on a whole interactive game, on the analyser and on self-play
#      games: nothing may be definitely or indirectly lost, and no memory
#      error may show;
#   3. a short soak: several self-play games in one process on a small pool,
#      failing on nodes that do not return to the pool or memory that grows;
#   4. a smoke match of the arena bot (Release build) against the seeded
#      random mover: ten games at 10 ms a move, at least nine to be won.
# Self-contained: it configures and builds what it needs (build/fuzz and
# build/hardening) and installs a missing tool with apt-get. About two
# minutes on two idle cores, at most about five when they are busy: each
# fuzz target stops after FUZZ_SECONDS (fuzz_bot after FUZZ_SECONDS_BOT)
# whatever its run count. Knobs (environment): FUZZ_SECONDS (default 25),
# FUZZ_SECONDS_BOT (default 20), FUZZ_RUNS_ANALYZE, FUZZ_RUNS_BOT,
# FUZZ_RUNS_DIALOGUE, FUZZ_RUNS_GAME, FUZZ_RUNS_NETWORK, SOAK_GAMES and SOAK_POOL.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v ninja >/dev/null 2>&1 || missing+=(ninja-build)
command -v clang++ >/dev/null 2>&1 || missing+=(clang)
command -v valgrind >/dev/null 2>&1 || missing+=(valgrind)
dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || missing+=(libclang-rt-14-dev)
if [ "${#missing[@]}" -gt 0 ]; then
  echo "hardening: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q "${missing[@]}"
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/uttt-hardening.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

echo "== hardening: builds =="
cmake --preset fuzz >/dev/null
cmake --build build/fuzz
cmake -S . -B build/hardening -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS=-g \
  -DUTTT_TESTS=OFF -DUTTT_WERROR=ON >/dev/null
cmake --build build/hardening --target uttt uttt_soak uttt_bot uttt_match uttt_random_bot
UTTT=$ROOT/build/hardening/bin/uttt

echo "== hardening: fuzzing =="
# New inputs go to a scratch corpus; the seeds in fuzz/corpus stay as they are.
# A crash leaves its input in build/fuzz/artifacts/ for replay and for the corpus.
mkdir -p build/fuzz/artifacts
fuzz_target() {
  local name=$1 runs=$2 maxlen=$3 seconds=${4:-${FUZZ_SECONDS:-25}}
  mkdir -p "$WORK/corpus-$name"
  local log="$WORK/fuzz-$name.log"
  if ! "build/fuzz/bin/fuzz_$name" -runs="$runs" -max_total_time="$seconds" \
      -max_len="$maxlen" -timeout=30 -print_final_stats=1 \
      -artifact_prefix="$ROOT/build/fuzz/artifacts/$name-" \
      "$WORK/corpus-$name" "fuzz/corpus/$name" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "hardening: fuzz_$name FAILED (input saved under build/fuzz/artifacts/)"
    return 1
  fi
  echo "fuzz_$name: $(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}') runs," \
       "$(grep -m1 'stat::average_exec_per_sec' "$log" | awk '{print $2}') per second, no finding"
}
fuzz_target analyze "${FUZZ_RUNS_ANALYZE:-100000}" 4096
fuzz_target bot "${FUZZ_RUNS_BOT:-3000}" 4096 "${FUZZ_SECONDS_BOT:-20}"
fuzz_target dialogue "${FUZZ_RUNS_DIALOGUE:-3000}" 1024
fuzz_target game "${FUZZ_RUNS_GAME:-3000}" 1024
# A whole weights file is 58 KB: the length limit must let a valid one through.
fuzz_target network "${FUZZ_RUNS_NETWORK:-3000}" 65536

echo "== hardening: valgrind =="
VALGRIND=(valgrind --leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=1)
run_valgrind() {
  local label=$1 input=$2
  shift 2
  local log="$WORK/valgrind-$label.log"
  if ! (cd "$WORK" && "${VALGRIND[@]}" --log-file="$log" "$@" <"$input" >/dev/null 2>"$WORK/$label.err"); then
    cat "$log"
    echo "hardening: valgrind found errors or leaks in the $label run"
    return 1
  fi
  echo "$label: $(grep -m1 'ERROR SUMMARY' "$log" | sed 's/^==[0-9]*== //')"
  grep -E 'definitely lost|indirectly lost|in use at exit|All heap blocks' "$log" | sed 's/^==[0-9]*== /    /' || true
}

# A whole interactive game: all 81 moves in order, over and over, so every
# human turn finds a legal move within 81 lines and the game plays to its end.
{
  printf '1\n0.01\n'
  for _ in $(seq 45); do
    for g in 0 1 2 3 4 5 6 7 8; do for l in 0 1 2 3 4 5 6 7 8; do echo "$g $l"; done; done
  done
} >"$WORK/game.in"
run_valgrind game "$WORK/game.in" "$UTTT"
grep -q '^Winner:  ' <(cd "$WORK" && "$UTTT" <"$WORK/game.in") || {
  echo "hardening: the valgrind game input no longer plays a game to its end"
  exit 1
}

# A few hundred records: random digit pairs of every length, with a share of
# malformed lines (a 9, a letter, blanks, an odd digit, a carriage return).
awk 'BEGIN {
  srand(7);
  for (n = 0; n < 400; n++) {
    line = ""; moves = int(rand() * 82);
    for (i = 0; i < moves; i++) line = line int(rand() * 9) int(rand() * 9) (rand() < 0.5 ? " " : "");
    r = rand();
    if (r < 0.05) line = line "9" int(rand() * 9);
    else if (r < 0.10) line = "x" line;
    else if (r < 0.15) line = line "7";
    else if (r < 0.20) line = "  " line "\r";
    print line;
  }
}' >"$WORK/records.in"
run_valgrind analyser "$WORK/records.in" "$UTTT" -a

# Self-play, record file included: the soak driver's games on a pool small
# enough that valgrind's slowness does not matter (3.5 s per move otherwise).
run_valgrind self-play /dev/null "$ROOT/build/hardening/bin/uttt_soak" 2 2000

echo "== hardening: soak =="
"$ROOT/build/hardening/bin/uttt_soak" "${SOAK_GAMES:-5}" "${SOAK_POOL:-20000}"

echo "== hardening: smoke match =="
# The engine's bot must beat a uniformly random mover nearly always, even at
# 10 ms a move; the generous move limit only catches a bot that stalls.
BIN=$ROOT/build/hardening/bin
"$BIN/uttt_match" --games 10 --tc 0.01 --move-ms 1000 \
  "exec '$BIN/uttt_bot' 0.01" "exec '$BIN/uttt_random_bot' 20240601" | tee "$WORK/smoke.log"
wins=$(sed -n 's/^Result of A over 10 games: +\([0-9]*\) .*/\1/p' "$WORK/smoke.log")
if [ -z "$wins" ] || [ "$wins" -lt 9 ]; then
  echo "hardening: the bot won ${wins:-no} games of 10 against the random mover (9 needed)"
  exit 1
fi

echo "hardening: all checks passed"

#!/usr/bin/env bash
# Runs every libFuzzer target of the `fuzz` preset until each has used a given amount of
# CPU time, and prints the table of docs/reliability.md: target, CPU time, executions,
# coverage (edges) of the seeds and of the corpus at the end, findings.
#
#   scripts/fuzz-campaign.sh [--cpu-minutes N] [--jobs N] [--chunk-seconds N] [--nice N]
#                            [--out DIR] [--no-build] [TARGET ...]
#
# --cpu-minutes  CPU time per target (default 30). libFuzzer's own limit counts wall time,
#                so the targets run in rounds of chunks (--chunk-seconds of wall time,
#                default 600) until each has used its CPU budget.
# --jobs         targets run at once (default 2).
# --nice         niceness of every fuzzer (default 15).
# --out          work folder (default build-fuzz/campaign): corpus/<target> (the seed
#                corpus plus what the run found), artifacts/<target> (crash-*, leak-*,
#                timeout-*, oom-* inputs), logs/, results.tsv. A second run with the same
#                folder goes on from the corpus found so far; with --cpu-minutes 0 it
#                only prints the table.
# TARGET         names from build-fuzz/fuzzers.txt (default: all of them).
#
# A finding stops that chunk; the next chunk goes on fuzzing. To keep what a run found
# small enough for the repository's seed corpus (replayed by ctest):
#   build-fuzz/bin/NAME -merge=1 NEW_DIR campaign/corpus/NAME
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
# A campaign runs for hours: run from a copy, so that editing this file meanwhile cannot
# change the running script under bash's feet.
if [[ -z "${TB_FUZZ_CAMPAIGN_COPY:-}" ]]; then
  copy="$(mktemp /tmp/fuzz-campaign.XXXXXX.sh)"
  cp "$0" "$copy"
  TB_FUZZ_CAMPAIGN_COPY="$top" exec bash "$copy" "$@"
fi
top="$TB_FUZZ_CAMPAIGN_COPY"
trap 'rm -f "$0"' EXIT
cd "$top"

cpu_minutes=30 jobs=2 chunk=600 niceness=15 out="" build=1 targets=()
while (($#)); do
  case "$1" in
    --cpu-minutes) cpu_minutes="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    --chunk-seconds) chunk="$2"; shift 2 ;;
    --nice) niceness="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) sed -n '2,23p' "$top/scripts/fuzz-campaign.sh"; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
out="${out:-$top/build-fuzz/campaign}"
mkdir -p "$out"/{corpus,artifacts,logs}

if ((build)); then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz --target fuzzers -j 2
fi
list="$top/build-fuzz/fuzzers.txt"
[[ -f "$list" ]] || { echo "no $list: configure the fuzz preset first" >&2; exit 2; }
if ((${#targets[@]} == 0)); then
  mapfile -t targets < <(awk 'NF {print $1}' "$list")
fi

# Fontconfig keeps its configuration for the process's life; that is not a leak.
export LSAN_OPTIONS="suppressions=$top/formdraw/lsan-suppressions.txt"
export ASAN_OPTIONS="detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TZ="${TZ:-Asia/Tokyo}"
testdata="${TB_TESTDATA:-$top/../shared/testdata}"
[[ -d "$testdata" ]] || testdata=/work/shared/testdata
export TB_TESTDATA="$testdata"  # the Access importer's target patches a sample from there

# Seeds kept outside the repository: the Access samples for the Access importer.
extra_seeds() {
  case "$1" in
    jet_import_fuzz) [[ -d "$testdata/jet" ]] && echo "$testdata/jet" ;;
  esac
  return 0
}

# The edge count of libFuzzer's last status line in a log ("cov: N").
last_cov() { grep -o 'cov: [0-9]*' "$1" | tail -1 | awk '{print $2}'; }

# The last state of a target in results.tsv: CPU seconds, executions, and the edges at the
# first and the last chunk.
state_of() {
  local line
  line="$(grep "^$1	" "$out/results.tsv" 2>/dev/null | tail -1 || true)"
  if [[ -n "$line" ]]; then cut -f2- <<<"$line"; else echo "0 0 - -"; fi
}

# One chunk of a target: at most `chunk` seconds of wall time, then its figures appended
# to results.tsv.
run_chunk() {
  local name="$1" seeds dict bin corpus artifacts used execs start end
  read -r _ seeds dict < <(awk -v n="$name" '$1 == n' "$list")
  bin="$top/build-fuzz/bin/$name"
  [[ -x "$bin" ]] || { echo "$name: not built" >&2; return 1; }
  corpus="$out/corpus/$name" artifacts="$out/artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  if [[ "$seeds" != "-" && -d "$seeds" && -z "$(ls -A "$corpus")" ]]; then cp "$seeds"/* "$corpus"/; fi
  # -close_fd_mask=3 drops what the code under test prints (the Access reader warns at
  # every damaged page); libFuzzer's and the sanitizers' reports still reach the log.
  local args=(-print_final_stats=1 -timeout=20 -rss_limit_mb=2560 -close_fd_mask=3
              -artifact_prefix="$artifacts/")
  [[ "$dict" != "-" && -f "$dict" ]] && args+=(-dict="$dict")
  read -r used execs start end < <(state_of "$name")
  # No longer than what is left of the budget (at least 30 s), so that the last chunk
  # does not overshoot it by a whole chunk.
  local wall=$((budget - used))
  ((wall < 30)) && wall=30
  ((wall > chunk)) && wall=$chunk
  local log="$out/logs/$name.$(date +%Y%m%d-%H%M%S).log" cpu
  cpu=$( { TIMEFORMAT='%U %S'; time nice -n "$niceness" "$bin" "${args[@]}" -max_total_time="$wall" \
             "$corpus" $(extra_seeds "$name") >"$log" 2>&1 || true; } 2>&1 )
  used=$((used + $(awk '{printf "%d", $1 + $2}' <<<"$cpu")))
  execs=$((execs + $(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{s += $2} END {print s + 0}')))
  [[ "$start" == "-" ]] && start="$(grep -m1 'INITED' "$log" | grep -o 'cov: [0-9]*' | awk '{print $2}')"
  end="$(last_cov "$log")"
  printf '%s\t%d\t%d\t%s\t%s\n' "$name" "$used" "$execs" "${start:--}" "${end:--}" >>"$out/results.tsv"
}

# Rounds over every target still below the budget, so that all of them advance together
# and a campaign stopped early has fuzzed each one for a similar time.
budget=$((cpu_minutes * 60))
while :; do
  pending=()
  for t in "${targets[@]}"; do
    read -r used _ < <(state_of "$t")
    ((used < budget)) && pending+=("$t")
  done
  ((${#pending[@]})) || break
  # The chunks' own ids: a bare `wait -n` also returns for the process substitutions
  # above, which would let one chunk more run than --jobs allows.
  running=()
  for t in "${pending[@]}"; do
    while ((${#running[@]} >= jobs)); do
      finished=""
      wait -n -p finished "${running[@]}" || true
      left=()
      for pid in "${running[@]}"; do [[ "$pid" == "$finished" ]] || left+=("$pid"); done
      running=("${left[@]}")
    done
    run_chunk "$t" &
    running+=("$!")
  done
  wait "${running[@]}" || true
done

# Edges are measured again at the end, with the fuzzer as it is built now (a campaign may
# outlive a rebuild): what the seeds reach, and what the corpus grown by the campaign does.
coverage_of() {
  local bin="$1"
  shift
  { nice -n "$niceness" "$bin" -runs=0 -close_fd_mask=3 -rss_limit_mb=2560 "$@" 2>&1 || true; } |
    grep 'INITED' | grep -o 'cov: [0-9]*' | awk 'NR == 1 {print $2}' || true
}
printf '| Target | CPU time | Executions | Edges (seeds → end) | Findings |\n|---|---|---|---|---|\n'
for t in "${targets[@]}"; do
  line="$(grep "^$t	" "$out/results.tsv" | tail -1 || true)"
  [[ -z "$line" ]] && continue
  read -r _ used execs _ _ <<<"$line"
  read -r _ seeds _ < <(awk -v n="$t" '$1 == n' "$list")
  bin="$top/build-fuzz/bin/$t"
  seed_dirs=()
  [[ "$seeds" != "-" && -d "$seeds" ]] && seed_dirs+=("$seeds")
  [[ -n "$(extra_seeds "$t")" ]] && seed_dirs+=("$(extra_seeds "$t")")
  start="$(coverage_of "$bin" "${seed_dirs[@]}")"
  end="$(coverage_of "$bin" "$out/corpus/$t" "${seed_dirs[@]}")"
  findings="$(find "$out/artifacts/$t" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)"
  printf '| %s | %d min | %s | %s → %s | %s |\n' "$t" $((used / 60)) "$execs" "${start:--}" "${end:--}" "$findings"
done

#!/usr/bin/env bash
# Builds the optimised (release) preset with the benchmarks, prepares the large
# data (a password-protected CONTACT.DB of 200,000 contacts and the same
# contacts unprotected, an empty one with the same columns, 10,000 report
# files), runs every benchmark with repetitions and prints each
# figure beside its floor, measured in the same run, and the ratio.
#   scripts/bench.sh [REPETITIONS] [--markdown]
# Extra Google Benchmark options can go in TV_BENCH_ARGS, e.g.
#   TV_BENCH_ARGS=--benchmark_filter=ReportList scripts/bench.sh 3
# Results land in build/release/bench-results/. The figures are only as
# steady as the machine: run it on an otherwise idle machine.
set -euo pipefail
cd "$(dirname "$0")/.."
reps=5
markdown=
for a in "$@"; do
  case "$a" in
    --markdown) markdown=--markdown ;;
    *) reps=$a ;;
  esac
done

bash scripts/deps.sh --test
cmake --preset release -DTV_BENCH=ON -DTV_BUILD_TESTS=OFF >/dev/null
cmake --build --preset release --target sample_installation tv_bench bench_barewindow bench_wizardmemory bench_previewmemory

root=$PWD/build/release
bin=$root/bin
data=$root/benchdata
results=$root/bench-results
mkdir -p "$results"

# The data is made again whenever the generator changed.
if [ ! -f "$data/.made" ] || [ "$bin/makesample" -nt "$data/.made" ]; then
  echo "Preparing the benchmark data in $data (about 700 MB)..."
  rm -rf "$data"
  mkdir -p "$data"
  for d in small big empty; do "$bin/makesample" "$data/$d"; done
  "$bin/makesample" --contacts 200000 "$data/big"
  "$bin/makesample" --contacts 200000 --unprotected "$data/bigplain"
  "$bin/makesample" --contacts 0 "$data/empty"
  touch "$data/.made"
fi

export TV_BENCH_DATA=$data
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

echo "Load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
# shellcheck disable=SC2086
# Repetitions of different benchmarks are interleaved at random, so that a
# figure and its floor (or the protected and the unprotected table) meet the
# same load on a shared machine.
"$bin/tv_bench" --benchmark_repetitions="$reps" --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$results/bench.json" --benchmark_out_format=json ${TV_BENCH_ARGS:-} \
  >"$results/bench.txt"

# Peak memory: the median of the runs of the wizard on the large table.
peaks=()
for _ in $(seq "$reps"); do
  peaks+=("$("$bin/bench_wizardmemory" "$data/big" | awk '/^peak_rss_kb/ {print $2}')")
done
peak=$(printf '%s\n' "${peaks[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')

# The same for the preview: fit check and pages of every column.
previews=()
for _ in $(seq "$reps"); do
  previews+=("$("$bin/bench_previewmemory" "$data/big" | awk '/^peak_rss_kb/ {print $2}')")
done
preview=$(printf '%s\n' "${previews[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')

echo
python3 bench/report.py "$results/bench.json" "$peak" "$preview" $markdown
echo "Peak memory on the 300-contact sample folder, for comparison: $(
  "$bin/bench_wizardmemory" "$data/small" | awk '/^peak_rss_kb/ {printf "%.1f MB", $2 / 1024}')"

# Start-up counted in instructions, which no other load on the machine
# changes (one run each under callgrind, when valgrind is installed). The
# table lock test forks a child, which would print a count of its own (the
# parent's up to the fork): only the program's own count is kept.
if command -v valgrind >/dev/null; then
  count() {
    TV_QUIT_WHEN_SHOWN=1 valgrind --tool=callgrind --child-silent-after-fork=yes \
      --callgrind-out-file=/dev/null "$@" 2>&1 \
      >/dev/null | awk '/Collected :/ {print $NF}'
  }
  wizard=$(cd "$bin" && count ./tallyvane)
  bare=$(cd "$bin" && count ./bench_barewindow)
  text=$(cd "$bin" && count ./bench_barewindow --text)
  awk -v w="$wizard" -v b="$bare" -v t="$text" 'BEGIN {
    printf "Start-up in instructions: wizard %.1f million, bare window %.1f million (ratio %.2f), ", w / 1e6, b / 1e6, w / b
    printf "bare window with text %.1f million (ratio %.2f)\n", t / 1e6, w / t }'
fi
echo "Load after the run:  $(cut -d' ' -f1-3 /proc/loadavg)"

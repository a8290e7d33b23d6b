# Shared by the join benchmarks: timing a command to the disk and printing the comparison.
# Source it after setting $work; each benchmark supplies its own source and commands.

# bench_run NAME OUTPUT COMMAND...: prints "NAME wall-seconds cpu-seconds peak-KiB
# written-bytes output-bytes" for the command followed by a sync. OUTPUT is the file it writes;
# written bytes are what the kernel counted the command writing (blocks of 512 bytes).
bench_run() {
  local name=$1 output=$2
  shift 2
  rm -f "$work"/out.*
  sync
  local wall user sys peak blocks
  read -r wall user sys peak blocks < <( { /usr/bin/time -f "%e %U %S %M %O" \
    bash -c '"$@" >/dev/null 2>&1 && sync' _ "$@"; } 2>&1 | tail -n 1)
  echo "$name $wall $(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }') $peak $((blocks * 512))" \
    "$(stat -c %s "$output" 2>/dev/null || echo 0)"
}

# bench_table RESULTS: the lines of bench_run as a table, with each wall time over cp's.
bench_table() {
  local base
  base=$(awk '$1 == "cp" { print $2 }' <<<"$1")
  printf "%-8s %9s %7s %9s %14s %15s\n" tool seconds "x cp" "cpu s" "peak memory" "written/output"
  awk -v base="$base" '{
    printf "%-8s %9.2f %7.2f %9.2f %10.1f MiB %15.3f\n", $1, $2, (base > 0 ? $2 / base : 0), $3, $4 / 1024,
           ($6 > 0 ? $5 / $6 : 0)
  }' <<<"$1"
}

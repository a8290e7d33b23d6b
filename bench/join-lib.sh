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

# bench_table RESULTS: the lines of bench_run, several per tool (rounds run in turn, so that
# no tool always follows the same one), as one line per tool with the medians and each wall
# time over cp's.
bench_table() {
  printf "%-8s %9s %7s %9s %14s %15s\n" tool seconds "x cp" "cpu s" "peak memory" "written/output"
  sort -k1,1 -k2,2n <<<"$1" | awk '
    function flush() {
      if (n == 0) return
      m = int((n + 1) / 2)
      order[++tools] = tool; wall[tool] = w[m]; cpu[tool] = c[m]; peak[tool] = p; ratio[tool] = r[m]
    }
    $1 != tool { flush(); tool = $1; n = 0; p = 0 }
    { ++n; w[n] = $2; c[n] = $3; if ($4 > p) p = $4; r[n] = ($6 > 0 ? $5 / $6 : 0) }
    END {
      flush()
      for (i = 1; i <= tools; ++i) {
        t = order[i]
        printf "%-8s %9.2f %7.2f %9.2f %10.1f MiB %15.3f\n", t, wall[t], (wall["cp"] > 0 ? wall[t] / wall["cp"] : 0),
               cpu[t], peak[t] / 1024, ratio[t]
      }
    }'
}

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

# bench_table RESULTS: the lines of bench_run, several per tool, as one line per tool (in the
# order tools first appear) with the medians; "x cp" is each wall time over that of the cp line of
# the same group, the part of the name before "/".
bench_table() {
  printf "%-20s %9s %7s %9s %14s %15s\n" tool seconds "x cp" "cpu s" "peak memory" "written/output"
  awk '
    function median(list, count,    i, j, v, a) {
      for (i = 1; i <= count; ++i) a[i] = list[i]
      for (i = 2; i <= count; ++i) { v = a[i]; for (j = i - 1; j > 0 && a[j] > v; --j) a[j + 1] = a[j]; a[j + 1] = v }
      return a[int((count + 1) / 2)]
    }
    !($1 in n) { order[++tools] = $1 }
    {
      k = ++n[$1]; wall[$1, k] = $2; cpu[$1, k] = $3; ratio[$1, k] = ($6 > 0 ? $5 / $6 : 0)
      if ($4 > peak[$1]) peak[$1] = $4
    }
    END {
      for (i = 1; i <= tools; ++i) {
        t = order[i]
        for (k = 1; k <= n[t]; ++k) { w[k] = wall[t, k]; c[k] = cpu[t, k]; r[k] = ratio[t, k] }
        mw[t] = median(w, n[t]); mc[t] = median(c, n[t]); mr[t] = median(r, n[t])
      }
      for (i = 1; i <= tools; ++i) {
        t = order[i]; group = t; sub(/\/.*/, "", group)
        base = (group == t ? mw["cp"] : mw[group "/cp"])
        printf "%-20s %9.2f %7.2f %9.2f %10.1f MiB %15.3f\n", t, mw[t], (base > 0 ? mw[t] / base : 0), mc[t],
               peak[t] / 1024, mr[t]
      }
    }' <<<"$1"
}

# The generated sources of the join benchmarks: one per family, made once at a high bit rate so
# that the copy, not the parsing, dominates, and joined with itself about 1 GB in all.
# Source it after setting $work.

bench_families=(avi mp4 ts wmv)

# bench_source FAMILY: makes the family's source once and sets $source and $copies.
bench_source() {
  local family=$1 video=(-f lavfi -i "testsrc2=size=1280x720:rate=25") make=()
  case $family in
    avi)
      copies=4
      make=("${video[@]}" -f lavfi -i "sine=frequency=440:sample_rate=44100" -t 200
        -c:v mpeg4 -vtag XVID -g 50 -q:v 1 -c:a libmp3lame -b:a 128k -f avi) ;;
    mp4)
      copies=2
      make=("${video[@]}" -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 250
        -c:v libx264 -preset ultrafast -g 50 -b:v 40M -maxrate 40M -bufsize 40M -c:a aac -b:a 128k -f mp4) ;;
    ts)
      copies=5
      make=("${video[@]}" -f lavfi -i "sine=frequency=440:sample_rate=48000" -t 100
        -c:v libx264 -preset ultrafast -g 50 -b:v 20M -maxrate 20M -bufsize 20M -c:a aac -b:a 128k -f mpegts) ;;
    wmv)
      copies=4
      make=("${video[@]}" -f lavfi -i "sine=frequency=440:sample_rate=44100" -t 130
        -c:v wmv2 -g 50 -q:v 2 -c:a wmav2 -b:a 128k -f asf) ;;
    *) echo "unknown family $family (${bench_families[*]})" >&2; return 1 ;;
  esac
  source="$work/source.$family"
  if [ ! -f "$source" ]; then
    echo "making $source (once)" >&2
    ffmpeg -nostdin -hide_banner -loglevel error -y "${make[@]}" "$work/.part.$family"
    mv "$work/.part.$family" "$source"
  fi
}

# bench_join_rounds FAMILY CLI ROUNDS: the bench_run lines of cp, korvel-cli join and ffmpeg's
# concat demuxer joining $copies copies of the family's source, each tool named FAMILY/TOOL.
bench_join_rounds() {
  local family=$1 cli=$2 rounds=$3 sources=() i round
  bench_source "$family"
  for ((i = 0; i < copies; ++i)); do sources+=("$source"); done
  printf "file '%s'\n" "${sources[@]}" > "$work/concat.txt"
  run_cp() { bench_run "$family/cp" "$work/out.cp" bash -c 'cat "$@" > "$0"' "$work/out.cp" "${sources[@]}"; }
  run_korvel() {
    bench_run "$family/korvel" "$work/out.korvel.$family" "$cli" join -q -o "$work/out.korvel.$family" "${sources[@]}"
  }
  run_ffmpeg() {
    bench_run "$family/ffmpeg" "$work/out.ffmpeg.$family" ffmpeg -nostdin -loglevel error -f concat -safe 0 \
      -i "$work/concat.txt" -c copy "$work/out.ffmpeg.$family"
  }
  bench_rotate "$rounds" cp korvel ffmpeg
}

# bench_rotate ROUNDS TOOL...: runs run_TOOL for every tool, ROUNDS times, starting each round
# one tool later, so that no tool always follows the same one (the one before leaves the disk
# busy writing back).
bench_rotate() {
  local rounds=$1 round i
  shift
  local tools=("$@")
  for ((round = 0; round < rounds; ++round)); do
    for ((i = 0; i < ${#tools[@]}; ++i)); do "run_${tools[(i + round) % ${#tools[@]}]}"; done
  done
  rm -f "$work"/out.*
}

# Sourced by the command-line host's benchmark scripts, after they set `cli`:
# checks the executable and the peers (ffmpeg, GNU time, hyperfine), makes a work folder
# removed on exit ($work), and writes the click material there: the built-in
# demo's damaged music looped to 60 s of 16-bit stereo ($work/clicks-60s.wav).
[ -x "$cli" ] || { echo "no executable at $cli (build first, or pass its path)" >&2; exit 2; }
if ! command -v ffmpeg >/dev/null || ! command -v hyperfine >/dev/null || [ ! -x /usr/bin/time ]; then
    "$(dirname "${BASH_SOURCE[0]}")/../../scripts/deps.sh" bench || exit 2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$cli" demo -q "$work/demo" >/dev/null
ffmpeg -nostdin -hide_banner -loglevel error -stream_loop 5 -i "$work/demo/demo-damaged.wav" \
    -c:a pcm_s16le "$work/clicks-60s.wav"

#!/usr/bin/env bash
# Makes sure the Debian packages a task needs are present.
#   scripts/deps.sh GROUP...   with GROUP one of: build, windows, plugins, bench, browser
# As root it installs what is missing; otherwise it prints the exact
# apt-get line to run and exits with status 1.
set -euo pipefail

packages_for() {
  case "$1" in
    build)   echo "g++ cmake make pkg-config libgtest-dev libbenchmark-dev libfftw3-dev libsndfile1-dev python3" ;;
    # Cross compiler and Wine for the 32-bit Windows plug-in; wine32 needs the i386 architecture.
    windows) echo "g++-mingw-w64-i686-posix binutils-mingw-w64-i686 googletest wine wine32:i386 icoutils" ;;
    # What the command-line host is tested with: a third-party VST 2 effect,
    # and GNU parallel for the documented recipe that spreads an archive over machines.
    plugins) echo "dpf-plugins-vst parallel" ;;
    # The peer and the timer of the command-line host's comparison benchmark.
    bench)   echo "ffmpeg time" ;;
    # A real browser that renders the HTML repair report in CI (scripts/report-check.sh).
    browser) echo "chromium" ;;
    *) echo "deps.sh: unknown group '$1'" >&2; exit 2 ;;
  esac
}

wanted=()
for group in "$@"; do
  for p in $(packages_for "$group"); do wanted+=("$p"); done
done

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

needs_i386=0
for p in "${missing[@]}"; do case "$p" in *:i386) needs_i386=1 ;; esac; done

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages. Run as root:" >&2
  [ $needs_i386 -eq 1 ] && echo "  dpkg --add-architecture i386 && apt-get update" >&2
  echo "  apt-get install -y ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if [ $needs_i386 -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}" >&2
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

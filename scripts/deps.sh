#!/usr/bin/env bash
# Makes sure the Debian packages a task needs are present.
#   scripts/deps.sh GROUP...   with GROUP one of: build, windows, plugins, bench, fuzz, browser, package
# As root it installs what is missing; otherwise it prints the exact
# apt-get line to run and exits with status 1.
set -euo pipefail

packages_for() {
  case "$1" in
    build)   echo "g++ cmake make pkg-config libgtest-dev libbenchmark-dev libfftw3-dev libsndfile1-dev python3" ;;
    # Cross compilers and Wine for the 32-bit and 64-bit Windows plug-ins (wine32
    # is optional, below).
    windows) echo "g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix
                   binutils-mingw-w64-x86-64 googletest wine wine64 icoutils" ;;
    # What the command-line host is tested with: a third-party VST 2 effect,
    # and GNU parallel for the documented recipe that spreads an archive over machines.
    plugins) echo "dpf-plugins-vst parallel" ;;
    # The peer and the timer of the command-line host's comparison benchmark,
    # and the instruction-count profiler the performance notes were made with;
    # real recordings for the repair quality benchmark (bench/quality/README.md):
    # Hydrogen's recorded drum kits and ALSA's spoken test words.
    bench)   echo "ffmpeg time valgrind hyperfine hydrogen-data alsa-utils" ;;
    # The fuzz targets of scripts/fuzz-check.sh: clang with libFuzzer.
    fuzz)    echo "clang libclang-rt-dev" ;;
    # A real browser that renders the HTML repair report in CI (scripts/report-check.sh).
    browser) echo "chromium" ;;
    # The Debian package and its check (scripts/package-check.sh): the manual
    # page generator, CPack's helpers (dpkg-shlibdeps, file), lintian, and
    # debootstrap for the clean root it is installed in.
    package) echo "dpkg-dev lintian debootstrap help2man fakeroot file" ;;
    *) echo "deps.sh: unknown group '$1'" >&2; exit 2 ;;
  esac
}

# Packages a group can do without: 32-bit Wine needs the i386 architecture,
# which not every machine offers; without it the 32-bit Wine tests are skipped.
optional_packages_for() {
  case "$1" in
    windows) echo "wine32:i386" ;;
  esac
}

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

missing=()
optional=()
for group in "$@"; do
  for p in $(packages_for "$group"); do installed "$p" || missing+=("$p"); done
  for p in $(optional_packages_for "$group"); do installed "$p" || optional+=("$p"); done
done
[ ${#missing[@]} -eq 0 ] && [ ${#optional[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  if [ ${#optional[@]} -gt 0 ]; then
    echo "deps.sh: optional ${optional[*]} not installed (as root: dpkg --add-architecture i386 &&" \
      "apt-get update && apt-get install -y ${optional[*]})" >&2
  fi
  [ ${#missing[@]} -eq 0 ] && exit 0
  echo "Missing Debian packages. Run as root:" >&2
  echo "  apt-get install -y ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive

# A mirror out of step (one architecture's index mid-sync, as Debian's i386
# security index can be) makes `apt-get update` fail while every other index
# was refreshed. That is only a warning: `apt-get install` decides.
refresh_index() {
  apt-get update -qq ||
    echo "deps.sh: warning: apt-get update failed (status $?); installing from the package lists as they are" >&2
}

# install PACKAGE...: all at once; when that fails, one at a time, so the
# failure names the packages that cannot be installed.
install() {
  apt-get install -y -qq --no-install-recommends "$@" >/dev/null && return 0
  local failed=() p
  for p in "$@"; do
    installed "$p" || apt-get install -y -qq --no-install-recommends "$p" >/dev/null || failed+=("$p")
  done
  [ ${#failed[@]} -eq 0 ] && return 0
  echo "deps.sh: apt-get install failed for: ${failed[*]}" >&2
  return 1
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  refresh_index
  install "${missing[@]}" || exit 1
fi
if [ ${#optional[@]} -gt 0 ]; then
  echo "Installing (optional): ${optional[*]}" >&2
  if dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386; then
    refresh_index
  fi
  if ! install "${optional[@]}"; then
    echo "deps.sh: could not install ${optional[*]}; going on without it" >&2
  fi
fi

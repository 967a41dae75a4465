#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, and tries it in a clean
# Debian root the way a user would install it.
#   scripts/package-check.sh
#
# 1. build/package: a RelWithDebInfo build with Debian's hardening flags
#    (dpkg-buildflags, DEB_BUILD_MAINT_OPTIONS=hardening=+all), installed to
#    /usr, packed by `cpack -G DEB` (dependencies from dpkg-shlibdeps,
#    binaries stripped).
# 2. lintian: fails on any error or warning (the README lists what remains
#    below that level, and why).
# 3. A minimal debootstrap root of the running Debian release, made once and
#    kept pristine under /var/cache/sarnovellite-root (SARNOVELLITE_ROOT_CACHE);
#    every run works in a fresh copy of it. In the copy: `apt-get install
#    ./sarnovellite_*.deb` (pulling only what the package declares), then
#    sarnovellite --version, demo, a file through each method the help lists,
#    man -w, lv2ls when the package has LV2 plug-ins, and `apt-get purge`,
#    after which none of the package's files may be left.
# Step 3 is skipped with one line when the machine cannot do it (not root, no
# debootstrap or chroot, the mirror out of reach); a fault of the package
# fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
scripts/deps.sh build package

build=build/package
jobs=${JOBS:-2}
say() { echo "package-check: $*"; }
seconds() { date +%s; }
started=$(seconds)

# --- 1. the package ---------------------------------------------------------
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DSARNOVELLITE_DEBIAN_PACKAGE=ON -DSARNOVELLITE_BUILD_TESTS=OFF -DSARNOVELLITE_BUILD_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" \
  "-DCMAKE_SHARED_LINKER_FLAGS=$ldflags" "-DCMAKE_MODULE_LINKER_FLAGS=$ldflags" \
  "-DCMAKE_STRIP=$source_dir/packaging/debian_strip.sh" >/dev/null
cmake --build "$build" -j "$jobs"
rm -f "$build"/sarnovellite_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/sarnovellite_*.deb)
deb=${debs[0]}
[ -f "$deb" ] || { say "cpack made no package"; exit 1; }
say "built $deb ($(( $(seconds) - started )) s)"
dpkg-deb --field "$deb"
dpkg-deb --contents "$deb"

# The changelog's latest entry must be this version.
version=$(dpkg-deb --field "$deb" Version)
head -n 1 packaging/changelog | grep -q "^sarnovellite ($version) " ||
  { say "packaging/changelog has no entry for $version"; exit 1; }

# --- 2. lintian ---------------------------------------------------------------
say "lintian $(lintian --version | awk '{print $2}'):"
lintian --display-info --fail-on error,warning "$deb" || { say "lintian found errors or warnings"; exit 1; }
say "lintian: no errors, no warnings ($(( $(seconds) - started )) s so far)"

# --- 3. a clean root ------------------------------------------------------------
skip() { say "clean-root install skipped: $*"; exit 0; }
[ "$(id -u)" -eq 0 ] || skip "needs root (debootstrap and chroot)"
command -v debootstrap >/dev/null || skip "debootstrap is not installed"
# shellcheck disable=SC1091
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$codename" ] || skip "cannot tell this machine's Debian release from /etc/os-release"
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
security_mirror=${DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}
cache=${SARNOVELLITE_ROOT_CACHE:-/var/cache/sarnovellite-root}
pristine=$cache/$codename
mkdir -p "$cache/archives"

root_started=$(seconds)
if [ ! -x "$pristine/bin/sh" ]; then
  say "making a minimal $codename root in $pristine (once; later runs copy it)"
  rm -rf "$pristine.new"
  if ! timeout 1200 debootstrap --variant=minbase --include=man-db "$codename" "$pristine.new" "$mirror" \
      >"$cache/debootstrap.log" 2>&1; then
    rm -rf "$pristine.new"
    skip "debootstrap $codename from $mirror failed (see $cache/debootstrap.log)"
  fi
  cat >"$pristine.new/etc/apt/sources.list" <<SOURCES
deb $mirror $codename main
deb $mirror $codename-updates main
deb $security_mirror $codename-security main
SOURCES
  chroot "$pristine.new" apt-get clean
  mv "$pristine.new" "$pristine"
  say "root made in $(( $(seconds) - root_started )) s"
fi

work=$cache/work
mounted=""
cleanup() {
  if [ -n "$mounted" ]; then umount "$work/proc" 2>/dev/null || umount -l "$work/proc"; fi
  rm -rf --one-file-system "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
rm -rf "$work"
cp -a "$pristine" "$work"
chroot "$work" /bin/true 2>/dev/null || skip "chroot does not work on this machine"
mount -t proc proc "$work/proc" && mounted=1
cp /etc/resolv.conf "$work/etc/resolv.conf"
# Packages downloaded by earlier runs, so only new versions are fetched again.
cp "$cache/archives/"*.deb "$work/var/cache/apt/archives/" 2>/dev/null || true
in_root() { chroot "$work" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive "$@"; }

in_root apt-get update -qq >/dev/null 2>&1 || skip "the root cannot reach $mirror (apt-get update failed)"
# What the root holds before: to compare with after the purge.
listing() { in_root find / -xdev \( -path /proc -o -path /tmp -o -path /var/cache -o -path /var/lib \
  -o -path /var/log -o -path /root \) -prune -o -print | sort; }
listing >"$cache/before.txt"

cp "$deb" "$work/tmp/"
deb_name=$(basename "$deb")
say "in the clean root: apt-get install ./$deb_name"
if ! in_root sh -c "cd /tmp && apt-get install -y -q -o Dpkg::Use-Pty=0 --no-install-recommends ./$deb_name" \
    >"$cache/install.log" 2>&1; then
  cat "$cache/install.log"
  say "the package did not install in the clean root"
  exit 1
fi
sed -n '/^The following NEW/,/^[0-9]* upgraded/p' "$cache/install.log" | sed '$d'
cp "$work/var/cache/apt/archives/"*.deb "$cache/archives/" 2>/dev/null || true

run() { say "\$ $*"; in_root sh -c "cd /tmp/run && $*"; }
mkdir -p "$work/tmp/run"
run sarnovellite --version
run "sarnovellite -q demo . >demo.txt"
sed -n '1,/whole file/p' "$work/tmp/run/demo.txt"
for f in clean damaged repaired removed; do
  [ -s "$work/tmp/run/demo-$f.wav" ] || { say "the demo wrote no demo-$f.wav"; exit 1; }
done
help=$(in_root sarnovellite --help)
methods=()
if grep -q -- '--method' <<<"$help"; then
  for m in classic restore; do
    grep -A2 -- '--method' <<<"$help" | grep -w "$m" >/dev/null && methods+=("-m $m")
  done
else
  methods=("")
fi
for m in "${methods[@]}"; do
  # shellcheck disable=SC2086 # $m is an option and its value, or nothing
  run sarnovellite $m demo-damaged.wav "repaired${m// /}.wav"
done
run man -w sarnovellite
if in_root dpkg -L sarnovellite | grep '^/usr/lib/lv2/.*\.ttl$' >/dev/null; then
  in_root apt-get install -y -qq --no-install-recommends lilv-utils >/dev/null
  run lv2ls
  found=$(in_root lv2ls | grep -ci sarnovellite || true)
  [ "$found" -ge 2 ] || { say "lv2ls finds $found Sarnovellite plug-ins, not both"; exit 1; }
else
  say "the package has no LV2 bundle: lv2ls not run"
fi

# Purge: none of the package's files may be left.
in_root dpkg -L sarnovellite | sort >"$cache/package-files.txt"
rm -rf "$work/tmp/run"
in_root apt-get purge -y -qq --autoremove sarnovellite lilv-utils >/dev/null 2>&1 ||
  in_root apt-get purge -y -qq --autoremove sarnovellite >/dev/null
left=$(while read -r f; do
  if [ -e "$work$f" ] && [ ! -d "$work$f" ]; then echo "$f"; fi
done <"$cache/package-files.txt")
listing >"$cache/after.txt"
new=$(comm -13 "$cache/before.txt" "$cache/after.txt")
if [ -n "$left" ] || [ -n "$new" ]; then
  say "apt-get purge left files behind:"
  printf '%s\n' "$left" "$new" | sed '/^$/d'
  exit 1
fi
say "apt-get purge: none of its $(wc -l <"$cache/package-files.txt") paths left, nothing new in the root"
say "clean root: $(( $(seconds) - root_started )) s; whole check: $(( $(seconds) - started )) s"

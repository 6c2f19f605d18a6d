#!/usr/bin/env bash
# Builds the Debian package from a finished build folder, unpacks it into a scratch root and
# checks the installed tree as a desktop would use it: every file in its place, the desktop
# entry and the AppStream data valid, the file types known, the programs running from the
# installed path, and a parameter file handed over the way the desktop's "%f" does (a name
# with spaces and non-ASCII letters) opened by zeda.
#
# usage: tools/package-check.sh [BUILD_DIR]    (default: build)
# Needs: cpack, dpkg-deb, dpkg-shlibdeps (dpkg-dev), desktop-file-validate (desktop-file-utils),
# appstreamcli (appstream), update-mime-database (shared-mime-info).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
started=$(date +%s%N)

passes=0
failures=0
fail() {
  echo "package-check: FAIL: $*" >&2
  failures=$((failures + 1))
}
pass() {
  echo "package-check: ok: $*"
  passes=$((passes + 1))
}

rm -f "$build"/zeda_*.deb
if ! (cd "$build" && cpack -G DEB >"$build/cpack.log" 2>&1); then
  cat "$build/cpack.log" >&2
  echo "package-check: FAIL: cpack -G DEB" >&2
  exit 1
fi
debs=("$build"/zeda_*.deb)
deb=${debs[0]}
echo "package-check: built $(basename "$deb") ($(stat -c %s "$deb") bytes)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg-deb -x "$deb" "$root"

app=org.zedaproject.Zeda
expected=(
  usr/bin/zeda usr/bin/zedactl usr/bin/zedasim
  usr/share/applications/$app.desktop
  usr/share/metainfo/$app.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/$app.svg
  usr/share/mime/packages/zeda.xml
  usr/share/man/man1/zedactl.1.gz usr/share/man/man1/zedasim.1.gz
  usr/share/bash-completion/completions/zedactl
  usr/lib/udev/rules.d/60-zeda-usb-serial.rules
  usr/share/doc/zeda/LICENSE
)
for size in 16 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x$size/apps/$app.png")
done
missing=0
for f in "${expected[@]}"; do
  [ -f "$root/$f" ] || { fail "missing /$f"; missing=1; }
done
[ $missing = 1 ] || pass "${#expected[@]} files in place"

# Package fields: every library the programs load comes from a package named in Depends
# (dpkg-shlibdeps finds them; Qt's platform plugins are loaded at run time and named by hand).
depends=$(dpkg-deb -f "$deb" Depends)
echo "package-check: Depends: $depends"
owners=(qt6-qpa-plugins)
declare -A seen=()
for prog in zeda zedactl zedasim; do
  paths=$(LD_LIBRARY_PATH= ldd "$root/usr/bin/$prog")
  for soname in $(readelf -d "$root/usr/bin/$prog" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    [ -z "${seen[$soname]:-}" ] || continue
    seen[$soname]=1
    lib=$(awk -v so="$soname" '$1 == so && $2 == "=>" {print $3}' <<<"$paths")
    owner=$(dpkg -S "$lib" 2>/dev/null || dpkg -S "$(realpath "$lib")" 2>/dev/null || true)
    [ -n "$owner" ] || { fail "no package owns $soname, needed by $prog"; continue; }
    owners+=("${owner%%:*}")
  done
done
before=$failures
for pkg in $(printf '%s\n' "${owners[@]}" | sort -u); do
  [[ ", $depends," == *", $pkg "* || ", $depends," == *", $pkg,"* ]] || fail "Depends lacks $pkg"
done
[ $failures != $before ] || pass "Depends names the package of every library the programs need"
[ "$(dpkg-deb -f "$deb" Package)" = zeda ] || fail "package name is not zeda"
# Whether apt can satisfy them here (needs the package lists; skipped without them).
if compgen -G "/var/lib/apt/lists/*_Packages*" >/dev/null; then
  if apt-get install --simulate -qq "$deb" >"$scratch/apt.log" 2>&1; then
    pass "apt can install the package's dependencies"
  else
    cat "$scratch/apt.log" >&2
    fail "apt-get install --simulate $deb"
  fi
fi

desktop=$root/usr/share/applications/$app.desktop
if desktop-file-validate "$desktop"; then pass "desktop-file-validate"; else fail "desktop-file-validate"; fi
if appstreamcli validate --no-net "$root/usr/share/metainfo/$app.metainfo.xml" >"$scratch/as.log" 2>&1; then
  pass "appstreamcli validate --no-net"
else
  cat "$scratch/as.log" >&2
  fail "appstreamcli validate"
fi

# The file types: the package's definition compiled into a private database.
mkdir -p "$scratch/mime/packages"
cp "$root/usr/share/mime/packages/zeda.xml" "$scratch/mime/packages/"
if update-mime-database "$scratch/mime" 2>/dev/null &&
  grep -q ':application/x-zeda-ign:\*\.ign$' "$scratch/mime/globs2" &&
  grep -q ':application/x-zeda-ignlog:\*\.ignlog$' "$scratch/mime/globs2"; then
  pass "file types .ign and .ignlog"
else
  fail "the shared-mime-info entry does not define *.ign and *.ignlog"
fi
for type in $(sed -n 's/^MimeType=//p' "$desktop" | tr ';' ' '); do
  grep -q "type=\"$type\"" "$root/usr/share/mime/packages/zeda.xml" ||
    fail "the desktop entry opens $type, which the package does not define"
done
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "no icon named $icon"

for page in zedactl zedasim; do
  gzip -t "$root/usr/share/man/man1/$page.1.gz" || fail "man page $page is not a good gzip file"
done
bash -n "$root/usr/share/bash-completion/completions/zedactl" || fail "bash completion syntax"
rules=$root/usr/lib/udev/rules.d/60-zeda-usb-serial.rules
for vendor in 0403 10c4 1a86 067b; do
  grep -Eq "ATTRS\{idVendor\}==\"$vendor\".*GROUP=\"dialout\".*ENV\{ID_MM_DEVICE_IGNORE\}=\"1\"" \
    "$rules" || fail "the udev rule does not cover vendor $vendor"
done

# The programs, run from the installed path with nothing but the system's libraries.
export ZEDA_PORTS_ONLY=1 QT_QPA_PLATFORM=offscreen
for prog in zeda zedactl zedasim; do
  if LD_LIBRARY_PATH= ldd "$root/usr/bin/$prog" | grep -q "not found"; then
    fail "$prog lacks libraries: $(ldd "$root/usr/bin/$prog" | grep "not found" | tr -d '\t')"
  fi
done
if out=$(env -u LD_LIBRARY_PATH "$root/usr/bin/zedactl" --help 2>&1) && [[ $out == usage:* ]]; then
  pass "/usr/bin/zedactl --help"
else
  fail "/usr/bin/zedactl --help: $out"
fi
# The window program answers --version on the terminal, without a display.
if out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/zeda" --version 2>&1) &&
  [[ $out == zeda\ * ]]; then
  pass "/usr/bin/zeda --version"
else
  fail "/usr/bin/zeda --version: $out"
fi
if out=$("$root/usr/bin/zedasim" --help 2>&1) && [[ $out == usage:* ]]; then
  pass "/usr/bin/zedasim --help"
else
  fail "/usr/bin/zedasim --help: $out"
fi

# A double-click: the desktop puts the file's path in place of %f as one argument. zeda opens
# it, and its closing settings name it in the file history (non-ASCII letters kept as \xNNNN).
home=$scratch/home
mkdir -p "$home/settings" "$home/runtime" "$home/My bikes"
chmod 700 "$home/runtime"
file="$home/My bikes/Čezeta řada 2.ign"
"$root/usr/bin/zedactl" defaults "$scratch/defaults.bin" >/dev/null
"$root/usr/bin/zedactl" ign from-bin "$scratch/defaults.bin" "$file" >/dev/null
read -ra exec_words <<<"$(sed -n 's/^Exec=//p' "$desktop")"
argv=()
for w in "${exec_words[@]}"; do
  if [ "$w" = %f ]; then argv+=("$file"); else argv+=("$w"); fi
done
argv[0]=$root/usr/bin/${argv[0]}
if ZEDA_SETTINGS_DIR="$home/settings" XDG_RUNTIME_DIR="$home/runtime" ZEDA_EXIT_AFTER_SHOW=1 \
  timeout 60 "${argv[@]}" >"$scratch/zeda.log" 2>&1 &&
  grep -qxF 'MenuHistory00='"$home"'/My bikes/\x010Cezeta \x0159ada 2.ign' \
    "$home/settings/application.ini"; then
  pass "zeda opens a file passed as %f (spaces, non-ASCII)"
else
  cat "$scratch/zeda.log" >&2
  fail "zeda did not open $file passed as %f"
fi

elapsed=$((($(date +%s%N) - started) / 1000000))
echo "package-check: took ${elapsed} ms"
echo "package-check: $passes passed, $failures failed"
[ $failures = 0 ]

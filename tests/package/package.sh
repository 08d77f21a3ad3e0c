#!/usr/bin/env bash
# The Debian package as a user installs it.
#   package.sh build BUILD_DIR OUT_DIR               make the package with CPack
#   package.sh contents OUT_DIR VERSION              its file list and control fields
#   package.sh throw-away-root OUT_DIR               unpacked: every library found
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The package names of the Depends field, one a line (alternatives too).
declared() {
  dpkg-deb -f "$1" Depends | tr ',|' '\n\n' | sed 's/^ *//; s/[ (].*//' | sed '/^$/d'
}

the_package() {
  local found=("$1"/vexorin_*.deb)
  [ ${#found[@]} -eq 1 ] && [ -f "${found[0]}" ] || fail "no single vexorin_*.deb in $1 (run the build step)"
  echo "${found[0]}"
}

case "$1" in
build)
  build=$2 out=$3
  rm -rf "$out"
  mkdir -p "$out"
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log"; fail "cpack"; }
  the_package "$out" >/dev/null
  ;;

contents)
  deb=$(the_package "$2") version=$3
  list=$(dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }')
  for path in ./usr/bin/Vexorin "./usr/bin/vexorin -> Vexorin" ./usr/bin/tarnik.ico \
    ./usr/share/applications/vexorin.desktop \
    ./usr/share/icons/hicolor/64x64/apps/vexorin.png \
    ./usr/share/metainfo/io.github.vexorin.Vexorin.metainfo.xml \
    ./usr/share/vexorin/help/index.html ./usr/share/vexorin/help/files.html \
    ./usr/share/vexorin/help/images/board.png \
    ./usr/share/vexorin/examples/README.md \
    ./usr/share/vexorin/examples/Plant/iniformsettings.ini \
    ./usr/share/vexorin/examples/Plant/fStreamShape.txt \
    "./usr/share/vexorin/examples/Plant/Pump 1/Pump 1.rtf"; do
    grep -qxF -- "$path" <<<"$list" || fail "the package lacks $path"
  done
  outside=$(grep -vE '^\./(usr/)?$|^\./usr/(bin|share)/' <<<"$list" || true)
  [ -z "$outside" ] || fail "files outside /usr/bin and /usr/share: $outside"
  if grep -qE '/(test_|bench_|fuzz_)|\.(a|o|cmake)$' <<<"$list"; then
    fail "build leftovers in the package"
  fi

  [ "$(dpkg-deb -f "$deb" Package)" = vexorin ] || fail "package name"
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), not $version"
  [ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
  echo "Depends: $(dpkg-deb -f "$deb" Depends)"
  depends=$(declared "$deb")
  for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 \
    libqt6svg6 libqt6dbus6 libasound2; do
    grep -qxF "$needed" <<<"$depends" || fail "Depends lacks $needed"
  done
  ;;

throw-away-root)
  deb=$(the_package "$2")
  root=$(mktemp -d)
  trap 'rm -rf "$root"' EXIT
  dpkg -x "$deb" "$root"
  program=$root/usr/bin/Vexorin
  [ -x "$root/usr/bin/vexorin" ] || fail "vexorin does not lead to the program"
  [ "$(readlink -f "$root/usr/bin/vexorin")" = "$(readlink -f "$program")" ] || fail "vexorin is another file"
  exec_line=$(grep '^Exec=' "$root/usr/share/applications/vexorin.desktop")
  [ -x "$root/usr/bin/${exec_line#Exec=}" ] || fail "the desktop entry starts ${exec_line#Exec=}, not in /usr/bin"

  libraries=$(ldd "$program")
  if grep -q 'not found' <<<"$libraries"; then
    fail "libraries missing: $(grep 'not found' <<<"$libraries")"
  fi
  # No run path into the build tree: the installed program finds its
  # libraries where the system keeps them.
  if readelf -d "$program" | grep -qE 'R(UN)?PATH'; then
    fail "run path left in the program: $(readelf -d "$program" | grep -E 'R(UN)?PATH')"
  fi
  # Every library the program links directly comes from a package it declares.
  depends=$(declared "$deb")
  for soname in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    # "libX.so.N => /path (address)", or "/path (address)" for the loader.
    path=$(awk -v lib="$soname" '
      $1 == lib { print $3 }
      substr($1, length($1) - length(lib)) == "/" lib { print $1 }' <<<"$libraries")
    [ -n "$path" ] || fail "ldd does not name $soname"
    owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(readlink -f "$path")" 2>/dev/null) ||
      fail "no package holds $path"
    owner=${owner%%:*}
    grep -qxF "$owner" <<<"$depends" || fail "$soname comes from $owner, which Depends does not name"
  done
  # Plugins are loaded, not linked, so dpkg-shlibdeps cannot see them: the X11
  # window system, the icon (.ico), the pictures a background may be and SVG.
  plugins=$(dirname "$(readlink -f "$(awk '$1 == "libQt6Gui.so.6" { print $3 }' <<<"$libraries")")")/qt6/plugins
  for plugin in platforms/libqxcb.so imageformats/libqico.so imageformats/libqjpeg.so \
    imageformats/libqgif.so imageformats/libqsvg.so; do
    owner=$(dpkg -S "$plugins/$plugin" 2>/dev/null) || fail "no package holds $plugins/$plugin"
    owner=${owner%%:*}
    grep -qxF "$owner" <<<"$depends" || fail "the plugin $plugin comes from $owner, which Depends does not name"
  done
  ;;

*)
  fail "unknown step $1"
  ;;
esac

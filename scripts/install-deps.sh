#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# With --sanitizers also clang and its sanitizer and libFuzzer runtimes, which
# the sanitizer build (`make test-sanitize`, `make fuzz`) needs.
set -euo pipefail

# poppler-utils: the tests read the text of exported PDF files with pdftotext.
# clang-format: `make format-check` holds the code to .clang-format.
# dbus: the notification test starts a session bus of its own (dbus-daemon).
# dpkg-dev, file: `make package` (dpkg-shlibdeps finds the program's libraries);
# appstream, desktop-file-utils: the tests validate the metadata and the entry.
# at-spi2-core, python3-pyatspi: the screen reader test reads the board over
# the accessibility bus. ccache: a build of sources built before (another
# clone, a clean build) takes them from its cache.
packages=(g++ make cmake pkg-config qt6-base-dev qt6-svg-dev libasound2-dev libgtest-dev libbenchmark-dev
          xvfb poppler-utils clang-format dbus dpkg-dev file appstream desktop-file-utils
          at-spi2-core python3-pyatspi ccache)
if [ "${1:-}" = --sanitizers ]; then packages+=(clang libclang-rt-14-dev); fi

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  run=()
elif command -v sudo >/dev/null 2>&1; then
  run=(sudo)
else
  echo "Please install as root: apt-get install ${missing[*]}" >&2
  exit 1
fi
"${run[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${run[@]}" apt-get install -y -qq "${missing[@]}"

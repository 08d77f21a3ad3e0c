#!/usr/bin/env bash
# The desktop entry and the AppStream metadata as software centres read them.
#   metadata.sh SOURCE_DIR VERSION APPSTREAM_ID
set -euo pipefail
source_dir=$1 version=$2 id=$3
metainfo=$source_dir/resources/vexorin.metainfo.xml
desktop=$source_dir/resources/vexorin.desktop

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"

value() { sed -n "s#.*<$1[^>]*>\(.*\)</$1>.*#\1#p" "$metainfo"; }
[ "$(value id)" = "$id" ] || fail "the metadata's id is $(value id), the installed file is named $id"
[ "$(value launchable)" = "$(basename "$desktop")" ] || fail "the metadata launches $(value launchable)"
grep -qE "<release version=\"$version\"" "$metainfo" || fail "no release of version $version"
grep -qx 'Exec=vexorin' "$desktop" || fail "the desktop entry does not start vexorin"

# Each screenshot is a committed file, published at the address the metadata gives.
images=$(value image)
[ -n "$images" ] || fail "no screenshots"
for url in $images; do
  file=$source_dir/${url#*/main/}
  [ -f "$file" ] || fail "$url: no $file in the tree"
  [ "$(head -c 8 "$file" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$file is not a PNG"
done

#!/bin/sh
# Makes the metafile fixtures with LibreOffice: each SVG drawing of this folder becomes an EMF
# (what our converter plays) and LibreOffice's own PDF of the same drawing (what the test
# compares our rendering with). With --check, remakes the metafiles in a scratch folder and
# compares them with the committed ones.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$here
if [ "${1:-}" = "--check" ]; then
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
fi
profile=$(mktemp -d)
for svg in "$here"/*.svg; do
  name=$(basename "$svg" .svg)
  HOME=$profile soffice --headless --convert-to emf --outdir "$out" "$svg" >/dev/null 2>&1
  if [ "$out" = "$here" ]; then
    HOME=$profile soffice --headless --convert-to pdf:draw_pdf_Export --outdir "$out/lo" "$svg" >/dev/null 2>&1
  elif ! cmp -s "$out/$name.emf" "$here/$name.emf"; then
    echo "$name.emf differs from what LibreOffice makes now"
    rm -rf "$profile"
    exit 1
  fi
done
rm -rf "$profile"
echo "metafile fixtures: ok"

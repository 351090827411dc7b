#!/bin/sh
# Makes the metafile fixtures with LibreOffice: each SVG drawing of this folder becomes an EMF
# (what our converter plays) and LibreOffice's own PDF of the same drawing (what the test
# compares our rendering with). With --check, remakes the metafiles in a scratch folder and
# compares them with the committed ones by what the tests use (emf_records.py): the drawing, not
# the bytes that the machine's fonts decide. The SVG import needs LibreOffice Draw, and the text
# drawing the face AR PL UMing (fonts-arphic-uming); a conversion that writes nothing fails with
# LibreOffice's own output.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=$here
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
if [ "${1:-}" = "--check" ]; then
  out=$scratch/made
  mkdir "$out"
fi
if ! command -v soffice >/dev/null; then
  echo "soffice is not installed (scripts/setup installs LibreOffice)"
  exit 1
fi
if ! fc-list | grep -q "AR PL UMing"; then
  echo "the face AR PL UMing is not installed (fonts-arphic-uming)"
  exit 1
fi
convert() {  # convert FILTER OUTDIR SVG EXPECTED
  rm -f "$4"
  if ! HOME=$scratch/profile soffice --headless --convert-to "$1" --outdir "$2" "$3" >"$scratch/log" 2>&1 ||
    ! [ -s "$4" ]; then
    echo "LibreOffice did not convert $(basename "$3") to $1 (is libreoffice-draw installed?):"
    cat "$scratch/log"
    exit 1
  fi
}
for svg in "$here"/*.svg; do
  name=$(basename "$svg" .svg)
  convert emf "$out" "$svg" "$out/$name.emf"
  if [ "$out" = "$here" ]; then
    convert pdf:draw_pdf_Export "$out/lo" "$svg" "$out/lo/$name.pdf"
  elif ! /usr/bin/python3 "$here/emf_records.py" "$here/$name.emf" "$out/$name.emf"; then
    echo "$name.emf differs from what LibreOffice makes now"
    exit 1
  fi
done
echo "metafile fixtures: ok"

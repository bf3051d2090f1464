#!/bin/sh
# Renders the scalable icon into the PNG sizes the hicolor theme and the
# window use: data/icons/hicolor/NxN/apps/<id>.png. Needs rsvg-convert
# (Debian's librsvg2-bin). Run it after changing the SVG and commit the PNGs;
# with --check it renders into a temporary folder and fails when a committed
# PNG differs from its render.
set -eu
cd "$(dirname "$0")"
id=io.github.terravel.Terravel
sizes="16 24 32 48 64 128 256"
out=hicolor
if [ "${1:-}" = --check ]; then
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
fi
for n in $sizes; do
  mkdir -p "$out/${n}x$n/apps"
  rsvg-convert --width "$n" --height "$n" --format png \
    --output "$out/${n}x$n/apps/$id.png" "$id.svg"
done
if [ "$out" != hicolor ]; then
  for n in $sizes; do
    cmp -s "$out/${n}x$n/apps/$id.png" "hicolor/${n}x$n/apps/$id.png" || {
      echo "hicolor/${n}x$n/apps/$id.png differs from its render: run data/icons/render.sh" >&2
      exit 1
    }
  done
  echo "every PNG icon matches its render of $id.svg"
fi

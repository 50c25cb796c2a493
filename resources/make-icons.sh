#!/bin/sh
# Renders the program icon (icons/jobforge3.svg) at the sizes installed into
# the hicolor icon theme and compiled into the editor. The results are
# committed; run again from this folder after changing the drawing.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -eu
cd "$(dirname "$0")/icons"
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" jobforge3.svg -o "jobforge3-$size.png"
done

#!/bin/sh
# Repaints the tool icons in resources/images from iconpainter.cpp.
# Usage: resources/tools/make_icons.sh [contact-sheet.png]
set -e
here="$(cd "$(dirname "$0")" && pwd)"
build="$(mktemp -d)"
trap 'rm -rf "$build"' EXIT
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" >/dev/null
QT_QPA_PLATFORM=offscreen "$build/iconpainter" "$here/../images" "$@"

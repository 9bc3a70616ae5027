#!/usr/bin/env bash
# Makes the README's screenshots from the running demo program on a virtual display:
#   docs/main_window.png      the main window (with the demo bench control beside it)
#   docs/connection_test.png  the connection test window after one run on the demo adapter
# Needs Xvfb (scripts/setup.sh installs it) and ImageMagick's import (installed here).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v import >/dev/null 2>&1; then
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends imagemagick
  else
    echo "Needs ImageMagick. Run as root: apt-get install -y imagemagick" >&2
    exit 1
  fi
fi
# TARVEX_DEMO names an already built demo program; otherwise it is built into build/.
demo=${TARVEX_DEMO:-}
if [ -z "$demo" ]; then
  scripts/setup.sh build
  demo=build/app/tarvex-demo
fi

display_number=97
while [ -e "/tmp/.X${display_number}-lock" ]; do display_number=$((display_number + 1)); done
export DISPLAY=":${display_number}"
unset QT_QPA_PLATFORM
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
demo_pid=""
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# Captures the window with that title once it is there and has been painted (at most 20 s).
capture() {
  local title=$1 out=$2
  for _ in $(seq 1 40); do
    # import waits for a mouse click when the window is missing: keep each try short.
    if timeout 5 import -window "$title" "$out" 2>/dev/null; then
      sleep 1
      timeout 5 import -window "$title" "$out"
      echo "wrote $out"
      return 0
    fi
    sleep 0.5
  done
  echo "no window titled '$title' appeared" >&2
  return 1
}

mkdir -p docs
"$demo" & demo_pid=$!
capture "Tarvex  VER4.7  22/11/2015 English" docs/main_window.png
kill "$demo_pid"; wait "$demo_pid" 2>/dev/null || true

"$demo" --show-connection-test & demo_pid=$!
capture "Test vcom port and device" docs/connection_test.png
kill "$demo_pid"; wait "$demo_pid" 2>/dev/null || true
demo_pid=""

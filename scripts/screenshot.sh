#!/usr/bin/env bash
# Takes docs/screenshot.png: the program in server mode under Xvfb while a few scripted users chat.
# Usage: scripts/screenshot.sh [build-dir]   (needs xvfb and imagemagick: apt-get install them)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
port=18905
display=:97
data=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$data"' EXIT

printf '[Prefs]\r\nUserName = Operator\r\nHost = 127.0.0.1\r\nPort = %s\r\nColor = 11141120\r\nServerMode = 1\r\nTraceWhisper = 1\r\nWinPos = 1\r\nWinPosX = 0\r\nWinPosY = 0\r\nWinWidth = 700\r\nWinHeight = 420\r\nBalloonTips = 1\r\n' \
  "$port" > "$data/Talvoro.ini"

Xvfb "$display" -screen 0 700x420x24 -nolisten tcp &
sleep 1
DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/talvoro" "$data" &
for _ in $(seq 100); do
  grep -q "Running as SERVER" "$data/Talvoro.log" 2>/dev/null && break
  sleep 0.1
done
scripts/chat_bots.py "$port" 6 &
sleep 5
mkdir -p docs
DISPLAY=$display import -window root docs/screenshot.png
echo "wrote docs/screenshot.png"

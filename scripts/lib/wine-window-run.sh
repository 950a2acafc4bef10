#!/usr/bin/env bash
# One run of the real quarnel.exe under Wine, as a user would start it: the
# sample folders and picture archive beside it, the window lists the critters
# (their names written into temp) and loads the first with its picture (taken
# out into temp); Alt+F4 closes the window, which removes its temp folder.
# Afterwards the critter is checked: unchanged and read-only again. (Edits and
# saves through the real window are the Qt Test programs' part.)
# Needs an X display, xdotool and xwininfo; scripts/lib/wine-tests.sh calls it
# with the Wine prefix and user of the test run. It leaves a screenshot of
# the window (quarnel-wine.png) in the run folder.
# Usage: wine-window-run.sh BUILD_FOLDER [command prefix to run Wine with...]
# Exit status: non-zero when any step fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$1
shift
run=("$@")

folder=$build/wine-window-run
rm -rf "$folder"
mkdir -p "$folder"
cp "$build/app/quarnel.exe" "$folder/"
cp -r sample/FO1 sample/FO2 sample/frm_critters.zip "$folder/"
chmod -R u+w "$folder"
if [ ${#run[@]} -gt 0 ]; then chown -R --reference="$WINEPREFIX" "$folder"; fi

fail() { echo "window run: $*" >&2; exit 1; }
critter=$(find "$folder/FO2" -maxdepth 1 -iname '*.pro' -printf '%f\n' | LC_ALL=C sort | head -1)
[ -n "$critter" ] || fail "no critter in sample/FO2"
original=$(mktemp)
trap 'rm -f "$original"' EXIT
cp "$folder/FO2/$critter" "$original"

# In a Wine desktop of the screen's size: with no window manager on the
# display, Wine then draws the window's frame and title itself.
(cd "$folder" && exec "${run[@]}" wine explorer /desktop=quarnel,1280x1024 quarnel.exe >"$folder/wine.log" 2>&1) &
program=$!
stop() { kill "$program" 2>/dev/null || true; }

window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Quarnel by Vostrik' | head -1) ||
  { stop; fail "no window within 2 minutes"; }
# Start-up: the list is filled (its names written into temp) and the first
# critter's picture is taken out of the archive.
for attempt in $(seq 30); do
  [ -f "$folder/temp/tmp.txt" ] && ls "$folder/temp/"*.gif >/dev/null 2>&1 && break
  sleep 1
done
[ -f "$folder/temp/tmp.txt" ] || { stop; fail "no name list in temp"; }
ls "$folder/temp/"*.gif >/dev/null 2>&1 || { stop; fail "no picture taken out into temp"; }
sleep 2
import -window root "$folder/quarnel-wine.png" || echo "warning: no screenshot" >&2

# Alt+F4 closes the window, as the user would; it removes its temp folder.
xdotool key --window "$window" alt+F4
for attempt in $(seq 60); do
  [ -e "$folder/temp" ] || break
  sleep 1
done
for attempt in $(seq 30); do
  xdotool search --onlyvisible --name '^Quarnel by Vostrik' >/dev/null 2>&1 || break
  sleep 1
done
stop
wait "$program" 2>/dev/null || true

[ ! -e "$folder/temp" ] || fail "the temp folder is still there after closing"
# Loading and closing leave the critter's bytes as they were, and the file
# read-only (the Windows attribute is the missing write bits here).
cmp -s "$original" "$folder/FO2/$critter" || fail "$critter changed without an edit"
[ -z "$(find "$folder/FO2/$critter" -perm /222)" ] || fail "$critter was left writable"
echo "window run: quarnel.exe listed the sample critters, loaded $critter with its picture and closed, removing its temp folder"

#!/usr/bin/env bash
# One run of the real quarnel.exe under Wine, as a user would start it: the
# sample folders and picture archive beside it, the window lists the critters
# (their names written into temp) and loads the first with its picture (taken
# out into temp); a click into ST's extra field, 3 typed and F2 save an edit;
# Alt+F4 closes the window, which removes its temp folder. Afterwards the
# critter is checked byte by byte: the edit and the values the game's rules
# derive from it are stored, nothing else changed, and the file is read-only
# again.
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
expected=$(mktemp)
trap 'rm -f "$original" "$expected"' EXIT
cp "$folder/FO2/$critter" "$original"
# A 32-bit big-endian field of a file, read and written.
field() { od -An -tu1 -j"$2" -N4 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }'; }
put_field() {
  printf "$(printf '\\%03o' $(($3 >> 24 & 255)) $(($3 >> 16 & 255)) $(($3 >> 8 & 255)) $(($3 & 255)))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
[ "$(field "$original" 76)" = 32 ] || fail "the sample critter is not the one this run expects (hit points 32)"

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

# The edit. Wine ignores events sent to a window (xdotool --window); input
# through XTEST reaches the window of the Wine desktop that has the X focus.
# ST's extra field lies at a fixed place in the window's fixed layout.
desktop=$(xdotool search --name '^quarnel - Wine desktop$' | head -1)
[ -n "$desktop" ] || { stop; fail "no Wine desktop window"; }
xdotool windowfocus "$desktop"
left=$(xwininfo -id "$window" | sed -n 's/^ *Absolute upper-left X: *//p')
top=$(xwininfo -id "$window" | sed -n 's/^ *Absolute upper-left Y: *//p')
xdotool mousemove $((left + 725)) $((top + 79)) click 1
sleep 0.5
xdotool key ctrl+a
xdotool type 3
sleep 0.5
xdotool key F2
for attempt in $(seq 30); do
  cmp -s "$original" "$folder/FO2/$critter" || break
  sleep 1
done
sleep 1
import -window root "$folder/quarnel-wine-saved.png" || echo "warning: no screenshot" >&2

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
# The saved critter: ST 5 + 3 gives the base hit points 15 + ST + 2 EN = 35,
# melee damage ST - 5 = 3 and carry weight 25 + 25 ST = 225, each a 32-bit
# big-endian field; every other byte is as it was. The file is read-only again
# (the Windows attribute is the missing write bits here).
cp "$original" "$expected"
put_field "$expected" 76 35    # hit points
put_field "$expected" 92 3     # melee damage
put_field "$expected" 96 225   # carry weight
put_field "$expected" 188 3    # ST extra
if ! cmp -s "$expected" "$folder/FO2/$critter"; then
  cmp -l "$expected" "$folder/FO2/$critter" | head -20 >&2 || true
  fail "$critter does not hold the edit as expected (offset+1, expected, found: octal)"
fi
[ -z "$(find "$folder/FO2/$critter" -perm /222)" ] || fail "$critter was left writable"
echo "window run: quarnel.exe listed the sample critters, loaded $critter with its picture, saved ST extra 3 (and the derived values) and closed, removing its temp folder"

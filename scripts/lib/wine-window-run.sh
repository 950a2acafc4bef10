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
#        QUARNEL_WINDOW_FOLDER=FOLDER wine-window-run.sh - [command prefix...]
# Exit status: non-zero when any step fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$1
shift
run=("$@")

# QUARNEL_WINDOW_FOLDER names a folder that already holds quarnel.exe and the
# sample folders (an unpacked release); else they are copied from the build.
if [ -n "${QUARNEL_WINDOW_FOLDER:-}" ]; then
  folder=$QUARNEL_WINDOW_FOLDER
else
  folder=$build/wine-window-run
  rm -rf "$folder"
  mkdir -p "$folder"
  cp "$build/app/quarnel.exe" "$folder/"
  cp -r sample/FO1 sample/FO2 sample/frm_critters.zip "$folder/"
fi
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
step="start-up"
trap 'status=$?; rm -f "$original" "$expected"; if [ $status -ne 0 ]; then stop; echo "window run: failed at step: $step" >&2; fi' EXIT

# Waits until a command succeeds, polling every half second; false after
# the deadline (seconds).
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.5
  done
}
# Wine may replace the X window of a Wine window (a new id) at any time, so
# the window is found again before every step, never kept from start-up.
quarnel_window() { xdotool search --onlyvisible --name '^Quarnel by Vostrik' 2>/dev/null | head -1; }
wine_desktop() { xdotool search --name '^quarnel - Wine desktop$' 2>/dev/null | head -1; }
window_there() { [ -n "$(quarnel_window)" ]; }
desktop_there() { [ -n "$(wine_desktop)" ]; }
# Runs one step of input; when it fails (the window was not there yet, or
# was replaced under it), waits for the window again and retries once.
run_step() {
  step=$1
  shift
  "$@" && return 0
  echo "window run: step '$step' failed once, retrying" >&2
  wait_for 30 window_there || fail "step '$step': the window is gone"
  "$@" || fail "step '$step' failed twice"
}
# Input through XTEST to the focused window of the Wine desktop: Wine ignores
# events sent to a window (xdotool --window uses XSendEvent).
focus_desktop() {
  local desktop
  desktop=$(wine_desktop)
  [ -n "$desktop" ] || return 1
  xdotool windowfocus "$desktop" 2>/dev/null
}
# ST's extra field lies at a fixed place in the window's fixed layout,
# measured from the window's origin as xwininfo reports it.
click_st_extra() {
  local window left top
  window=$(quarnel_window)
  [ -n "$window" ] || return 1
  focus_desktop || return 1
  left=$(xwininfo -id "$window" 2>/dev/null | sed -n 's/^ *Absolute upper-left X: *//p')
  top=$(xwininfo -id "$window" 2>/dev/null | sed -n 's/^ *Absolute upper-left Y: *//p')
  [ -n "$left" ] && [ -n "$top" ] || return 1
  xdotool mousemove $((left + 725)) $((top + 79)) click 1
}
type_keys() {
  window_there || return 1
  focus_desktop || return 1
  xdotool "$@"
}
names_and_picture() { [ -f "$folder/temp/tmp.txt" ] && ls "$folder/temp/"*.gif >/dev/null 2>&1; }
saved() { ! cmp -s "$original" "$folder/FO2/$critter"; }
temp_removed() { [ ! -e "$folder/temp" ]; }
window_gone() { ! window_there; }

step="the window appears"
wait_for 120 window_there || fail "no window within 2 minutes"
# Start-up: the list is filled (its names written into temp) and the first
# critter's picture is taken out of the archive.
step="the list and the first picture"
wait_for 30 names_and_picture || fail "no name list or no picture in temp within 30 s"
sleep 2
import -window root "$folder/quarnel-wine.png" || echo "warning: no screenshot" >&2

# The edit: a click into ST's extra field, everything in it selected, 3
# typed and F2 pressed.
step="the Wine desktop"
wait_for 30 desktop_there || fail "no Wine desktop window"
run_step "click into ST's extra field" click_st_extra
sleep 0.5
run_step "select the field's text" type_keys key ctrl+a
run_step "type 3" type_keys type 3
sleep 0.5
run_step "press F2 to save" type_keys key F2
step="the save"
wait_for 30 saved || fail "the critter file did not change within 30 s of F2"
sleep 1
import -window root "$folder/quarnel-wine-saved.png" || echo "warning: no screenshot" >&2

# Alt+F4 closes the window, as the user would; it removes its temp folder.
run_step "press Alt+F4 to close" type_keys key alt+F4
step="closing"
wait_for 60 temp_removed || fail "the temp folder is still there 60 s after Alt+F4"
wait_for 30 window_gone || fail "the window is still open 30 s after Alt+F4"
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

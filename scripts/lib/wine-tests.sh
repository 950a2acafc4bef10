#!/usr/bin/env bash
# Runs every test program (test_*.exe) of a Windows build folder under Wine:
# doctest programs and Qt Test programs (those on the offscreen platform).
# scripts/test-windows starts it under xvfb-run. Started as root, Wine runs as
# the unprivileged test user, so that read-only files really refuse writes.
# QUARNEL_WINE_TESTS=test_window_* (a file pattern) runs only those programs.
# Exit status: non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$1
start=$SECONDS

prefix=$build/wineprefix
rm -rf "$prefix"
mkdir -p "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

run=()
if [ "$(id -u)" -eq 0 ] && [ "${QUARNEL_TESTS_AS_ROOT:-}" != 1 ]; then
  . scripts/lib/test-user.sh
  open_path "$build"
  open_path tests
  open_path sample
  open_path ../shared/testdata
  chown -R "$test_user:$test_user" "$prefix"
  chmod -R o+rX "$build"
  # The display's key, for the test user (xvfb-run's own copy is root's alone).
  xauthority=""
  if [ -n "${XAUTHORITY:-}" ] && [ -f "$XAUTHORITY" ]; then
    xauthority=$run_dir/home/.Xauthority
    cp "$XAUTHORITY" "$xauthority"
    chown "$test_user:$test_user" "$xauthority"
  fi
  run=(setpriv --reuid="$test_user" --regid="$test_user" --clear-groups --
       env HOME="$run_dir/home" TMPDIR="$run_dir/tmp" XDG_RUNTIME_DIR="$run_dir/runtime"
       ${xauthority:+XAUTHORITY="$xauthority"})
fi

"${run[@]}" wine wineboot --init >/dev/null 2>&1 || true
# Wine does not hand QT_* variables of the shell to a Windows program; the
# prefix's own environment does. The Qt Test programs run on the offscreen
# platform, as on Linux, with the same DejaVu fonts (that platform reads font
# files from a folder), and print to the pipe rather than to a debugger.
fonts=/usr/share/fonts/truetype/dejavu
fonts="Z:${fonts//\//\\}"  # Wine's drive Z: is the root folder
for setting in QT_QPA_PLATFORM=offscreen QT_FORCE_STDERR_LOGGING=1 "QT_QPA_FONTDIR=$fonts"; do
  "${run[@]}" wine reg add 'HKCU\Environment' /v "${setting%%=*}" /d "${setting#*=}" /f >/dev/null 2>&1
done
# One wine server for the whole run: left to itself it exits a few seconds
# after each program, and a program starting just then loses its connection.
"${run[@]}" wineserver -p >/dev/null 2>&1 || true

passed=0
failed=0
skipped=0
status=0
while IFS= read -r program; do
  echo "== $(basename "$program")"
  log=$(mktemp)
  if (cd "$(dirname "$program")" && "${run[@]}" timeout 600 wine "$program" 2>&1) >"$log"; then
    result=0
  else
    result=1
    status=1
  fi
  # The failing cases in full; else the summary and any case skipped.
  if [ $result -ne 0 ]; then
    cat "$log"
  else
    grep '^\[doctest\]\|^skipped:\|^SKIP\|^Totals:' "$log" || cat "$log"
  fi
  # doctest: "[doctest] test cases: N | P passed | F failed | S skipped";
  # Qt Test: "Totals: P passed, F failed, S skipped, ...".
  cases=$(sed -n -e 's/^\[doctest\] test cases: *[0-9]* | *\([0-9]*\) passed | *\([0-9]*\) failed\( | *\([0-9]*\) skipped\)\?.*/\1 \2 \4/p' \
                 -e 's/^Totals: \([0-9]*\) passed, \([0-9]*\) failed, \([0-9]*\) skipped.*/\1 \2 \3/p' "$log" | tail -1)
  if [ -n "$cases" ]; then
    read -r p f s <<<"$cases"
    passed=$((passed + p))
    failed=$((failed + f))
    skipped=$((skipped + ${s:-0}))
    if [ $result -ne 0 ] && [ "$f" -eq 0 ]; then failed=$((failed + 1)); fi
  elif [ $result -ne 0 ]; then
    failed=$((failed + 1))
  fi
  rm -f "$log"
done < <(find "$build/tests" -name "${QUARNEL_WINE_TESTS:-test_*}.exe" | sort)

# The real program, started as a user would, beside the sample folders.
if [ -f "$build/app/quarnel.exe" ]; then
  echo "== quarnel.exe"
  # On the Windows platform, as a user starts it.
  "${run[@]}" wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d windows /f >/dev/null 2>&1
  if scripts/lib/wine-window-run.sh "$build" ${run[@]+"${run[@]}"} 2>&1 | grep -v '^XGetInputFocus'; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    status=1
  fi
fi

"${run[@]}" wineserver -k >/dev/null 2>&1 || true
echo "windows: $passed passed, $failed failed, $skipped skipped (tests ran $((SECONDS - start)) s)"
exit $status

# Sourced by scripts/test-windows: makes the static Qt for Windows (MinGW-w64)
# ready in its cache folder, outside the checkout, and reuses it once there.
# The ready copy in ../shared/toolchains is unpacked when its checksum matches;
# without it, or with QUARNEL_QT_FROM_SOURCE=1, scripts/build-qt-windows
# builds the same Qt from Debian's source. The cmake toolchain file
# (cmake/mingw-w64-x86_64.cmake) looks in the same folder.

qt_windows_version=6.4.2
qt_windows_dir=$(realpath -m "${QUARNEL_QT_WINDOWS:-$HOME/.cache/quarnel/qt-$qt_windows_version-mingw64}")
qt_windows_ready=../shared/toolchains/qt6-mingw64-static-$qt_windows_version.tar.xz
# A folder counts only once complete: it is filled beside its place and
# renamed into it, and this file names where it came from.
qt_windows_stamp=$qt_windows_dir/quarnel-qt-origin

qt_windows_origin() { cat "$qt_windows_stamp" 2>/dev/null || true; }

# Unpacks the ready copy; fails (leaving nothing behind) when it is missing
# or its checksum does not match.
qt_windows_unpack() {
  local sums expected actual partial start
  [ -f "$qt_windows_ready" ] || return 1
  sums=$(dirname "$qt_windows_ready")/SHA256SUMS
  expected=$(awk -v f="$(basename "$qt_windows_ready")" '$2 == f || $2 == "*" f { print $1 }' "$sums" 2>/dev/null)
  actual=$(sha256sum "$qt_windows_ready" | cut -d' ' -f1)
  if [ -z "$expected" ] || [ "$expected" != "$actual" ]; then
    echo "warning: $qt_windows_ready does not match its SHA256SUMS; not used" >&2
    return 1
  fi
  start=$SECONDS
  partial=$qt_windows_dir.partial.$$
  rm -rf "$partial"
  mkdir -p "$partial"
  if ! tar -C "$partial" -xJf "$qt_windows_ready"; then
    rm -rf "$partial"
    return 1
  fi
  echo "ready $actual" >"$partial/quarnel-qt-origin"
  rm -rf "$qt_windows_dir"
  mv "$partial" "$qt_windows_dir"
  echo "Qt for Windows unpacked into $qt_windows_dir in $((SECONDS - start)) s"
}

# Leaves a complete Qt in $qt_windows_dir. Fails when it can be neither
# unpacked nor built: a run that silently left the window out would pass
# without testing it.
qt_windows_prepare() {
  local origin
  origin=$(qt_windows_origin)
  if [ "${QUARNEL_QT_FROM_SOURCE:-}" = 1 ]; then
    case $origin in
      source*) echo "Qt for Windows (built from source): $qt_windows_dir"; return 0 ;;
    esac
  elif [ -n "$origin" ]; then
    echo "Qt for Windows ($origin): $qt_windows_dir"
    return 0
  else
    qt_windows_unpack && return 0
  fi
  scripts/build-qt-windows || { echo "Qt for Windows could not be built" >&2; return 1; }
}

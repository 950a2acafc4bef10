# Sourced by scripts/test and scripts/test-windows: an unprivileged system user
# for the test runs started as root (root may write a read-only file, so only
# an unprivileged run shows that the read-only attribute is really restored).

test_user=quarnel-tests
if ! id -u "$test_user" >/dev/null 2>&1; then
  # Another run may be creating it at the same moment (the user files are locked).
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    useradd --system --user-group --no-create-home --home-dir /nonexistent \
      --shell /usr/sbin/nologin "$test_user" 2>/dev/null && break
    id -u "$test_user" >/dev/null 2>&1 && break
    sleep 1
  done
fi
as_test_user() { setpriv --reuid="$test_user" --regid="$test_user" --clear-groups -- "$@"; }

run_dir=$(mktemp -d /tmp/quarnel-tests.XXXXXX)
opened=()
cleanup() {
  for dir in ${opened[@]+"${opened[@]}"}; do chmod o-x "$dir" || true; done
  rm -rf "$run_dir"
}
trap cleanup EXIT
mkdir -p "$run_dir/home" "$run_dir/tmp" "$run_dir/runtime"
chmod 700 "$run_dir/runtime"
chown -R "$test_user:$test_user" "$run_dir"

# Search permission on every folder from / down to each path the tests read.
open_path() {
  local path dir
  path=$(realpath -m "$1")
  local parts=()
  dir=$path
  while [ "$dir" != / ]; do parts=("$dir" ${parts[@]+"${parts[@]}"}); dir=$(dirname "$dir"); done
  for dir in ${parts[@]+"${parts[@]}"}; do
    [ -d "$dir" ] || break
    if ! as_test_user test -x "$dir"; then
      if chmod o+x "$dir" 2>/dev/null; then
        opened+=("$dir")
      else
        echo "warning: $test_user cannot enter $dir; the tests that need it will fail or skip" >&2
        break
      fi
    fi
  done
}

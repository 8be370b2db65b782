# What the shell drivers share; each sources it first:
#   source "$(dirname "${BASH_SOURCE[0]}")/test_lib.sh"
# need CMD...        skips the driver (status 77) where a command is missing
# start_in DIR       works in DIR, emptied first
# fail MESSAGE       says a check failed and counts it; the driver goes on
# ff ARGS...         ffmpeg, quiet; the driver stops where it cannot make its input
# finish TEXT        TEXT and status 0 when no check failed, else the count and 1
set -u
failures=0

need() {
  local t
  for t in "$@"; do
    command -v "$t" > /dev/null || { echo "no $t: skipped" >&2; exit 77; }
  done
}

start_in() {
  rm -rf "$1" && mkdir -p "$1" && cd "$1" || exit 1
}

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

ff() { ffmpeg -v error -nostdin -y "$@" || { echo "ffmpeg $* failed" >&2; exit 1; }; }

finish() {
  if [ "$failures" = 0 ]; then
    echo "$1"
  else
    echo "$failures failures" >&2
    exit 1
  fi
}

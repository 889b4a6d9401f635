# Shared by the benchmarks that run against quillan-office (sourced, not run):
#   bench_needs BIN TOOL... / bench_needs_commands CMD...  stop with code 2 when something is missing
#   bench_work NAME        a private work folder under /tmp in $work, removed (and the office
#                          stopped) when the script ends
#   bench_office ROOT ARGS start quillan-office on ROOT; sets $server to its address
#   ms CMD...              the command's wall time in milliseconds (its output dropped)
bench_needs() {
  local bin=$1 tool
  shift
  for tool in "$@"; do
    [ -x "$bin/$tool" ] || { echo "missing $bin/$tool (build it first)" >&2; exit 2; }
  done
}
bench_needs_commands() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "missing $tool (tools/install-deps.sh)" >&2; exit 2; }
  done
}
bench_work() {
  work=$(mktemp -d "/tmp/$1.XXXXXX")
  office_pid=
  trap bench_cleanup EXIT
}
bench_cleanup() {
  [ -n "$office_pid" ] && kill "$office_pid" 2>/dev/null && wait "$office_pid" 2>/dev/null
  rm -rf "$work"
}
bench_office() {
  "$bin/quillan-office" "$@" --port-file "$work/port" > /dev/null &
  office_pid=$!
  for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.05; done
  [ -s "$work/port" ] || { echo "quillan-office did not start" >&2; exit 1; }
  server="http://127.0.0.1:$(cat "$work/port")/"
}
ms() { local s e; s=$(date +%s%N); "$@" > /dev/null 2>&1 || true; e=$(date +%s%N); echo $(((e - s) / 1000000)); }

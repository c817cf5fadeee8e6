#!/usr/bin/env bash
# The launcher's handling of the session's quote service, tried on a copy of
# an unpacked package whose viewer is replaced by a stand-in. check-package
# runs this in a network namespace of its own, so the service's fixed port is
# free whatever else runs on the machine.
set -euo pipefail
root=${1:?usage: launcher_checks.sh UNPACKED_ROOT SCRATCH_DIR}
scratch=${2:?usage: launcher_checks.sh UNPACKED_ROOT SCRATCH_DIR}
ip link set lo up

tree=$scratch/tree
mkdir -p "$scratch"
cp -a "$root" "$tree"
launcher=$tree/usr/bin/quoteview
service=$(readlink -f "$tree/usr/bin/quote-service")
export STAND_IN_LOG=$scratch/viewer.log
cat >"$tree/usr/lib/quoteview/quoteview" <<'EOF'
#!/bin/bash
# Stands in for the viewer: notes whether the service answers and the
# arguments it was given, then ends with the status asked for.
if (exec 3<>/dev/tcp/127.0.0.1/18080) 2>/dev/null; then state=answering; else state=silent; fi
echo "$state $*" >"$STAND_IN_LOG"
if [ -n "${STAND_IN_WAIT:-}" ]; then
  sleep "$STAND_IN_WAIT" &
  trap 'kill $!; echo terminated >>"$STAND_IN_LOG"; exit 143' TERM
  wait $!
fi
exit "${STAND_IN_STATUS:-0}"
EOF

fail() {
  echo "launcher check: $*" >&2
  exit 1
}
answers() { (exec 3<>/dev/tcp/127.0.0.1/18080) 2>/dev/null; }
# The processes running this tree's service, found by their program file.
service_processes() {
  local exe
  for exe in /proc/[0-9]*/exe; do
    [ "$(readlink "$exe" 2>/dev/null)" = "$service" ] && echo "${exe//[^0-9]/}"
  done
  return 0
}
expect_log() {
  local line
  line=$(head -n1 "$STAND_IN_LOG")
  [ "$line" = "$1" ] || fail "$2: the viewer saw \"$line\", expected \"$1\""
}
expect_no_service() {
  ! answers || fail "$1: something still answers on the port"
  [ -z "$(service_processes)" ] || fail "$1: a quote-service is still running"
}
run_launcher() {
  rm -f "$STAND_IN_LOG"
  status=0
  timeout 60 env "$@" || status=$?
}

echo "-- nothing answers: the service runs for the session only"
run_launcher STAND_IN_STATUS=7 "$launcher" first "second word"
[ "$status" = 7 ] || fail "the viewer's status 7 came back as $status"
expect_log "answering first second word" "session service"
expect_no_service "after the session"

echo "-- the user named another quote or chart service: nothing is started"
run_launcher QUOTEVIEW_QUOTE_PREFIX=http://127.0.0.1:9/q= "$launcher"
[ "$status" = 0 ] || fail "status $status with a quote prefix"
expect_log "silent " "quote prefix set"
run_launcher QUOTEVIEW_CHART_PREFIX=http://127.0.0.1:9/quotepic/10082333/ "$launcher"
expect_log "silent " "chart prefix set"
expect_no_service "with a prefix set"

echo "-- a service already answers: it is used and left running"
QT_QPA_PLATFORM=offscreen "$service" --port 18080 >/dev/null &
own_service=$!
for _ in $(seq 100); do answers && break; sleep 0.1; done
answers || fail "the check's own quote-service did not start"
run_launcher "$launcher"
expect_log "answering " "service already running"
kill -0 "$own_service" 2>/dev/null && answers || fail "the launcher stopped a service it did not start"
[ "$(service_processes)" = "$own_service" ] || fail "the launcher started a second service"
kill -TERM "$own_service"
wait "$own_service" || true

echo "-- a stop signal reaches the viewer, and the service stops too"
rm -f "$STAND_IN_LOG"
STAND_IN_WAIT=60 "$launcher" &
launcher_pid=$!
for _ in $(seq 100); do [ -s "$STAND_IN_LOG" ] && break; sleep 0.1; done
expect_log "answering " "before the stop signal"
kill -TERM "$launcher_pid"
status=0
wait "$launcher_pid" || status=$?
[ "$status" = 143 ] || fail "the stopped viewer's status 143 came back as $status"
grep -qx terminated "$STAND_IN_LOG" || fail "the viewer was not stopped"
expect_no_service "after the stop signal"

echo "-- a service that cannot start: the viewer still runs"
mv "$service" "$service.real"
printf '#!/bin/sh\necho "cannot listen" >&2\nexit 1\n' >"$service"
chmod +x "$service"
run_launcher STAND_IN_STATUS=3 "$launcher" 2>"$scratch/launcher.err"
mv "$service.real" "$service"
[ "$status" = 3 ] || fail "the viewer's status 3 came back as $status"
expect_log "silent " "failed service"
grep -q "quote-service did not start" "$scratch/launcher.err" || fail "no word of the failed service"

echo "launcher checks passed"

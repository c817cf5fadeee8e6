#!/bin/bash
# Starts the quote viewer. When the user has not pointed the viewer at another
# service and nothing answers on the stand-in service's port, the stand-in
# service is started for this session and stopped again when the viewer ends.
# The viewer's exit status is passed through.
set -u

readonly service_host=127.0.0.1
readonly service_port=18080
readonly wait_tenths=50 # at most five seconds to answer or to stop

# Both programs are found beside this script, so an unpacked tree runs as
# well as an installed one.
bin_dir=$(dirname "$(readlink -f "$0")")
viewer=$bin_dir/../lib/quoteview/quoteview
service=$bin_dir/quote-service

ServiceAnswers() {
  timeout 1 bash -c "exec 3<>/dev/tcp/$service_host/$service_port" 2>/dev/null
}

service_pid=
StopService() {
  [ -n "$service_pid" ] || return 0
  kill -TERM "$service_pid" 2>/dev/null
  # A service that does not stop within the bound is ended outright, so the
  # session never hangs on its way out.
  local tenths=0
  while kill -0 "$service_pid" 2>/dev/null && [ "$tenths" -lt "$wait_tenths" ]; do
    sleep 0.1
    tenths=$((tenths + 1))
  done
  kill -KILL "$service_pid" 2>/dev/null
  wait "$service_pid" 2>/dev/null
  service_pid=
}

StartService() {
  # The request log is of no use to a desktop session; errors still show.
  QT_QPA_PLATFORM=offscreen "$service" --host "$service_host" --port "$service_port" >/dev/null &
  service_pid=$!
  local tenths=0
  while [ "$tenths" -lt "$wait_tenths" ]; do
    ServiceAnswers && return 0
    if ! kill -0 "$service_pid" 2>/dev/null; then
      wait "$service_pid" 2>/dev/null
      service_pid=
      echo "quoteview: quote-service did not start" >&2
      return 1
    fi
    sleep 0.1
    tenths=$((tenths + 1))
  done
  echo "quoteview: quote-service did not answer within $((wait_tenths / 10)) seconds" >&2
  StopService
  return 1
}

trap StopService EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# An empty prefix counts as unset.
if [ -z "${QUOTEVIEW_QUOTE_PREFIX:-}" ] && [ -z "${QUOTEVIEW_CHART_PREFIX:-}" ] && ! ServiceAnswers; then
  # Without a service the viewer still opens, with empty columns.
  StartService
fi

# The viewer runs in the background so that a signal to this script reaches
# it at once instead of after the viewer has ended.
"$viewer" "$@" &
viewer_pid=$!
trap 'kill -TERM "$viewer_pid" 2>/dev/null' HUP INT TERM
status=0
wait "$viewer_pid" || status=$?
# A trapped signal interrupts the wait; wait again for the viewer's own status.
while kill -0 "$viewer_pid" 2>/dev/null; do
  status=0
  wait "$viewer_pid" || status=$?
done
exit "$status"

# Sourced by the demo and the link benchmark: runs one Vespira with a private pipe
# directory and settings, so it meets no other running copy and leaves the user's
# settings alone, and waits until its listener answers. Needs $vespira and $sim.

session_dir=$(mktemp -d /tmp/vespira-session.XXXXXX)
chmod 700 "$session_dir"
export VESPIRA_PIPE_DIR="$session_dir"
export XDG_CONFIG_HOME="$session_dir/config"
# Scan journals of the session go with it; a restarted session drops the scans of the
# run before instead of asking about them.
export XDG_STATE_HOME="$session_dir/state"
export VESPIRA_RECOVERY=discard

session_pid=
stop_session() {
  if [ -n "$session_pid" ]; then
    kill "$session_pid" 2>/dev/null || true
    wait "$session_pid" 2>/dev/null || true
  fi
  session_pid=
}
end_session() {
  stop_session
  rm -rf "$session_dir"
}
trap end_session EXIT

# start_session LOG: starts vespira, its output in LOG; fails when it ends early or its
# listener does not answer a CHECKPIPE within 30 s.
start_session() {
  "$vespira" /NOS >"$1" 2>&1 &
  session_pid=$!
  for _ in $(seq 1 30); do
    if ! kill -0 "$session_pid" 2>/dev/null; then
      echo "vespira ended early; see $1" >&2
      return 1
    fi
    if "$sim" send --connect-timeout 1 --reply-timeout 5 5 >/dev/null 2>&1; then
      return 0
    fi
  done
  echo "vespira's listener did not come up within 30 s" >&2
  return 1
}

# Sourced by the scripts that start the stand-in for the maker's server
# (tools/stand_in_server.py) beside Kestravin.
#
#   kv_start_stand_in PORT_FILE REQUEST_LOG SERVER_LOG
#
# Starts it in the background on a free port, serving build/stand-in-files,
# and waits up to 10 s for it to listen. Sets KV_STAND_IN_PID and
# KV_STAND_IN_URL (http://127.0.0.1:PORT). When it does not start, says so
# on stderr, ends it and returns 1: a caller that went on would point the
# program at a port where nothing answers.
# Needs KV_REPO (the repository root).

kv_start_stand_in() {
    local port_file="$1" requests="$2" server_log="$3"
    mkdir -p "$KV_REPO/build/stand-in-files"
    rm -f "$port_file"
    /usr/bin/python3 "$KV_REPO/tools/stand_in_server.py" --port 0 --port-file "$port_file" \
        --log "$requests" --files "$KV_REPO/build/stand-in-files" --lifetime 3600 \
        >"$server_log" 2>&1 </dev/null &
    KV_STAND_IN_PID=$!
    local _
    for _ in $(seq 100); do
        [[ -s "$port_file" ]] && break
        kill -0 "$KV_STAND_IN_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [[ ! -s "$port_file" ]]; then
        echo "the stand-in server did not start (see ${server_log#"$KV_REPO"/}):" >&2
        tail -n 5 "$server_log" >&2 || true
        kill "$KV_STAND_IN_PID" 2>/dev/null || true
        KV_STAND_IN_PID=""
        KV_STAND_IN_URL=""
        return 1
    fi
    KV_STAND_IN_URL="http://127.0.0.1:$(cat "$port_file")"
}

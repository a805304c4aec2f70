# Sourced by the benchmarks that need a player with a large library stored.
#   prepare_player FILES PORT   builds the player, generates (once, then cached in /tmp) a
#                               library of FILES songs and scans it into a fresh settings
#                               folder $work, letting every tag be read; the player is stopped
#                               again afterwards
#   prepare_settings PORT       builds the player and makes the fresh settings folder $work
#                               only (the player on the null output, nothing stored yet)
#   start_player LOG            starts it on that settings folder; its process id is $player
#   build_player, generated_library FOLDER FILES [options], new_work,
#   start_fresh_player NAME EXECUTABLE LIBRARY (a first scan's player)
#   wait_until_answering, wait_for_tags LOG, quit_player
#   sample_player NAME SECONDS  prints the player's CPU over SECONDS and its wake-ups (context
#                               switches) a second, in all and per thread name (threads that
#                               neither woke nor ran are left out)
# BENCH_BUILD (default build-bench) is the build folder; KEEP_WORK keeps $work for a look;
# BENCH_PORT, where a script takes it, moves its player off a port another run holds.
# Expects to run from the repository's top folder.

bench_build=${BENCH_BUILD:-build-bench}

answers() { curl -s -o /dev/null --max-time 1 "http://127.0.0.1:$port/test"; }
wait_until_answering() { until answers; do sleep 0.005; done; }

start_player() {
    "$work/program/velmorant" > "$1" 2>&1 &
    player=$!
}

quit_player() {
    curl -s -o /dev/null "http://127.0.0.1:$port/quit"
    wait "$player"
}

# The release player in $bench_build.
build_player() {
    cmake -S . -B "$bench_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORANT_BENCH=ON -DVELMORANT_TESTS=OFF >/dev/null
    cmake --build "$bench_build" --target velmorant >/dev/null
}

# generated_library FOLDER FILES [make-library options]: generated once, then kept in FOLDER.
generated_library() {
    local folder=$1 files=$2
    shift 2
    if [ ! -f "$folder/.complete" ]; then
        tools/make-library --clean --quiet "$@" --out "$folder" --files "$files"
        touch "$folder/.complete"
    fi
}

# A new settings folder $work, removed on exit, and the environment that makes it the player's.
new_work() {
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    export HOME=$work XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run VELMORANT_AUDIO=null
}

# start_fresh_player NAME EXECUTABLE LIBRARY: that executable on empty settings in $work,
# answering, with LIBRARY its music folder; its log is $work/NAME.log
start_fresh_player() {
    if answers; then
        echo "port $port answers already: another run holds it (set BENCH_PORT)" >&2
        exit 1
    fi
    rm -rf "$work/data" "$work/program" "$work/run"
    mkdir -p "$work/program" "$work/run"
    cp "$2" "$work/program/velmorant"
    cp -r "$bench_build/web" "$work/program/"
    echo "PORT=$port" > "$work/program/serversettings.ini"
    start_player "$work/$1.log"
    wait_until_answering
    curl -s -o /dev/null "http://127.0.0.1:$port/setuserpref&name=REPOSITORY_PATHS&value=$3"
}

prepare_settings() {
    port=$1
    build_player
    work=$(mktemp -d)
    [ -n "${KEEP_WORK:-}" ] && echo "work folder: $work" || trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/program" "$work/run"
    cp "$bench_build/velmorant" "$work/program/"
    cp -r "$bench_build/web" "$work/program/"
    echo "PORT=$port" > "$work/program/serversettings.ini"
    export HOME=$work XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run VELMORANT_AUDIO=null
}

prepare_player() {
    local files=$1
    local library=/tmp/velmorant-bench-lib-$files
    generated_library "$library" "$files" --images
    prepare_settings "$2"

    start_player "$work/first.log"
    wait_until_answering
    curl -s -o /dev/null "http://127.0.0.1:$port/setuserpref&name=REPOSITORY_PATHS&value=$library"
    curl -s -o /dev/null "http://127.0.0.1:$port/scan"
    wait_for_tags "$work/first.log"
    quit_player
}

# wait_for_tags LOG: returns once every tag is read, that is once the main loop has stopped
# reporting in LOG what remains.
wait_for_tags() {
    sleep 3
    while [ $(( $(date +%s) - $(stat -c %Y "$1") )) -lt 3 ] || grep -q 'Scanning tags' <(tail -n 3 "$1"); do
        sleep 1
    done
}

# One line per thread: its id, name, nanoseconds on a core and context switches so far.
thread_figures() {
    for task in /proc/$player/task/*; do
        echo "${task##*/} $(tr -c 'A-Za-z0-9\n-' _ < "$task/comm") $(cut -d ' ' -f 1 "$task/schedstat")" \
             "$(awk '/ctxt_switches/ {s += $2} END {print s}' "$task/status")"
    done
}

sample_player() {
    thread_figures > "$work/threads.before"
    sleep "$2"
    thread_figures > "$work/threads.after"
    awk -v name="$1" -v s="$2" 'NR == FNR {ns[$1] = $3; n[$1] = $4; next}
        {cpu = $3 - ns[$1]; wakes = $4 - n[$1]; total += cpu; all += wakes
         byCpu[$2] += cpu; byWakes[$2] += wakes; threads[$2]++}
        END {printf "%s: CPU over %d s %.3f %% of a core, wake-ups %.1f per second in all threads (", name, s, total / s / 1e7, all / s
             sep = ""
             for (t in byWakes) {
                 if (byWakes[t] == 0 && byCpu[t] == 0) continue
                 printf "%s%s%s %.1f/s %.3f %%", sep, t, (threads[t] > 1 ? " x" threads[t] : ""), byWakes[t] / s, byCpu[t] / s / 1e7
                 sep = ", "
             }
             printf ")"}' "$work/threads.before" "$work/threads.after"
}

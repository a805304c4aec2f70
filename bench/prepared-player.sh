# Sourced by the benchmarks that need a player with a large library stored.
#   prepare_player FILES PORT   builds the player, generates (once, then cached in /tmp) a
#                               library of FILES songs and scans it into a fresh settings
#                               folder $work, letting every tag be read; the player is stopped
#                               again afterwards
#   start_player LOG            starts it on that settings folder; its process id is $player
#   build_player, generated_library FOLDER FILES [options], new_work,
#   start_fresh_player NAME EXECUTABLE LIBRARY (a first scan's player)
#   wait_until_answering, quit_player
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

prepare_player() {
    local files=$1
    port=$2
    build_player
    local library=/tmp/velmorant-bench-lib-$files
    generated_library "$library" "$files" --images

    work=$(mktemp -d)
    [ -n "${KEEP_WORK:-}" ] && echo "work folder: $work" || trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/program" "$work/run"
    cp "$bench_build/velmorant" "$work/program/"
    cp -r "$bench_build/web" "$work/program/"
    echo "PORT=$port" > "$work/program/serversettings.ini"
    export HOME=$work XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run VELMORANT_AUDIO=null

    start_player "$work/first.log"
    wait_until_answering
    curl -s -o /dev/null "http://127.0.0.1:$port/setuserpref&name=REPOSITORY_PATHS&value=$library"
    curl -s -o /dev/null "http://127.0.0.1:$port/scan"
    # The tags are all read once the main loop has stopped reporting what remains.
    sleep 3
    while [ $(( $(date +%s) - $(stat -c %Y "$work/first.log") )) -lt 3 ] || grep -q 'Scanning tags' <(tail -n 3 "$work/first.log"); do
        sleep 1
    done
    quit_player
}

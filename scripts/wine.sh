# Sourced by the scripts that run Windows programs through Wine. start_wine installs Wine where it
# is missing, makes the Wine prefix on a new machine, and starts one Wine server for all that
# follows, with Wine's own services started once, none of them holding a stream of ours: a test
# would otherwise leave them holding its pipes, and whoever waits for the test would wait for
# ever. stop_wine ends that server.
start_wine() {
    "$(dirname "${BASH_SOURCE[0]}")/install-deps.sh" wine64 wine
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=" # no offer to fetch Mono or Gecko into a new prefix
    wine wineboot --init </dev/null >/dev/null 2>&1 # creates the Wine prefix on a new machine
    wineserver -w                                    # until that server has gone
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1         # Wine's services, under the lasting server
}

stop_wine() {
    wineserver -k 2>/dev/null || true
}

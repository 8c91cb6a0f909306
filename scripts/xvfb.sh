# Sourced by the scripts and tests that need a screen: starts a private X server on a free
# display and exports DISPLAY. Usage: start_private_xvfb SCRATCH_DIRECTORY; the server's
# process id is then in $xvfb_pid.
start_private_xvfb() {
    local scratch=$1
    # Xvfb writes the display number it took. -noreset keeps it from resetting, and refusing
    # connections for a moment, whenever its last client leaves.
    exec 3> "$scratch/display"
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    for _ in $(seq 100); do
        [[ -s "$scratch/display" ]] && break
        sleep 0.1
    done
    if [[ ! -s "$scratch/display" ]]; then
        echo "Xvfb did not start: $(cat "$scratch/xvfb.log")" >&2
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$scratch/display")"
}

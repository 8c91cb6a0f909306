#!/usr/bin/env bash
# End-to-end faults of the host, produced for real: a directory the user may not write to and a
# file another process holds, or, as a case of its own, a full file system. Each must be told in
# a "Tovren!" box while the program goes on with the fields as typed, and once the fault is gone
# the same Done must save them.
# Usage: tovren_faults_e2e.sh PATH_TO_TOVREN OUTPUT_DIRECTORY [full-disk]
# The full-disk case needs root and the right to mount: without them it exits 77, which CTest
# counts as skipped, and under CI=true, where it must run, it fails.
tovren_built=$1
output=$2
source "$(dirname "$0")/lib.sh"
mkdir -p "$output"
passed=0

# Types a record, presses Done into the fault, dismisses the report, removes the fault with the
# given command, and presses Done again: the focus is back on Done.
done_through_fault() {
    local name=$1 remove_fault=$2
    type_record up down left right "$name"
    keys Tab Tab space
    dismiss_tovren_box "$output/fault-$3.png"
    expect_running "a fault ended the program"
    eval "$remove_fault"
    keys space
    expect_ended
    expect_bytes 'up\r\ndown\r\nleft\r\nright\r\n'
    passed=$((passed + 1))
}

if [[ "${3:-}" == full-disk ]]; then
    echo "-- a full file system"
    full="$program_dir/full"
    mkdir "$full"
    if [[ $(id -u) -ne 0 ]] || ! mount -t tmpfs -o size=64k tmpfs "$full" 2>/dev/null; then
        [[ "${CI:-}" != true ]] || fail "mounting a small tmpfs needs root and the right to mount"
        echo "SKIPPED: mounting a small tmpfs needs root and the right to mount"
        exit 77
    fi
    cleanup_steps+=("umount '$full'")
    dd if=/dev/zero of="$full/filler" bs=4k 2>/dev/null || true # until no block is left
    link_file="$full/map1.link"
    start_tovren
    done_through_fault full/map1 'rm "$full/filler"' full-disk
    echo "$passed passed, 0 failed"
    exit
fi

echo "-- a program directory the user may not write to"
link_file="$program_dir/map1.link"
if [[ $(id -u) -eq 0 ]]; then
    # Root ignores permissions: Tovren runs as nobody, and nobody may not write here.
    run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chown 65534 "$XDG_RUNTIME_DIR"
    start_tovren
    done_through_fault map1 'chmod 777 "$program_dir"' read-only-directory
    run_as=()
    chown "$(id -u)" "$XDG_RUNTIME_DIR"
    chmod 755 "$program_dir"
    rm -f "$link_file"
else
    chmod 555 "$program_dir"
    start_tovren
    done_through_fault map1 'chmod 755 "$program_dir"' read-only-directory
    rm -f "$link_file"
fi

echo "-- a link file that another process holds"
: > "$link_file"
# The holder becomes the sleeping process itself, so killing it ends the hold.
(exec 9>>"$link_file" && flock --exclusive 9 && exec sleep 120) </dev/null >/dev/null 2>&1 &
holder=$!
cleanup_steps+=("kill $holder 2>/dev/null")
sleep 0.3
start_tovren
done_through_fault map1 'kill $holder; wait $holder 2>/dev/null || true' held-file

echo "$passed passed, 0 failed"

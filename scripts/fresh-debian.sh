#!/usr/bin/env bash
# The README's two commands as a new user meets them: on a minimal Debian 12 made with
# debootstrap (with git and ca-certificates, and sudo for the ordinary user), with no locale set,
# the project is cloned and the README's test and run commands are used as it says, once by root
# in /root/tovren and once by an ordinary user with passwordless sudo in their home, each on a
# fresh copy of the system. The ordinary user also installs Tovren into ~/maps from the source.
# Needs root. Usage: scripts/fresh-debian.sh [root|user]...   (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
users=(root user)
[[ $# -eq 0 ]] || users=("$@")

[[ $(id -u) -eq 0 ]] || { echo "fresh-debian.sh: debootstrap and chroot need root" >&2; exit 1; }
scripts/install-deps.sh debootstrap

# The commands exactly as the README gives them, from its first block.
readme_command() {
    awk -v what="$1" '/^```/ { block++; next } block == 1 && index($0, what) { sub(/ *#.*/, ""); print; exit }' README.md
}
test_command=$(readme_command "runs every test")
run_command=$(readme_command "starts it")
[[ -n "$test_command" && -n "$run_command" ]] || { echo "no commands found in README.md" >&2; exit 1; }

work=$(mktemp -d /var/tmp/tovren-fresh.XXXXXX)
system=""
unmount_system() {
    [[ -n "$system" ]] || return 0
    # Whatever the tests left running in there (an X server, a bus) would hold the mounts.
    for process in /proc/[0-9]*; do
        [[ "$(readlink "$process/root" 2>/dev/null)" == "$system" ]] && kill -9 "${process#/proc/}" 2>/dev/null
    done
    sleep 0.5
    for mount in dev/shm dev/pts dev proc; do
        mountpoint -q "$system/$mount" && umount -l "$system/$mount"
    done
    system=""
}
cleanup() {
    unmount_system
    # Never remove a folder that still has the host's /dev or /proc mounted inside it.
    findmnt -rn -o TARGET | grep -q -F "$work/" || rm -rf "$work"
}
trap cleanup EXIT

step_started=$SECONDS
took() { echo "== $1 took $((SECONDS - step_started)) s"; step_started=$SECONDS; }

echo "== A minimal Debian 12 system"
debootstrap --variant=minbase --include=git,ca-certificates bookworm "$work/base" >"$work/debootstrap.log" 2>&1 ||
    { tail -n 20 "$work/debootstrap.log"; exit 1; }
took "debootstrap"

in_system() { chroot "$system" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"; }
as_user() { # as the user, in a login's environment without a locale
    local name=$1 home=$2
    shift 2
    chroot --userspec="$name:$name" "$system" env -i HOME="$home" USER="$name" LOGNAME="$name" \
        SHELL=/bin/bash PATH=/usr/local/bin:/usr/bin:/bin bash -c "cd ~ && $*"
}

for user in "${users[@]}"; do
    system="$work/$user"
    cp -a "$work/base" "$system"
    cp /etc/resolv.conf "$system/etc/resolv.conf"
    mount -t proc proc "$system/proc"
    mount --bind /dev "$system/dev"
    mount -t tmpfs -o mode=1777 tmpfs "$system/dev/shm"
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$system/dev/pts"
    case "$user" in
    root)
        name=root home=/root
        ;;
    user)
        name=newbie home=/home/newbie
        in_system apt-get update >/dev/null
        in_system apt-get install -y --no-install-recommends sudo >/dev/null
        in_system useradd --create-home --shell /bin/bash "$name"
        echo "$name ALL=(ALL) NOPASSWD:ALL" >"$system/etc/sudoers.d/$name"
        ;;
    *)
        echo "fresh-debian.sh: no such user kind: $user" >&2
        exit 2
        ;;
    esac
    git clone --quiet "$repo" "$system$home/tovren"
    chroot "$system" chown -R "$name:$name" "$home/tovren"
    took "the system for $user"

    echo "== As $name in $home/tovren: $test_command"
    as_user "$name" "$home" "cd tovren && $test_command" || { echo "FAILED: the test command as $name"; exit 1; }
    took "the test command as $name"

    echo "== As $name: $run_command, for ten seconds on Qt's offscreen screen"
    status=0
    as_user "$name" "$home" "cd tovren && QT_QPA_PLATFORM=offscreen timeout 10 $run_command" || status=$?
    [[ $status -eq 124 ]] || { echo "FAILED: Tovren did not keep running (status $status)"; exit 1; }
    took "the run command as $name"

    if [[ "$user" == user ]]; then
        echo "== As $name: mkdir -p ~/maps && scripts/install.sh ~/maps"
        as_user "$name" "$home" 'mkdir -p ~/maps && tovren/scripts/install.sh ~/maps' ||
            { echo "FAILED: install.sh from the source tree"; exit 1; }
        [[ -x "$system$home/maps/Tovren" ]] && ls "$system$home"/.local/share/applications/tovren-*.desktop >/dev/null ||
            { echo "FAILED: install.sh left no Tovren or no menu entry"; exit 1; }
        took "install.sh as $name"
    fi
    unmount_system
    rm -rf "${work:?}/$user"
done
echo "== The README holds on a fresh Debian 12 for: ${users[*]}"

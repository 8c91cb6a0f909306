#!/usr/bin/env bash
# The README's two commands as a new user meets them: on a minimal Debian 12 made with
# debootstrap (with git and ca-certificates, and sudo for the ordinary user), with no locale set,
# the project is cloned and the README's test and run commands are used as it says, once by root
# in /root/tovren and once by an ordinary user with passwordless sudo in their home, each on a
# fresh copy of the system. The ordinary user first installs Tovren into ~/maps from the source,
# before anything is built, and last takes its menu entry away again.
# The kind "portable" instead unpacks the Linux release package (made by scripts/release.sh in
# dist/) on a system with only the X client libraries added, no Qt, and saves with its Tovren,
# shown on an X server of this machine.
# Needs root. Usage: scripts/fresh-debian.sh [root|user|portable]...   (root and user by default)
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
    for mount in tmp/.X11-unix dev/shm dev/pts dev proc; do
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

# The X client libraries that every desktop has (and fonts), which the package leaves to the
# system; no Qt.
desktop_libraries=(libx11-6 libx11-xcb1 libxcb1 libsm6 libice6 libfontconfig1 libfreetype6
    libharfbuzz0b libegl1 libglx0 libopengl0 fonts-dejavu-core)
check_portable_package() {
    local archive display_number window="" tovren
    archive=$(ls "$repo"/dist/Tovren-*-Linux-*.tar.gz) || { echo "no package: run scripts/release.sh" >&2; exit 1; }
    in_system apt-get update >/dev/null
    in_system apt-get install -y --no-install-recommends "${desktop_libraries[@]}" >/dev/null
    ! in_system sh -c 'ls /usr/lib/x86_64-linux-gnu | grep -q libQt' || { echo "FAILED: Qt is installed" >&2; exit 1; }
    mkdir "$system/root/maps"
    tar -xzf "$archive" -C "$system/root/maps"
    took "the system with X client libraries only"
    # The X server runs here; its socket is shared with the system.
    scripts/install-deps.sh >/dev/null
    source scripts/xvfb.sh
    start_private_xvfb "$work"
    display_number=${DISPLAY#:}
    mkdir -p "$system/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$system/tmp/.X11-unix"
    echo "== The package's Tovren on a system without Qt: Done saves the eight bytes of .link"
    chroot "$system" env -i HOME=/root DISPLAY=":$display_number" /root/maps/Tovren >"$work/tovren.log" 2>&1 &
    tovren=$!
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name '^Link Map to other Maps!$' 2>/dev/null | head -n 1 || true)
        [[ -n "$window" && "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]] && break
        sleep 0.1
    done
    [[ -n "$window" ]] || { echo "FAILED: no window: $(cat "$work/tovren.log")" >&2; kill "$tovren"; exit 1; }
    xdotool key space # Done, where the focus starts
    wait "$tovren" || { echo "FAILED: Tovren ended with status $?" >&2; exit 1; }
    [[ "$(od -An -tx1 "$system/root/maps/.link" | tr -d ' \n')" == 0d0a0d0a0d0a0d0a ]] ||
        { echo "FAILED: .link holds $(od -An -tx1 "$system/root/maps/.link")" >&2; exit 1; }
    kill "$xvfb_pid"
    umount "$system/tmp/.X11-unix"
    took "the portable package"
}

for user in "${users[@]}"; do
    system="$work/$user"
    cp -a "$work/base" "$system"
    cp /etc/resolv.conf "$system/etc/resolv.conf"
    # An installed Debian names this machine localhost in /etc/hosts; debootstrap writes none.
    [[ -e "$system/etc/hosts" ]] || printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$system/etc/hosts"
    mount -t proc proc "$system/proc"
    mount --bind /dev "$system/dev"
    mount -t tmpfs -o mode=1777 tmpfs "$system/dev/shm"
    mount -t devpts -o newinstance,ptmxmode=0666 devpts "$system/dev/pts"
    if [[ "$user" == portable ]]; then
        check_portable_package
        unmount_system
        rm -rf "${work:?}/$user"
        continue
    fi
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

    if [[ "$user" == user ]]; then
        # The first command in this clone: it builds everything it needs by itself.
        echo "== As $name, before anything is built: mkdir -p ~/maps && scripts/install.sh ~/maps"
        as_user "$name" "$home" 'mkdir -p ~/maps && tovren/scripts/install.sh ~/maps' ||
            { echo "FAILED: install.sh from the source tree"; exit 1; }
        [[ -x "$system$home/maps/Tovren" && -x "$system$home/maps/tovren-world" ]] &&
            ls "$system$home"/.local/share/applications/tovren-*.desktop >/dev/null ||
            { echo "FAILED: install.sh left no Tovren, tovren-world or menu entry"; exit 1; }
        took "install.sh as $name"
    fi

    echo "== As $name in $home/tovren: $test_command"
    as_user "$name" "$home" "cd tovren && $test_command" || { echo "FAILED: the test command as $name"; exit 1; }
    took "the test command as $name"

    echo "== As $name: $run_command, for ten seconds on Qt's offscreen screen"
    status=0
    as_user "$name" "$home" "cd tovren && QT_QPA_PLATFORM=offscreen timeout 10 $run_command" || status=$?
    [[ $status -eq 124 ]] || { echo "FAILED: Tovren did not keep running (status $status)"; exit 1; }
    took "the run command as $name"

    if [[ "$user" == user ]]; then
        echo "== As $name: scripts/install.sh --remove ~/maps"
        as_user "$name" "$home" 'tovren/scripts/install.sh --remove ~/maps' ||
            { echo "FAILED: install.sh --remove"; exit 1; }
        ! ls "$system$home"/.local/share/applications/tovren-*.desktop >/dev/null 2>&1 ||
            { echo "FAILED: install.sh --remove left the menu entry"; exit 1; }
        took "install.sh --remove as $name"
    fi
    unmount_system
    rm -rf "${work:?}/$user"
done
echo "== All held on fresh Debian 12 systems: ${users[*]}"

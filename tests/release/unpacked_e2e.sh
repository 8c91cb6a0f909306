#!/usr/bin/env bash
# A release package as its user takes it: checked against SHA256SUMS, unpacked into an empty
# folder, that copy started (through Wine for the Windows one) and Done pressed, which must
# write the eight bytes of .link beside it. Nothing may come from the build tree.
# Usage: unpacked_e2e.sh DIST_DIRECTORY
# It installs what it uses, Wine among it, as every script that CI runs does.
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
"$scripts/install-deps.sh" binutils
dist=$(cd "$1" && pwd)
check() {
    echo "-- $(basename "$archive"): its checksum, its files, and a Done that saves beside it"
    (cd "$dist" && sha256sum --check --ignore-missing --status SHA256SUMS) ||
        fail "the checksums in SHA256SUMS do not match"
    grep -q -F " $(basename "$archive")" "$dist/SHA256SUMS" || fail "not in SHA256SUMS"
    [[ "$(cd "$program_dir" && ls -A | tr '\n' ' ')" == "$1" ]] ||
        fail "the package holds: $(ls -A "$program_dir")"
    start_tovren
    keys space # Done, with the focus on it at start
    expect_ended
    link_file="$program_dir/.link"
    expect_bytes '\r\n\r\n\r\n\r\n'
    echo "-- $(basename "$archive"): tovren-world checks the folder it lies in"
    "${run_as[@]}" "$program_dir/$world_program" check >"$scratch/check" ||
        fail "tovren-world check: $(cat "$scratch/check")"
    [[ "$(tail -n 1 "$scratch/check" | tr -d '\r')" == "1 map in 1 region: 0 errors, 0 warnings" ]] ||
        fail "tovren-world check said: $(cat "$scratch/check")"
}

if [[ "${2:-}" != windows ]]; then
    archive=$(ls "$dist"/Tovren-*-Linux-*.tar.gz)
    source "$(dirname "$0")/../e2e/lib.sh"
    # Its Qt is its own, found beside it: nothing from the build tree, no Qt of the system, and
    # no file needing a newer C library or C++ runtime than REQUIREMENTS.txt states.
    dynamic=$(readelf -d "$program_dir/Tovren") || fail "readelf cannot read Tovren"
    grep -q -F 'Library runpath: [$ORIGIN/.tovren/lib]' <<<"$dynamic" || fail "Tovren's RUNPATH: $dynamic"
    resolved=$(ldd "$program_dir/Tovren" "$program_dir"/.tovren/plugins/*/*.so) || fail "ldd failed"
    ! grep -E "not found|libQt6[A-Za-z]*\.so\.6 => /(usr|lib)" <<<"$resolved" ||
        fail "a library is missing, or Qt comes from the system"
    elf_files=("$program_dir/Tovren" "$program_dir/tovren-world" "$program_dir"/.tovren/lib/*
               "$program_dir"/.tovren/plugins/*/*.so)
    newest() {
        local versions
        versions=$(for file in "${elf_files[@]}"; do objdump -T "$file" || fail "objdump $file"; done |
            grep -o "$1[0-9.]*" | sed "s/^$1//" | sort -V -u) || fail "no $1 versions read"
        tail -n 1 <<<"$versions"
    }
    glibc=$(newest GLIBC_) glibcxx=$(newest GLIBCXX_)
    grep -q "version $glibc or later" "$program_dir/REQUIREMENTS.txt" &&
        grep -q "GLIBCXX_$glibcxx" "$program_dir/REQUIREMENTS.txt" ||
        fail "the files need GLIBC_$glibc and GLIBCXX_$glibcxx, which REQUIREMENTS.txt does not state"
    world_program=tovren-world
    check ".tovren README.md REQUIREMENTS.txt Tovren desktop install.sh tovren-world "
    echo "-- its install.sh adds the menu entry for the folder it was unpacked into"
    HOME="$scratch/home" "$program_dir/install.sh" "$program_dir" >/dev/null
    desktop-file-validate "$scratch"/home/.local/share/applications/tovren-*.desktop
    [[ $(find "$scratch/home/.local/share/icons" -name 'tovren-*.png' | wc -l) -eq 6 ]] ||
        fail "not six icons"
    echo "-- installed into another folder, Tovren takes its Qt along"
    mkdir "$scratch/other maps"
    HOME="$scratch/home" "$program_dir/install.sh" "$scratch/other maps" >/dev/null
    ldd "$scratch/other maps/Tovren" | grep -q -F "$scratch/other maps/.tovren/lib/libQt6Widgets.so.6" ||
        fail "the other folder's Tovren does not use the Qt beside it"
    [[ -f "$scratch/other maps/.tovren/plugins/platforms/libqxcb.so" ]] || fail "no xcb plugin there"
    echo "3 passed, 0 failed"
    bash "$0" "$1" windows # in a process of its own, with an X server and a folder of its own
    exit
fi

archive=$(ls "$dist"/Tovren-*-win64.zip)
program_name=Tovren.exe
source "$(dirname "$0")/../e2e/lib.sh"
source "$scripts/wine.sh"
cleanup_steps+=(stop_wine)
start_wine
run_as=(wine)
focus_by_hand=1
world_program=tovren-world.exe
check "README.md Tovren.exe tovren-world.exe "
echo "1 passed, 0 failed"

#!/usr/bin/env bash
# Puts Tovren into a folder of maps and adds it to this user's desktop menu, as
# "Tovren (maps in FOLDER)", with the actions "Show the world" and "Edit the world". Tovren keeps its link files
# beside itself, so each folder of maps gets a copy of its own and an entry of its own. Builds
# Tovren and tovren-world first when run from the source tree; from an unpacked release it
# installs the ones beside it, with the Qt the release carries.
#
# Usage: install.sh FOLDER           installs or replaces Tovren there, and its menu entry
#        install.sh --remove FOLDER  takes the menu entry away; Tovren and the link files stay
set -euo pipefail

usage() {
    echo "Usage: $0 FOLDER | $0 --remove FOLDER" >&2
    exit 2
}
fail() {
    echo "install.sh: $*" >&2
    exit 1
}

remove=""
if [[ "${1:-}" == "--remove" ]]; then
    remove=1
    shift
fi
[[ $# -eq 1 && -n "$1" ]] || usage
[[ -e "$1" ]] || fail "$1 does not exist; make the folder of your maps first"
[[ -d "$1" ]] || fail "$1 is not a folder"
folder=$(cd "$1" && pwd -P)
[[ "$folder" != *[[:cntrl:]]* ]] || fail "the folder's name holds a control character"

here=$(cd "$(dirname "$0")" && pwd -P)
if [[ -x "$here/Tovren" && -d "$here/desktop" ]]; then # an unpacked release
    resources="$here/desktop"
    icons="$resources/icons"
else                                                   # the source tree
    resources="$here/../app/desktop"
    icons="$here/../app/icons"
fi

data_home=${XDG_DATA_HOME:-$HOME/.local/share}
id="tovren-$(printf '%s' "$folder" | sha256sum | cut -c1-16)" # one entry per folder
entry="$data_home/applications/$id.desktop"
sizes=(16 32 48 64 128 256)
icon_file() { echo "$data_home/icons/hicolor/$1x$1/apps/$id.png"; }

if [[ -n "$remove" ]]; then
    files=("$entry")
    for size in "${sizes[@]}"; do files+=("$(icon_file "$size")"); done
    removed=""
    for file in "${files[@]}"; do
        [[ -e "$file" ]] && rm -f "$file" && removed=1
    done
    if [[ -n "$removed" ]]; then
        echo "Removed the menu entry of Tovren for $folder; Tovren and the link files are still there."
    else
        echo "There was no menu entry of Tovren for $folder; nothing was removed."
    fi
    exit 0
fi

[[ -w "$folder" ]] ||
    fail "$folder is not writable; Tovren saves its link files there, so it must be"

if [[ -n "${TOVREN_PROGRAM:-}" ]]; then # programs built elsewhere, as the tests have them
    program=$TOVREN_PROGRAM
    world_program=${TOVREN_WORLD_PROGRAM:-}
elif [[ "$resources" == "$here/desktop" ]]; then
    program="$here/Tovren"
    world_program="$here/tovren-world"
else
    source "$here/preset.sh" "" # the preset by its rule: this script's argument is the folder
    "$here/build.sh" "$preset"
    program="$here/../build/$preset/app/Tovren"
    world_program="$here/../build/$preset/worldtool/tovren-world"
fi
[[ -x "$program" ]] || fail "no Tovren program at $program"
[[ -x "$world_program" ]] || fail "no tovren-world program at $world_program"

# The programs first, each replaced in one step: a running copy goes on undisturbed, and no
# entry ever points at a program that is not there.
staged=""
trap 'rm -rf "$staged"' EXIT
install_program() {
    [[ ! "$1" -ef "$folder/$2" ]] || return 0
    staged=$(mktemp "$folder/.$2.XXXXXX")
    cp "$1" "$staged"
    chmod 755 "$staged"
    mv -f "$staged" "$folder/$2"
}
install_program "$program" Tovren
install_program "$world_program" tovren-world
# The Qt that a release carries goes with the program, replaced whole.
if [[ -d "$here/.tovren" && ! "$here" -ef "$folder" ]]; then
    staged=$(mktemp -d "$folder/.tovren.XXXXXX")
    cp -R "$here/.tovren/." "$staged"
    chmod 755 "$staged"
    [[ -e "$folder/.tovren" ]] && mv "$folder/.tovren" "$staged.old"
    mv "$staged" "$folder/.tovren"
    rm -rf "$staged.old"
fi

# The values as a desktop entry has them: backslashes doubled in every string; in Exec, each
# argument quoted, with ", `, $ and \ escaped inside the quotes, and % doubled.
escape_string() { local text=${1//\\/\\\\}; printf '%s' "$text"; }
exec_line() {
    local line="" word
    for word in "$@"; do
        word=${word//\\/\\\\}
        word=${word//\"/\\\"}
        word=${word//\`/\\\`}
        word=${word//\$/\\\$}
        line+="${line:+ }\"$word\""
    done
    line=$(escape_string "$line")
    if [[ "$line" == *%* ]]; then
        # GLib looks for the program under its name before it turns %% back into %; it finds env.
        line="env ${line//%/%%}"
    fi
    printf '%s' "$line"
}
shown=$folder
[[ "$shown" == "$HOME"/* ]] && shown="~${shown#"$HOME"}"

for size in "${sizes[@]}"; do
    mkdir -p "$(dirname "$(icon_file "$size")")"
    cp "$icons/globe-$size.png" "$(icon_file "$size")"
done
mkdir -p "$data_home/applications"
template=$(<"$resources/tovren.desktop.in")
# (Quoted, the replacements are taken as they are: unquoted, bash would act on & and \.)
template=${template//@FOLDER_NAME@/"$(escape_string "$shown")"}
template=${template//@EXEC@/"$(exec_line "$folder/Tovren")"}
template=${template//@SHOW_WORLD_EXEC@/"$(exec_line "$folder/tovren-world" show "$folder")"}
template=${template//@EDIT_WORLD_EXEC@/"$(exec_line "$folder/tovren-world" edit "$folder")"}
template=${template//@FOLDER@/"$(escape_string "$folder")"}
template=${template//@ICON@/"$id"}
printf '%s\n' "$template" >"$entry.new"
mv -f "$entry.new" "$entry"
echo "Installed Tovren into $folder; start it from the menu as \"Tovren (maps in $shown)\"."

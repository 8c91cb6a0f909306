#!/usr/bin/env bash
# tovren-world in a team's git repository, with Debian's git: git-setup adds its two lines once
# and --remove leaves the repository as it was; link files merge field by field through the
# merge driver, to exactly the bytes expected; a field both sides changed differently is a
# conflict that check finds at its lines; no line-end setting changes a link file's bytes; and
# the pre-commit framework's hook checks the folders of the changed link files.
# Usage: git_test.sh PATH_TO_TOVREN_WORLD SOURCE_FOLDER
set -euo pipefail
export LC_ALL=C.UTF-8 GIT_CONFIG_NOSYSTEM=1 GIT_CONFIG_GLOBAL=/dev/null
tool=$(realpath "$1")
source=$(realpath "$2")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
status_of() { local status=0; "$@" >"$scratch/out" 2>"$scratch/err" || status=$?; echo "$status"; }
bytes() { od -An -c "$1" | tr -d ' \n'; }
record() { printf '%s\r\n%s\r\n%s\r\n%s\r\n' "$2" "$3" "$4" "$5" >"$1.link"; }
new_repository() {
    git init -q -b main "$1" && git -C "$1" config user.name Tester &&
        git -C "$1" config user.email tester@example.org
}

echo "-- git-setup: its attributes line and driver once, from any folder; --remove undoes both"
new_repository "$scratch/repo" && cd "$scratch/repo"
mkdir maps && printf '*.png binary\r\n' >.gitattributes
git add .gitattributes && git commit -qm "pictures"
cp .git/config "$scratch/config"
[[ $(status_of "$tool" git-setup) == 0 ]] || fail "git-setup: $(cat "$scratch/out" "$scratch/err")"
[[ $(status_of "$tool" git-setup maps) == 0 ]] || fail "git-setup again: $(cat "$scratch/err")"
[[ "$(bytes .gitattributes)" == '*.pngbinary\r\n*.link-textmerge=tovren-link\r\n' ]] ||
    fail ".gitattributes: $(od -c .gitattributes)"
[[ "$(git config --get-all merge.tovren-link.driver)" == "'$tool' merge %O %A %B" ]] ||
    fail "the driver: $(git config --get-all merge.tovren-link.driver)"
[[ "$(git check-attr text merge -- maps/a.link)" == "maps/a.link: text: unset
maps/a.link: merge: tovren-link" ]] || fail "the attributes: $(git check-attr -a -- maps/a.link)"
[[ $(status_of "$tool" git-setup --remove) == 0 ]] || fail "--remove: $(cat "$scratch/err")"
cmp -s .git/config "$scratch/config" || fail "the config after --remove: $(cat .git/config)"
[[ "$(bytes .gitattributes)" == '*.pngbinary\r\n' && -z "$(git status --porcelain)" ]] ||
    fail "the repository after --remove: $(git status --porcelain)"
new_repository "$scratch/fresh"
"$tool" git-setup "$scratch/fresh" >/dev/null && "$tool" git-setup --remove "$scratch/fresh" >/dev/null
[[ ! -e "$scratch/fresh/.gitattributes" ]] || fail "--remove left the .gitattributes it made"
[[ $(status_of "$tool" git-setup "$scratch") == 2 && -s "$scratch/err" ]] || fail "no repository"

# Commits BASE on a branch NAME from main, then THEIRS on a branch of its own and OURS on NAME
# (each the bytes of maps/NAME.link, for printf %b), and merges THEIRS into NAME.
merge() {
    local name=$1
    git checkout -q -b "$name" main && mkdir -p maps
    printf '%b' "$2" >"maps/$name.link" && git add -A && git commit -qm "$name"
    git checkout -q -b "$name-theirs"
    printf '%b' "$4" >"maps/$name.link" && git commit -qam "their $name"
    git checkout -q "$name"
    printf '%b' "$3" >"maps/$name.link" && git commit -qam "our $name"
    git merge -q --no-edit "$name-theirs" >"$scratch/merged" 2>&1
}
"$tool" git-setup >/dev/null && git add .gitattributes && git commit -qm "link files merge by field"

echo "-- different fields changed: merged cleanly into exactly four lines, old tails left out"
merge hub 'town\r\ncave\r\n\r\nroad\r\nold tail\r\n' 'town\r\ncave\r\nwest\r\nroad\r\nour tail' \
    'city\r\ncave\r\n\r\n\r\ntheir\ntail\r\n' || fail "a conflict: $(cat "$scratch/merged")"
[[ "$(bytes maps/hub.link)" == 'city\r\ncave\r\nwest\r\n\r\n' ]] || fail "$(od -c maps/hub.link)"
# Alike as the store loads them: Köln in UTF-8 and in Windows-1252.
merge koeln 'X\r\n\r\n\r\n\r\n' 'K\xc3\xb6ln\r\n\r\n\r\n\r\n' 'K\xf6ln\r\n\r\n\r\nfar\r\n' ||
    fail "texts that load alike: $(cat "$scratch/merged")"
[[ "$(bytes maps/koeln.link)" == 'K303266ln\r\n\r\n\r\nfar\r\n' ]] || fail "$(od -c maps/koeln.link)"

echo "-- one field changed differently: git's markers around it, and check tells the conflict"
status=0
merge cave 'town\r\nhub\r\n\r\n\r\n' 'town\r\nmine\r\n\r\n\r\n' 'town\r\npit\r\n\r\nfar\r\n' || status=$?
[[ $status != 0 && "$(git status --porcelain)" == "UU maps/cave.link" ]] ||
    fail "no conflict: $(cat "$scratch/merged")"
[[ "$(bytes maps/cave.link)" == 'town\r\n<<<<<<<ours\r\nmine\r\n=======\r\npit\r\n>>>>>>>theirs\r\n\r\nfar\r\n' ]] ||
    fail "the conflict: $(od -c maps/cave.link)"
[[ $(status_of "$tool" check --format github maps) == 1 ]] || fail "check passed a conflict"
grep -q -x "::error file=maps/cave.link,line=2,endLine=6,title=conflict::cave holds an unresolved merge (lines 2 to 6)" \
    "$scratch/out" || fail "check: $(cat "$scratch/out")"
git merge --abort

echo "-- with core.autocrlf=true git keeps every byte, a line feed within a text too"
git config core.autocrlf true
git checkout -q main && mkdir -p maps
printf 'lone\nfeed\r\n\r\n\r\n\r\n' >maps/crlf.link
git add maps/crlf.link 2>"$scratch/err" && git commit -qm "crlf"
rm maps/crlf.link && git checkout -- maps/crlf.link
[[ "$(git cat-file blob HEAD:maps/crlf.link | od -An -c | tr -d ' \n')" == 'lone\nfeed\r\n\r\n\r\n\r\n' &&
    "$(bytes maps/crlf.link)" == 'lone\nfeed\r\n\r\n\r\n\r\n' && ! -s "$scratch/err" ]] ||
    fail "autocrlf changed the bytes: $(od -c maps/crlf.link) $(cat "$scratch/err")"

echo "-- the pre-commit hook checks strictly each folder that holds a changed link file"
hooks="$scratch/hooks"
git init -q "$hooks" && cp "$source/.pre-commit-hooks.yaml" "$hooks/"
git -C "$hooks" add . && git -C "$hooks" -c user.name=T -c user.email=t@example.org commit -qm hooks
mkdir "$scratch/bin" && ln -s "$tool" "$scratch/bin/tovren-world"
new_repository "$scratch/hooked" && cd "$scratch/hooked"
mkdir -p "maps/a b" sound
record "maps/a b/m" '' '' '' x # x leads nowhere back
record "maps/a b/x" '' '' '' ''
record sound/s '' '' '' t && record sound/t '' '' s ''
git add -A
hook() {
    PATH="$scratch/bin:$PATH" PRE_COMMIT_HOME="$scratch/pre-commit" \
        pre-commit try-repo "$hooks" tovren-world-check --files "$@" >"$scratch/out" 2>&1
}
hook sound/s.link || fail "a sound folder failed: $(cat "$scratch/out")"
! hook "maps/a b/x.link" sound/t.link && grep -q "error: one-way: m leads right to x" "$scratch/out" ||
    fail "a faulty folder passed: $(cat "$scratch/out")"
echo "5 passed, 0 failed"

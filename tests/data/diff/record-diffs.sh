#!/usr/bin/env bash
# Records the comparison outputs in this folder with the real `cvs` client:
#   tests/data/diff/record-diffs.sh
# makes the demo history of scripts/make-cvs-history in a temporary folder,
# commits a few more files whose revisions show every kind of comparison line,
# and writes the standard output of each `cvs diff -y -w -b -rOLD -rNEW
# --width=1000 FILE` to NAME.out, byte for byte. The repository path in the
# third line is replaced by /tmp/quillon-diff so that a new recording only
# changes when the client's output does.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$here/../../../scripts/make-cvs-history" "$tmp" >/dev/null
cd "$tmp/work"
export TZ=UTC LC_ALL=C

cvs_() { cvs -f -Q "$@" </dev/null; }
# add_file [-kb] FILE: adds a new file and commits it.
add_file() {
    cvs_ add "$@"
    cvs_ commit -m "Add ${*: -1}." "${*: -1}"
}
commit_file() { cvs_ commit -m "Change $1." "$1"; }

# record NAME OLD NEW FILE: the client exits with 1 when the texts differ.
record() {
    local status=0
    cvs -f diff -y -w -b "-r$2" "-r$3" --width=1000 "$4" >"$here/$1.out" </dev/null || status=$?
    if [ "$status" -gt 1 ]; then
        echo "$0: cvs diff for $1 failed with exit code $status" >&2
        exit 1
    fi
    sed -i "3s|$tmp/repo|/tmp/quillon-diff/repo|" "$here/$1.out"
}

long_old=$(printf 'L%.0s' $(seq 1 600))
long_new="CHANGED$(printf 'L%.0s' $(seq 1 593))"

# kinds.txt: removed, changed, added and equal lines, tabs in the text and a
# line longer than one side of the comparison.
printf '%s\n' 'first line' $'\tindented by a tab' $'abc\tafter three' 'removed line' \
    $'abcdefgh\tafter eight' 'to be changed' "$long_old" '' 'last line' >kinds.txt
add_file kinds.txt
printf '%s\n' 'first line' $'\tindented by a tab' $'abc\tafter three' \
    $'abcdefgh\tafter eight' 'has been changed' "$long_new" '' 'added line' 'last line' >kinds.txt
commit_file kinds.txt

# crlf.txt: CR LF line ends; the client writes the CR of each side.
printf 'same line\r\nold\tline\r\nend\r\n' >crlf.txt
add_file crlf.txt
printf 'same line\r\nnew\tline\r\nadded\r\nend\r\n' >crlf.txt
commit_file crlf.txt

# accents.txt: bytes the client counts as no column, UTF-8 and Latin-1.
printf '// caf\303\251 same\n// caf\303\251 old\nLatin-1: caf\351 cr\350me old\nend\n' >accents.txt
add_file accents.txt
printf '// caf\303\251 same\n// caf\303\251 new\nLatin-1: caf\351 cr\350me new\nend\n' >accents.txt
commit_file accents.txt

# spaces.txt: revisions that differ in white space only.
printf 'alpha\n' >spaces.txt
add_file spaces.txt
printf 'alpha  \n' >spaces.txt
commit_file spaces.txt

# binary.bin: a binary file.
printf '\000\001binary\n' >binary.bin
add_file -kb binary.bin
printf '\000\002binary\n' >binary.bin
commit_file binary.bin

record kinds 1.1 1.2 kinds.txt
record crlf 1.1 1.2 crlf.txt
record accents 1.1 1.2 accents.txt
record spaces 1.1 1.2 spaces.txt
record binary 1.1 1.2 binary.bin
record identical 1.1 1.1 kinds.txt
record branch 1.2 1.2.2.1 src/main.c
record blank 1.1 1.2 "notes with blank.txt"
echo "Recorded the comparisons in $here"

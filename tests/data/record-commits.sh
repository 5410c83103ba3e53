#!/usr/bin/env bash
# Records real-cvs-commits.log with the real `cvs` client:
#   tests/data/record-commits.sh
# makes the demo history of scripts/make-cvs-history in a temporary folder,
# commits a few more changes of several files each, and writes the standard
# output of `cvs log` with the repository path replaced by /tmp/quillon-history.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$here/../../scripts/make-cvs-history" "$tmp" >/dev/null
cd "$tmp/work"
export TZ=UTC LC_ALL=C

cvs_() { cvs -f -Q "$@" </dev/null; }
# commit AUTHOR "YYYY-MM-DD HH:MM:SS" MESSAGE FILE...
commit() {
    local author=$1 date=$2 message=$3
    shift 3
    LOGNAME=$author USER=$author faketime -f "@$date x4" \
        cvs -f -Q commit -m "$message" -- "$@" </dev/null
}

# bob gives up his lock on src/main.c so that others can commit it.
echo "UserAdminOptions=klu" >>"$tmp/repo/CVSROOT/config"
LOGNAME=bob USER=bob cvs_ admin -u1.4 -- src/main.c >/dev/null

# anna moves the greeting into files of its own: two new files and a change.
printf '#include "greet.h"\n#include <stdio.h>\n\nvoid greet(void)\n{\n    printf("Hello, world\\n");\n}\n' >src/greet.c
printf 'void greet(void);\n' >src/greet.h
sed -i 's/printf("Hello, world\\n");/greet();/' src/main.c
cvs_ add -- src/greet.c src/greet.h
commit anna "2024-02-22 10:00:00" "Move the greeting into greet.c." src/greet.c src/greet.h src/main.c

# anna tidies twice with the same message a minute apart, both times main.c.
printf '/* Greeting. */\n' >>src/greet.c
printf '/* Entry point. */\n' >>src/main.c
commit anna "2024-02-22 10:05:00" "Tidy up." src/greet.c src/main.c
printf '/* End. */\n' >>src/main.c
commit anna "2024-02-22 10:06:00" "Tidy up." src/main.c

# bob and carol commit the same message in the same second.
printf 'See src/greet.c.\n' >>README.txt
commit bob "2024-02-23 12:00:00" "Update the notes." README.txt
printf -- '- greet in greet.c\n' >>"notes with blank.txt"
commit carol "2024-02-23 12:00:00" "Update the notes." "notes with blank.txt"

# joe removes the header and changes two files that used it.
rm src/greet.h
cvs_ remove -- src/greet.h
printf 'void greet(void);\n' >src/greet.c.new && cat src/greet.c >>src/greet.c.new && mv src/greet.c.new src/greet.c
sed -i 's/#include "greet.h"//' src/greet.c
printf 'Greeting: src/greet.c\n' >>README.txt
commit joe "2024-02-26 08:30:00" "Drop greet.h; declare greet where it is used.
The header held one line." src/greet.h src/greet.c README.txt

cvs -f log </dev/null | sed "s|$tmp/repo|/tmp/quillon-history/repo|" >"$here/real-cvs-commits.log"

#!/bin/sh
# Turns the reference pages' command scripts (NAME.cmd beside this file) into documents
# (NAME.MUS) through the engine: the console reads each script with the READ command and
# saves the page with "SA". The documents are kept in the repository; run this after
# changing a script.
#
#   make_reference_pages.sh PROGRAM [OUTPUT_FOLDER [NAME...]]
#
# PROGRAM is the built "ormest"; OUTPUT_FOLDER defaults to this folder; NAMEs default to
# every script here. dense_page.cmd is itself written by make_dense_page.py, full_store.cmd by
# make_full_store_page.py, the justify_*.cmd scripts by make_justify_pages.py.
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 PROGRAM [OUTPUT_FOLDER [NAME...]]" >&2
    exit 2
fi
program=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
out=$(realpath "${2:-$here}")
[ $# -ge 2 ] && shift 2 || shift $#
if [ $# -eq 0 ]; then
    set --
    for script in "$here"/*.cmd; do set -- "$@" "$(basename "$script" .cmd)"; done
fi

# A work folder of our own, so that the user's history and scratch files stay untouched.
state=$(mktemp -d)
trap 'rm -rf "$state"' EXIT
for name in "$@"; do
    target="$out/$name.MUS"
    scratch="$state/$name.MUS"
    # From this folder, so that the files a page names (figure.eps) are found beside it.
    reply=$(cd "$here" && printf 'RE %s\nSA %s\n' "$here/$name.cmd" "$scratch" |
        XDG_STATE_HOME="$state" "$program" --console)
    case "$reply" in
    *"File saved:"*) mv "$scratch" "$target" ;;
    *)
        printf '%s: not saved\n%s\n' "$name" "$reply" >&2
        exit 1
        ;;
    esac
done

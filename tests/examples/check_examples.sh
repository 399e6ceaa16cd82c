#!/bin/sh
# The committed examples are what the generator makes: a change to either
# shows here, and the README's figures stay those of the files.
#   check_examples.sh ZQ_EXAMPLES SOURCE_EXAMPLES_DIR
set -eu
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$1" "$out"
status=0
for f in "$out"/*; do
    name=$(basename "$f")
    if ! cmp -s "$f" "$2/$name"; then
        echo "examples/$name differs from what tools/zq-examples.cpp writes (run: zq-examples examples)"
        status=1
    fi
done
[ $status -eq 0 ] && echo "examples ok"
exit $status

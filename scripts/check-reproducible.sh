#!/usr/bin/env bash
# Shows that one commit builds the same release files wherever it is built: two fresh
# clones of the committed HEAD, in folders of different names, each made into its dist/ by
# scripts/package.sh (unsigned), and their files compared byte for byte: Ondrik.exe,
# Ondrik.tlb, Ondrik.h, Ondrik_i.c and both packages. Prints each file's SHA-256 in both
# and fails when any differs. Usage: check-reproducible.sh [WORKDIR] (build/reproducible).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "${1:-$root/build/reproducible}")
rm -rf "$work"
mkdir -p "$work"
unset ONDRIK_SIGN_PKCS12 SOURCE_DATE_EPOCH
commit=$(git -C "$root" rev-parse HEAD)
for clone in first second-clone; do
    git clone -q --no-hardlinks "$root" "$work/$clone"
    git -C "$work/$clone" checkout -q "$commit"
    started=$SECONDS
    bash "$work/$clone/scripts/package.sh" >"$work/$clone.txt" 2>&1 ||
        { tail -n 20 "$work/$clone.txt"; echo "$clone: scripts/package.sh failed"; exit 1; }
    echo "$clone: built in $((SECONDS - started)) s"
done
different=0
for file in Ondrik.exe Ondrik.tlb Ondrik.h Ondrik_i.c $(cd "$work/first/dist" && ls ./*.msi); do
    file=${file#./}
    first=$(sha256sum <"$work/first/dist/$file" | cut -d' ' -f1)
    second=$(sha256sum <"$work/second-clone/dist/$file" | cut -d' ' -f1)
    if [ "$first" = "$second" ]; then
        echo "same       $first  $file"
    else
        echo "DIFFERENT  $first  $second  $file"
        different=$((different + 1))
    fi
done
echo "commit ${commit:0:12}: $different of the release files differ"
[ "$different" -eq 0 ]

#!/usr/bin/env bash
# Writes a sample chat archive with our own RTF writer, converts it to plain text with LibreOffice
# and compares that text with the archive's own text: archives open in a word processor with every
# character intact. Then lets LibreOffice write the archive as RTF of its own and checks that our
# reader takes the same text from that. Needs soffice (Debian: libreoffice-writer-nogui); not part
# of the test command.
#
# Usage: scripts/check-archive-libreoffice.sh [BUILD_DIR]   (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}

if ! command -v soffice >/dev/null; then
    echo "soffice not found: install libreoffice-writer-nogui" >&2
    exit 2
fi

cmake --build "$build" --target chat_sample_archive >/dev/null
tool=$(find "$build" -type f -name chat_sample_archive -perm -u+x | head -n 1)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" "$work/sample.rtf" >"$work/expected.txt"
# A profile of its own, so a running office or the user's settings cannot interfere.
soffice -env:UserInstallation="file://$work/profile" --headless \
    --convert-to 'txt:Text (encoded):UTF8' --outdir "$work/out" "$work/sample.rtf" >/dev/null 2>&1

soffice -env:UserInstallation="file://$work/profile" --headless \
    --convert-to rtf --outdir "$work/rewritten" "$work/sample.rtf" >/dev/null 2>&1
if [[ ! -s $work/out/sample.txt || ! -s $work/rewritten/sample.rtf ]]; then
    echo "FAIL: LibreOffice produced no output from the archive" >&2
    exit 1
fi
"$tool" --read "$work/rewritten/sample.rtf" >"$work/reread.txt" || {
    echo "FAIL: our reader did not read LibreOffice's RTF to its end" >&2
    exit 1
}

# Compare without a byte-order mark, carriage returns and trailing line ends.
normalised() { sed -e '1s/^\xEF\xBB\xBF//' -e 's/\r$//' "$1"; }
expected=$(normalised "$work/expected.txt")
status=0
for check in "out/sample.txt:LibreOffice's text of our archive" \
    "reread.txt:our reader's text of LibreOffice's RTF"; do
    actual=$(normalised "$work/${check%%:*}")
    if [[ $expected == "$actual" ]]; then
        echo "OK: ${check#*:} is unchanged ($(wc -l <<<"$actual") lines)"
    else
        echo "FAIL: ${check#*:} differs" >&2
        diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") >&2 || true
        status=1
    fi
done
exit $status

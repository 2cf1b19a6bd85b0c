#!/bin/bash
# Repair of hostile files (on demand): time and peak memory of korvane-cli repair on
#   - a damaged file whose media data is a chain of small SEI NAL units (SIZE_MB),
#   - a damaged file full of tiny timed-text samples (SIZE_MB),
#   - a reference whose stsc has 8 million entries,
# against the bound of 2 s per 100 MB of input and 200 MB of peak memory.
#   tools/bench_repair/hostile.sh [BUILD_DIR] [WORK_DIR] [SIZE_MB]
# Needs python3 to write the files.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
work=${2:-$build/bench_repair_hostile}
size_mb=${3:-100}
cmake --build "$build" --target korvane-cli korvane-cli-repair samples >/dev/null
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cli="$build/tools/cli/korvane-cli"
ref="$build/samples/20250614080100.MP4"
damaged_src="$build/samples/20250614080000.MP4"

python3 - "$work" "$size_mb" "$ref" <<'PY'
import struct, sys
work, size_mb, ref = sys.argv[1], int(sys.argv[2]), sys.argv[3]
ftyp = struct.pack('>I4s4sI', 20, b'ftyp', b'isom', 0x200) + b'isom'
n = size_mb << 20
def damaged(name, unit):
    with open(f'{work}/{name}', 'wb') as f:
        f.write(ftyp + struct.pack('>I4s', 0, b'mdat'))
        block = unit * ((1 << 20) // len(unit))
        for _ in range(n // len(block)):
            f.write(block)
damaged('sei_chain.MP4', bytes([0, 0, 0, 2, 6, 0x80]))           # SEI units of 2 bytes each
damaged('tiny_text.MP4', struct.pack('>H', 4) + b'N 35')           # 6-byte text samples
# The reference with its stsc grown to 8 million entries (one per chunk number, most beyond its chunks).
data = open(ref, 'rb').read()
def boxes(d, at, end):
    while at + 8 <= end:
        size, kind = struct.unpack('>I4s', d[at:at + 8])
        yield at, size, kind
        at += size
def rewrite(d, at, size, path):
    # Returns the box at `at` with the stsc on `path` replaced, sizes of the boxes on the way fixed.
    kind = d[at + 4:at + 8]
    if kind == b'stsc':
        entries = 8_000_000
        body = struct.pack('>II', 0, entries) + b''.join(
            struct.pack('>III', i + 1, 1 if i else 1, 1) for i in range(entries))
        return struct.pack('>I4s', 8 + len(body), b'stsc') + body
    if kind not in path:
        return d[at:at + size]
    body = b''.join(rewrite(d, a, s, path) for a, s, _ in boxes(d, at + 8, at + size))
    return struct.pack('>I4s', 8 + len(body), kind) + body
out = b''
done = False
for at, size, kind in boxes(data, 0, len(data)):
    if kind == b'moov':
        # Only the first track's stsc grows.
        body = b''
        for a, s, k in boxes(data, at + 8, at + size):
            if k == b'trak' and not done:
                body += rewrite(data, a, s, {b'trak', b'mdia', b'minf', b'stbl'})
                done = True
            else:
                body += data[a:a + s]
        out += struct.pack('>I4s', 8 + len(body), b'moov') + body
    else:
        out += data[at:at + size]
open(f'{work}/huge_stsc.MP4', 'wb').write(out)
PY
cp "$damaged_src" "$work/whole.MP4"
"$build/tools/bench_repair/make_camera_recording" --cut "$work/whole.MP4" "$work/cut.MP4" 0.5 >/dev/null

run() {  # name input-bytes args...
  local name=$1 bytes=$2; shift 2
  /usr/bin/time -o "$work/time" -f "%e %M" "$cli" repair "$@" >/dev/null 2>"$work/err" || true
  read -r secs kb < <(tail -1 "$work/time")
  awk -v n="$name" -v s="$secs" -v k="$kb" -v b="$bytes" 'BEGIN {
    mb = b / 1048576; bound = 2 * mb / 100; if (bound < 0.2) bound = 0.2
    printf "%-12s %8.1f MB  %6.2f s (bound %.2f s)  peak %6.1f MB  %s\n", n, mb, s, bound, k / 1024,
      (s <= bound && k / 1024 < 200) ? "within" : "OVER" }'
  sed 's/^/    /' "$work/err" | head -2
}
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
run sei_chain "$(stat -c %s "$work/sei_chain.MP4")" --reference "$ref" -o "$work/out1.MP4" "$work/sei_chain.MP4"
run tiny_text "$(stat -c %s "$work/tiny_text.MP4")" --reference "$ref" -o "$work/out2.MP4" "$work/tiny_text.MP4"
run usual_ref "$(stat -c %s "$ref")" --reference "$ref" -o "$work/out0.MP4" "$work/cut.MP4"
run huge_stsc "$(stat -c %s "$work/huge_stsc.MP4")" --reference "$work/huge_stsc.MP4" -o "$work/out3.MP4" "$work/cut.MP4"

#!/usr/bin/env python3
# Writes the hostile damaged files for the repair benchmark into WORK:
#   sei_chain.MP4  a key frame of the reference, then a chain of 2-byte SEI NAL units
#   tiny_text.MP4  a key frame of the reference, then 6-byte timed-text samples
#   tiny_video.MP4 a key frame of the reference, then 6-byte IDR pictures
#   huge_stsc.MP4  the reference with its first track's stsc grown to 8 million entries
# Each damaged file holds SIZE_MB of media data after its key frame; the mdat is cut (size 0).
#   hostile_files.py WORK SIZE_MB REFERENCE
import struct, sys

work, size_mb, ref = sys.argv[1], int(sys.argv[2]), sys.argv[3]
data = open(ref, 'rb').read()


def boxes(at, end):
    while at + 8 <= end:
        size, kind = struct.unpack('>I4s', data[at:at + 8])
        if size < 8:
            return
        yield at, size, kind
        at += size


def child(at, size, kind, skip=8):
    for a, s, k in boxes(at + skip, at + size):
        if k == kind:
            return a, s
    raise SystemExit(f'{ref}: no {kind.decode()} box')


def first_video_sample():
    moov = child(0, len(data), b'moov', 0)
    for a, s, k in boxes(moov[0] + 8, moov[0] + moov[1]):
        if k != b'trak':
            continue
        mdia = child(a, s, b'mdia')
        hdlr = child(*mdia, b'hdlr')
        if data[hdlr[0] + 16:hdlr[0] + 20] != b'vide':
            continue
        stbl = child(*child(*mdia, b'minf'), b'stbl')
        stsz = child(*stbl, b'stsz')
        fixed = struct.unpack('>I', data[stsz[0] + 12:stsz[0] + 16])[0]
        size = fixed or struct.unpack('>I', data[stsz[0] + 20:stsz[0] + 24])[0]
        stco = child(*stbl, b'stco')
        offset = struct.unpack('>I', data[stco[0] + 16:stco[0] + 20])[0]
        return data[offset:offset + size]
    raise SystemExit(f'{ref}: no video track')


ftyp = struct.pack('>I4s4sI', 20, b'ftyp', b'isom', 0x200) + b'isom'
key = first_video_sample()
n = size_mb << 20


def damaged(name, unit):
    with open(f'{work}/{name}', 'wb') as f:
        f.write(ftyp + struct.pack('>I4s', 0, b'mdat') + key)
        block = unit * ((1 << 20) // len(unit))
        left = n
        while left > 0:
            f.write(block[:left])
            left -= len(block)


damaged('sei_chain.MP4', bytes([0, 0, 0, 2, 6, 0x80]))  # SEI units of 2 bytes each
damaged('tiny_text.MP4', struct.pack('>H', 4) + b'N 35')  # 6-byte text samples
damaged('tiny_video.MP4', bytes([0, 0, 0, 2, 0x65, 0x80]))  # 6-byte IDR pictures


def rewrite(at, size, path):
    # The box at `at` with the stsc on `path` replaced, the sizes of the boxes on the way fixed.
    kind = data[at + 4:at + 8]
    if kind == b'stsc':
        entries = 8_000_000
        body = struct.pack('>II', 0, entries) + b''.join(struct.pack('>III', i + 1, 1, 1) for i in range(entries))
        return struct.pack('>I4s', 8 + len(body), b'stsc') + body
    if kind not in path:
        return data[at:at + size]
    body = b''.join(rewrite(a, s, path) for a, s, _ in boxes(at + 8, at + size))
    return struct.pack('>I4s', 8 + len(body), kind) + body


out = []
done = False
for at, size, kind in boxes(0, len(data)):
    if kind == b'moov':
        body = []
        for a, s, k in boxes(at + 8, at + size):
            if k == b'trak' and not done:  # only the first track's stsc grows
                body.append(rewrite(a, s, {b'trak', b'mdia', b'minf', b'stbl'}))
                done = True
            else:
                body.append(data[a:a + s])
        body = b''.join(body)
        out.append(struct.pack('>I4s', 8 + len(body), b'moov') + body)
    else:
        out.append(data[at:at + size])
open(f'{work}/huge_stsc.MP4', 'wb').write(b''.join(out))

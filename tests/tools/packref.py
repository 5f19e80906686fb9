#!/usr/bin/env python3
"""An independent reader and writer of pack files, used to check that tomelark-tool
agrees with any other program that follows the pack format.

Format: entries from offset 0 to the end of the file, no header or trailer. Each entry,
little-endian: int32 N, N name bytes (none when N <= 0), int32 D, D data bytes. The
name is Windows-1251 with "\\" between levels; the data is one zlib stream of the
member's content. A name of all zero bytes is a retired entry. The first entry whose
name equals the wanted one, ignoring letter case, is the member.

    packref.py list PACK            live members: name (UTF-8), a tab, the size
    packref.py extract PACK MEMBER  the member's bytes on standard output
    packref.py sample PACK          write a pack full of edge cases
"""
import struct
import sys
import zlib


def entries(path):
    with open(path, "rb") as f:
        data = f.read()
    pos = 0
    while pos < len(data):
        if pos + 4 > len(data):
            raise ValueError("truncated name length at %d" % pos)
        (n,) = struct.unpack_from("<i", data, pos)
        pos += 4
        name = b""
        if n > 0:
            if pos + n > len(data):
                raise ValueError("truncated name at %d" % pos)
            name = data[pos:pos + n]
            pos += n
        if pos + 4 > len(data):
            raise ValueError("truncated data length at %d" % pos)
        (d,) = struct.unpack_from("<i", data, pos)
        pos += 4
        if d < 0 or pos + d > len(data):
            raise ValueError("bad data length at %d" % pos)
        yield name, data[pos:pos + d]
        pos += d


def live(name):
    return any(name)


def inflate(stored):
    if not stored:
        return b""
    d = zlib.decompressobj()
    out = d.decompress(stored)
    if not d.eof:
        raise ValueError("truncated zlib stream")
    return out


def fold(name_bytes):
    return name_bytes.decode("cp1251").lower()


def entry(name, stored, n=None):
    return struct.pack("<i", len(name) if n is None else n) + name + struct.pack("<i", len(stored)) + stored


def sample(path):
    cp = lambda s: s.encode("cp1251")
    z = lambda b: zlib.compress(b, 9)
    parts = [
        entry(b"", b""),                                   # no name, no data
        entry(b"", z(b"nameless data")),                   # no name
        entry(b"\0" * 12, z(b"old base")),                 # retired cardbase.cds
        entry(b"cardbase.cds", z(b"new base" * 1000)),
        entry(b"Sub\\Deep\\File.TXT", z(b"nested")),
        entry(cp("Карты\\Ёжик.txt"), z(cp("колючий"))),
        entry(b"empty.txt", z(b"")),
        entry(b"nodata", b""),                             # no data at all: empty
        entry(b"", b"", n=-3),                             # negative length: no name
    ]
    with open(path, "wb") as f:
        f.write(b"".join(parts))


def main(argv):
    if len(argv) >= 2 and argv[0] == "list":
        for name, stored in entries(argv[1]):
            if live(name):
                line = name.decode("cp1251") + "\t" + str(len(inflate(stored))) + "\n"
                sys.stdout.buffer.write(line.encode("utf-8"))
        return 0
    if len(argv) >= 3 and argv[0] == "extract":
        wanted = fold(argv[2].replace("/", "\\").encode("cp1251"))
        for name, stored in entries(argv[1]):
            if live(name) and fold(name) == wanted:
                sys.stdout.buffer.write(inflate(stored))
                return 0
        sys.stderr.write("not found\n")
        return 1
    if len(argv) >= 2 and argv[0] == "sample":
        sample(argv[1])
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env python3
# Compares the converter with Python's cp932 codec over every single byte, every
# byte pair and every BMP character, as printed by cp932-dump:
#   python3 tools/cp932/check-table.py path/to/cp932-dump
# Exits 0 when all agree, 1 on a difference, 77 without the cp932 codec (a failure to ctest).
import codecs
import subprocess
import sys

NO_CODEC = 77
REPLACEMENT = "\ufffd"


def strict(raw):
    """The one character `raw` is, or None."""
    try:
        text = raw.decode("cp932")
    except UnicodeDecodeError:
        return None
    return text if len(text) == 1 else None


def expected_single(b):
    return strict(bytes([b])) or REPLACEMENT


def expected_pair(a, b):
    # A valid pair is one character; otherwise the first byte is read alone
    # (a lone lead byte is U+FFFD) and the second starts over.
    if strict(bytes([a])) is None:
        ch = strict(bytes([a, b]))
        if ch is not None:
            return ch
    return expected_single(a) + expected_single(b)


def expected_code(cp):
    try:
        return chr(cp).encode("cp932").hex().upper()
    except UnicodeEncodeError:
        return "-"


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: check-table.py CP932-DUMP")
    try:
        codecs.lookup("cp932")
    except LookupError:
        print("this Python has no cp932 codec: skipped")
        return NO_CODEC

    run = subprocess.run([sys.argv[1]], stdout=subprocess.PIPE, check=False)
    if run.returncode != 0:
        print("cp932-dump failed with %d" % run.returncode)
        return 1

    errors = []
    singles = pairs = seen_codes = 0
    decoded = set()
    for line in run.stdout.decode("ascii").splitlines():
        tag, key, *rest = line.split()
        if tag == "E":
            cp = int(key, 16)
            got = rest[0] if rest else ""
            want = expected_code(cp)
            if got != want:
                errors.append("U+%04X encodes to %s, not %s" % (cp, got, want))
            elif got != "-":
                seen_codes += 1
                # Every code must decode to something (a look-alike for the few
                # characters the codec folds, e.g. U+301C -> 0x8160).
                if strict(bytes.fromhex(got)) is None:
                    errors.append("U+%04X encodes to the invalid %s" % (cp, got))
            continue
        raw = bytes.fromhex(key)
        got = "".join(chr(int(u, 16)) for u in rest)
        if tag == "S":
            want = expected_single(raw[0])
            singles += got != REPLACEMENT
        else:
            want = expected_pair(raw[0], raw[1])
            if want != raw.decode("cp932", "replace"):
                errors.append("%s: rule and Python's replacement differ" % key)
            pairs += len(got) == 1 and got != REPLACEMENT and strict(raw[:1]) is None
        if got == want and got != REPLACEMENT and len(got) == 1:
            decoded.add(got)
        if got != want:
            errors.append("%s decodes to %s, not %s" % (
                key, " ".join("%04X" % ord(c) for c in got),
                " ".join("%04X" % ord(c) for c in want)))

    # Encoding what was decoded gives back the same character.
    for ch in sorted(decoded):
        if strict(ch.encode("cp932")) != ch:
            errors.append("U+%04X does not survive a round trip" % ord(ch))

    for count, name, want in ((singles, "single bytes", 196), (pairs, "double-byte codes", 9604)):
        if count != want:
            errors.append("%d %s decode, not %d" % (count, name, want))
    if seen_codes == 0:
        errors.append("the dump holds no encodings")

    for e in errors[:30]:
        print(e)
    if errors:
        print("%d differences" % len(errors))
        return 1
    print("%d single bytes, %d double-byte codes and %d encodable characters agree with Python"
          % (singles, pairs, seen_codes))
    return 0


if __name__ == "__main__":
    sys.exit(main())

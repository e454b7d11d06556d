#!/usr/bin/env python3
"""Compiler launcher for the WebAssembly build: clang has no CP932 execution character
set, so each translation unit is preprocessed, every narrow string and character
literal's non-ASCII text is rewritten as the CP932 bytes GCC would have made, and the
result is compiled. Usage (as CMAKE_CXX_COMPILER_LAUNCHER): cp932-literals.py CXX ARGS...
"""
import os
import re
import subprocess
import sys
import tempfile

PREFIXES = {"L", "u", "U", "u8", "R", "LR", "uR", "UR", "u8R"}


def narrow(body, quote):
    """The literal's body with non-ASCII characters as CP932 escapes. A hex escape
    swallows every hex digit after it, so the literal is split where one follows."""
    out = []
    pending_split = False
    for ch in body:
        if ord(ch) < 0x80:
            if pending_split and ch in "0123456789abcdefABCDEF":
                out.append(quote + " " + quote if quote == '"' else "")
            out.append(ch)
            pending_split = False
        else:
            out.append("".join("\\x%02X" % b for b in ch.encode("cp932")))
            pending_split = True
    return "".join(out)


def rewrite(text):
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c.isalpha() or c == "_" or c.isdigit():
            j = i + 1
            if c.isdigit():  # a pp-number, digit separators included
                while j < n and (text[j].isalnum() or text[j] in "_.'" or (text[j] in "+-" and text[j - 1] in "eEpP")):
                    j += 1
                out.append(text[i:j])
                i = j
                continue
            while j < n and (text[j].isalnum() or text[j] == "_"):
                j += 1
            word = text[i:j]
            if j < n and text[j] in "\"'" and word in PREFIXES:
                if "R" in word:
                    m = re.compile(r'"([^(\s]*)\(').match(text, j)
                    end = text.index(")" + m.group(1) + '"', m.end()) + len(m.group(1)) + 2
                    literal = text[i:end]
                    if word in ("R",) and any(ord(ch) >= 0x80 for ch in literal):
                        sys.exit("cp932-literals: non-ASCII raw string literal")
                    out.append(literal)
                    i = end
                    continue
                end = literal_end(text, j)
                out.append(text[i:end])  # wide and UTF literals stay as they are
                i = end
                continue
            out.append(word)
            i = j
            continue
        if c in "\"'":
            end = literal_end(text, i)
            out.append(c + narrow(text[i + 1:end - 1], c) + c)
            i = end
            continue
        out.append(c)
        i += 1
    return "".join(out)


def literal_end(text, start):
    quote = text[start]
    i = start + 1
    while text[i] != quote:
        i += 2 if text[i] == "\\" else 1
    return i + 1


def main():
    args = sys.argv[1:]
    if "-c" not in args:
        os.execvp(args[0], args)
    out_index = args.index("-o")
    obj = args[out_index + 1]
    source = args[-1]
    with tempfile.TemporaryDirectory() as work:
        plain = os.path.join(work, "unit.ii")
        converted = os.path.join(work, "unit-cp932.ii")
        pre = [a for a in args]
        pre[pre.index("-c")] = "-E"
        pre[out_index + 1] = plain
        subprocess.run(pre, check=True)
        with open(plain, encoding="utf-8") as f:
            text = f.read()
        with open(converted, "w", encoding="utf-8") as f:
            f.write(rewrite(text))
        compile_args, skip = [], 0
        for a in args[:-1]:
            if skip:
                skip -= 1
            elif a in ("-MT", "-MF", "-MQ", "-I", "-D", "-isystem", "-include"):
                skip = 1  # the preprocessor's, done with
            elif a in ("-MD", "-MMD") or a.startswith(("-I", "-D", "-isystem", "@")):
                pass
            else:
                compile_args.append(a)
        compile_args += ["-x", "c++-cpp-output", converted]
        compile_args[compile_args.index("-o") + 1] = obj
        subprocess.run(compile_args, check=True)


if __name__ == "__main__":
    main()

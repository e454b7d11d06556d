#!/usr/bin/env python3
"""Reads mornstave's CSV summary of a generated folder back with Python's csv module:
the records equal the summary's rows in the JSON document, a name holding a comma, a
quote and a line break survives, records end in CR LF, and the CP932 form says the same.

usage: check-csv.py MORNSTAVE BENCHDATA
"""
import csv
import io
import json
import subprocess
import sys
import tempfile

program, benchdata = sys.argv[1], sys.argv[2]
ODD_NAME = 'コンマ, と"引用符"と\n改行'


def run(*args):
    return subprocess.run([program, *args], capture_output=True, check=True).stdout


def two(value):
    if value is None:
        return ""
    text = "%.2f" % value
    return "0.00" if text == "-0.00" else text


with tempfile.TemporaryDirectory() as folder:
    subprocess.run([benchdata, "tree", folder, "60", "--oddities"], check=True)
    summary = json.loads(run("--summary", "--format=json", "-r", folder))["summary"]
    utf8 = run("--format=csv", "-r", folder)
    cp932 = run("--format=csv", "--encoding=cp932", "-r", folder)

assert utf8.startswith(b"\xef\xbb\xbf"), "UTF-8 starts with its byte-order mark"
assert not cp932.startswith(b"\xef\xbb\xbf"), "CP932 has none"
records = list(csv.reader(io.StringIO(utf8.decode("utf-8-sig"), newline="")))
assert list(csv.reader(io.StringIO(cp932.decode("cp932"), newline=""))) == records, "CP932 says the same"
# Every record ends in CR LF; a line feed alone stands only inside a quoted name.
assert utf8.endswith(b"\r\n") and utf8.count(b"\r\n") == len(records), (utf8.count(b"\r\n"), len(records))

header, body = records[0], records[1:]
assert header == ["パス", "名称", "技能Lv", "推定Lv", "差", "目標", "効果", "エラー", "場所"], header
assert all(len(record) == len(header) for record in records), "every record as wide as the header"
blank = body.index([""] * len(header))
cards = [record for record in body[:blank] if not record[-2]]
failures = [record for record in body[:blank] if record[-2]]

expected = [[row["path"], row["name"], str(row["level"]), two(row["estimate"]), two(row["difference"]),
             row["target"], row["effects"], "", ""] for row in summary["rows"]]
assert cards == expected, "the rows differ"


def place(failure):
    at = failure.get("location")
    if at is None:
        return ""
    return "0x%08X, %s (found %s, allowed %s)" % (at["offset"], at["path"], at["found"], at["allowed"])


assert [[f[0], f[-2], f[-1]] for f in failures] == [[f["path"], f["error"], place(f)]
                                                    for f in summary["failures"]]
assert any(f[-1] for f in failures), "a broken card's place is shown"
assert sum(record[1] == ODD_NAME for record in cards) == 1, "the odd name did not survive"
totals = dict((record[0], record[1]) for record in body[blank + 1:blank + 4])
assert totals == {"読み込み": str(summary["totals"]["read"]), "失敗": str(summary["totals"]["failed"]),
                  "差の絶対値の平均": two(summary["totals"]["meanAbsoluteDifference"])}, totals

print("%d rows and %d failure read back from CSV in UTF-8 and CP932" % (len(cards), len(failures)))

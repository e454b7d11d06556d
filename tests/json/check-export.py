#!/usr/bin/env python3
"""Checks mornstave's JSON export of the given cards: the document is valid JSON,
valid against docs/card.schema.json, lists the paths in the order given, and each
card's description and level say what the text report says; with --summary, the
document is valid too and its rows point at the same cards; the --explain document is
valid against the schema's listing, and the --diff document against its part.

usage: check-export.py MORNSTAVE SCHEMA CARD...   (fails when jsonschema is missing)
"""
import json
import subprocess
import sys

try:
    import jsonschema
except ImportError:
    print("jsonschema is not installed (scripts/install-deps.sh installs it)")
    sys.exit(77)

program, schema_path, cards = sys.argv[1], sys.argv[2], sys.argv[3:]
paths = cards + ["missing-skill.vnt"]

document = json.loads(subprocess.run([program, "--format=json", *paths], capture_output=True,
                                     check=True).stdout.decode("utf-8"))
with open(schema_path, encoding="utf-8") as schema_file:
    schema = json.load(schema_file)
jsonschema.validate(document, schema)

entries = document["cards"]
assert [entry["path"] for entry in entries] == paths, "paths out of order"
assert entries[-1]["error"] == "開けません", entries[-1]

# With --summary: the same cards, and rows that point at them.
summarised = json.loads(subprocess.run([program, "--summary", "--format=json", *paths], capture_output=True,
                                       check=True).stdout.decode("utf-8"))
jsonschema.validate(summarised, schema)
assert summarised["cards"] == entries, "--summary changed the cards"
for row in summarised["summary"]["rows"]:
    card = entries[row["entry"]]
    assert (card["path"], card["level"], card["estimate"]["level"]) == (row["path"], row["level"], row["estimate"])
assert [f["path"] for f in summarised["summary"]["failures"]] == ["missing-skill.vnt"]

# With --advise too: the 提案 column after the effects, its cell the entry's first advice.
advised = json.loads(subprocess.run([program, "--summary", "--advise", "--format=json", *paths], capture_output=True,
                                    check=True).stdout.decode("utf-8"))
jsonschema.validate(advised, schema)
keys = [column["key"] for column in advised["summary"]["columns"]]
assert keys[keys.index("effects") + 1] == "advice", keys
for row in advised["summary"]["rows"]:
    advice = advised["cards"][row["entry"]]["advice"]
    assert row["cells"]["advice"] == (advice[0]["text"] if advice else ""), row

for entry in entries[:-1]:
    text = subprocess.run([program, "--encoding=utf-8", entry["path"]], capture_output=True,
                          check=True).stdout.decode("utf-8")
    block = "[%s]\n%s\n" % (entry["path"], "\n".join(entry["description"]))
    assert text.startswith(block), "description differs for %s" % entry["path"]
    level_line = text.rstrip("\n").split("\n")[-1]
    level = entry["estimate"]["level"]
    shown = "level: -774" if level is None else "level: %.3g" % level
    assert level_line == shown or float(level_line[7:]) == float(shown[7:]), (level_line, shown)

# The listing's document, against its part of the same schema.
listings = json.loads(subprocess.run([program, "--explain", "--format=json", *paths], capture_output=True,
                                     check=False).stdout.decode("utf-8"))
jsonschema.validate(listings, {"$schema": schema["$schema"], "$defs": schema["$defs"], "$ref": "#/$defs/listingDocument"})
assert [entry["path"] for entry in listings["cards"]] == paths, "listing paths out of order"

# The comparison of the cards with themselves and with nothing, against its part.
def part(name):
    return {"$schema": schema["$schema"], "$defs": schema["$defs"], "$ref": "#/$defs/" + name}
for old, new in [(cards[0], cards[0]), (cards[0], cards[-1])]:
    compared = subprocess.run([program, "--diff", "--all", "--format=json", old, new], capture_output=True)
    assert compared.returncode == (0 if old == new else 1), compared
    jsonschema.validate(json.loads(compared.stdout.decode("utf-8")), part("diffDocument"))

print("%d cards and 1 failure: valid and in step with the text report" % (len(entries) - 1))

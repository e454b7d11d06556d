#!/usr/bin/env python3
"""Checks that each layer of core/ includes only the layers its CMake target links.

The targets' target_link_libraries lines are the one table of which layer may use
which; a header of another layer included without the link, directly or through the
layers it links, is a finding. usage: check-layers.py CORE_DIR
"""
import pathlib
import re
import sys

core = pathlib.Path(sys.argv[1])
layers = sorted(p.name for p in core.iterdir() if (p / "CMakeLists.txt").exists())

links = {}
for layer in layers:
    text = (core / layer / "CMakeLists.txt").read_text()
    used = set()
    for call in re.findall(r"target_link_libraries\(\s*mornstave_%s\b([^)]*)\)" % layer, text):
        used |= {name for name in re.findall(r"mornstave_(\w+)", call) if name in layers}
    links[layer] = used

def reachable(layer):
    seen, stack = set(), [layer]
    while stack:
        for used in links[stack.pop()]:
            if used not in seen:
                seen.add(used)
                stack.append(used)
    return seen

findings = []
for layer in layers:
    if layer in reachable(layer):
        findings.append("%s links itself through a cycle" % layer)
    allowed = reachable(layer) | {layer}
    for source in sorted((core / layer).rglob("*")):
        if source.suffix not in {".cpp", ".hpp", ".def", ".inc"}:
            continue
        for included in re.findall(r'#include "(\w+)/', source.read_text(encoding="utf-8")):
            if included in layers and included not in allowed:
                findings.append("%s includes %s/ but mornstave_%s does not link mornstave_%s"
                                % (source.relative_to(core.parent), included, layer, included))

for finding in findings:
    print(finding)
print("%d layers, %d findings" % (len(layers), len(findings)))
sys.exit(1 if findings else 0)

#!/usr/bin/env python3
"""Checks that each layer of core/ includes only the layers its CMake target links, and
that each front end includes only the public headers of the targets it links.

The targets' target_link_libraries lines are the one table of which layer may use
which; a header of another layer included without the link, directly or through the
layers it links, is a finding.

A front end (console/, window/, web/) is held to the public headers of what it links.
Public means: a target exposes the headers of its own layer (for a core layer, its
folder core/LAYER; for a front end's library, its folder when it makes it a PUBLIC
include directory), and everything that the targets it links PUBLIC or INTERFACE
expose. What a target links PRIVATE is its own business: a front end that links the
engine alone may not include text/, which the engine links PRIVATE. A source file
listed in a target is held to that target's links; any other file of a front end's
folder to those of all the folder's targets.

usage: check-layers.py CORE_DIR [FRONT_END_DIR ...]
"""
import pathlib
import re
import sys

core = pathlib.Path(sys.argv[1])
front_ends = [pathlib.Path(arg) for arg in sys.argv[2:]]
layers = sorted(p.name for p in core.iterdir() if (p / "CMakeLists.txt").exists())
SOURCES = {".cpp", ".hpp", ".def", ".inc", ".h"}


def calls(text, command):
    """(first argument, the other arguments) of each call of the CMake command."""
    text = re.sub(r"#[^\n]*", "", text)
    for match in re.finditer(r"\b%s\(\s*([^)]*)\)" % command, text):
        words = match.group(1).split()
        if words:
            yield words[0], words[1:]


# Every target of the build files read: its folder, its sources, its links by
# visibility and whether it makes its folder a public include directory.
targets = {}


def read_targets(folder, layer=None):
    text = (folder / "CMakeLists.txt").read_text()
    for command in ("add_library", "add_executable"):
        for name, words in calls(text, command):
            target = targets.setdefault(name, {"folder": folder, "layer": layer, "sources": set(),
                                               "links": {}, "exposes_folder": False})
            target["sources"] |= {w for w in words if pathlib.Path(w).suffix in SOURCES}
    for name, words in calls(text, "target_link_libraries"):
        if name not in targets:
            continue
        visibility = "PUBLIC"  # the plain signature passes its links on
        for word in words:
            if word in ("PUBLIC", "PRIVATE", "INTERFACE"):
                visibility = word
            elif word.startswith("mornstave"):
                targets[name]["links"][word] = visibility
    for name, words in calls(text, "target_include_directories"):
        if name in targets and "PUBLIC" in words and "${CMAKE_CURRENT_SOURCE_DIR}" in words:
            targets[name]["exposes_folder"] = True


for layer in layers:
    read_targets(core / layer, layer)
read_targets(core)  # mornstave_core, the name of everything both programs need
for folder in front_ends:
    read_targets(folder)


def exposed(name, seen=None):
    """The core layers and front-end folders whose headers linking `name` gives."""
    seen = set() if seen is None else seen
    if name in seen or name not in targets:
        return set()
    seen.add(name)
    target = targets[name]
    given = set()
    if target["layer"]:
        given.add(target["layer"])
    if target["exposes_folder"]:
        given.add(target["folder"].name)
    for used, visibility in target["links"].items():
        if visibility != "PRIVATE":
            given |= exposed(used, seen)
    return given


def includes(source):
    return re.findall(r'#include "([^"]+)"', source.read_text(encoding="utf-8"))


findings = []

# The layers of core/: what each target links, at any depth, whatever the visibility.
links = {layer: {used[len("mornstave_"):] for used in targets["mornstave_" + layer]["links"]
                 if used[len("mornstave_"):] in layers} for layer in layers}


def reachable(layer):
    seen, stack = set(), [layer]
    while stack:
        for used in links[stack.pop()]:
            if used not in seen:
                seen.add(used)
                stack.append(used)
    return seen


for layer in layers:
    if layer in reachable(layer):
        findings.append("%s links itself through a cycle" % layer)
    allowed = reachable(layer) | {layer}
    for source in sorted((core / layer).rglob("*")):
        if source.suffix not in SOURCES:
            continue
        for included in includes(source):
            top = included.split("/")[0]
            if "/" in included and top in layers and top not in allowed:
                findings.append("%s includes %s/ but mornstave_%s does not link mornstave_%s"
                                % (source.relative_to(core.parent), top, layer, top))

# The front ends: the public headers of what each target links.
for folder in front_ends:
    own = [name for name, target in targets.items() if target["folder"] == folder]

    def allowed_by(names):
        given = {folder.name}
        for name in names:
            for used in targets[name]["links"]:
                given |= exposed(used)
        return given

    every = allowed_by(own)
    for source in sorted(folder.rglob("*")):
        if source.suffix not in SOURCES or not source.is_file():
            continue
        listed = [name for name in own if source.name in targets[name]["sources"]]
        allowed = allowed_by(listed) if listed else every
        where = "+".join(listed) if listed else "the targets of %s/" % folder.name
        for included in includes(source):
            if "/" in included:
                top = included.split("/")[0]
                if top in layers and top not in allowed:
                    findings.append("%s includes %s/, which %s links no public way to"
                                    % (source.relative_to(folder.parent), top, where))
            elif not (source.parent / included).exists():
                homes = [f.name for f in front_ends if (f / included).exists()]
                if not any(home in allowed for home in homes):
                    findings.append("%s includes %s, which no target %s links makes public"
                                    % (source.relative_to(folder.parent), included, where))

for finding in findings:
    print(finding)
print("%d layers, %d front ends, %d findings" % (len(layers), len(front_ends), len(findings)))
sys.exit(1 if findings else 0)

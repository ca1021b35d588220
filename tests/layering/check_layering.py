#!/usr/bin/env python3
"""Fails when a source file includes a header from a folder above its own layer, or
names one of the project's headers without its folder.

The layers, lowest first: motor/ (the controller and the port backends), ports/ (the
outputs other than the parallel port, and the choice of output), core/ (the window
without a toolkit), the front ends qt/ and win32/ beside each other, sim/ (the
simulated port and the virtual motor, which know the motor alone),
and the programs, benchmarks and tests.

    check_layering.py REPOSITORY_ROOT
"""
import pathlib
import re
import sys

# What each folder may include, besides the standard library, the platform and its own.
ALLOWED = {
    "motor": {"motor"},
    "ports": {"ports", "motor"},
    "core": {"core", "ports", "motor"},
    "qt": {"qt", "core", "ports", "motor"},
    "win32": {"win32", "core", "ports", "motor"},
    "sim": {"sim", "motor"},
    "app": {"app", "qt", "win32", "sim", "core", "ports", "motor"},
    "bench": {"bench", "qt", "sim", "core", "ports", "motor"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

root = pathlib.Path(sys.argv[1]).resolve()
headers = {p.relative_to(root).as_posix() for p in root.glob("*/**/*.h") if "build" not in p.parts[len(root.parts)]}
bare_names = {pathlib.PurePosixPath(h).name for h in headers}
problems = []
for source in sorted(root.glob("*/**/*")):
    if source.suffix not in {".cpp", ".h"} or source.parts[len(root.parts)].startswith("build"):
        continue
    relative = source.relative_to(root).as_posix()
    layer = relative.split("/")[0]
    for included in INCLUDE.findall(source.read_text(encoding="utf-8")):
        folder = included.split("/")[0] if "/" in included else None
        if folder is None:
            if included in bare_names:
                problems.append(f"{relative}: \"{included}\" does not say which folder it comes from")
        elif layer in ALLOWED and folder not in ALLOWED[layer]:
            problems.append(f"{relative}: includes \"{included}\", a layer above {layer}/")
for problem in problems:
    print(problem)
print(f"{len(problems)} layering problems in {root}")
sys.exit(1 if problems else 0)

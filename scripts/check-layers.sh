#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a layer it may not use. Each folder of src/
# is a layer; src/layers.txt says which folders each one may include from. Every spelling of an
# include is read: "layer/x.h", <layer/x.h> and relative paths ("../layer/x.h", "x.h"), each
# resolved as the compiler does (beside the including file first, then from src/).
#   scripts/check-layers.sh [SRC_DIR]     (default: the src/ beside this script)
set -euo pipefail
src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}
exec python3 - "$src" <<'PY'
import os, re, sys

src = os.path.realpath(sys.argv[1])
allowed = {}
with open(os.path.join(src, "layers.txt"), encoding="utf-8") as table:
    for line in table:
        line = line.split("#", 1)[0].strip()
        if line:
            layer, folders = line.split(":", 1)
            allowed[layer.strip()] = set(folders.split())

include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
status = 0
for root, _dirs, files in os.walk(src):
    for name in sorted(files):
        if not name.endswith((".h", ".hpp", ".cpp", ".cc")):
            continue
        path = os.path.join(root, name)
        rel = os.path.relpath(path, src)
        layer = rel.split(os.sep, 1)[0]
        if layer not in allowed:
            print(f"{rel}: the folder '{layer}' is not a known layer", file=sys.stderr)
            status = 1
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                m = include.match(line)
                if not m:
                    continue
                kind, inc = m.groups()
                target = None
                beside = os.path.normpath(os.path.join(root, inc))
                if kind == '"' and os.path.exists(beside):
                    if os.path.commonpath([beside, src]) == src:
                        target = os.path.relpath(beside, src).split(os.sep, 1)[0]
                elif "/" in inc:
                    first = os.path.normpath(inc).split(os.sep, 1)[0]
                    if first == "..":
                        # A relative path that leaves the file's folder, resolved from it.
                        if os.path.commonpath([beside, src]) == src:
                            target = os.path.relpath(beside, src).split(os.sep, 1)[0]
                    else:
                        target = first
                if target is None or target not in allowed or target == rel:
                    continue  # a library's header, or not under src/
                if target not in allowed[layer]:
                    print(f'{rel} includes {kind}{inc}{">" if kind == "<" else kind}: '
                          f"{layer} may not use {target}", file=sys.stderr)
                    status = 1
if status == 0:
    print("layers: every include points down")
sys.exit(status)
PY

#!/usr/bin/env bash
# Every test of the build tree runs with HOME and the XDG folders inside it: reads what CTest
# would run (ctest --show-only) and fails on a test without them.
#   home-is-private.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
home=$build/test-home
[ "$HOME" = "$home" ] || { echo "this test's HOME is $HOME, not $home" >&2; exit 1; }
cd "$build"
ctest --show-only=json-v1 | python3 -c '
import json, sys
home = sys.argv[1]
wanted = {"HOME": home, "XDG_CONFIG_HOME": home + "/.config", "XDG_DATA_HOME": home + "/.local/share",
          "XDG_CACHE_HOME": home + "/.cache", "XDG_STATE_HOME": home + "/.local/state",
          "XDG_RUNTIME_DIR": home + "/runtime"}
bad = []
tests = json.load(sys.stdin)["tests"]
for t in tests:
    got = {}
    for p in t.get("properties", []):
        if p["name"] == "ENVIRONMENT_MODIFICATION":
            for item in p["value"]:
                name, _, rest = item.partition("=")
                op, _, value = rest.partition(":")
                if op == "set":
                    got[name] = value
    if any(got.get(k) != v for k, v in wanted.items()):
        bad.append(t["name"])
if bad:
    print("tests that would run with the real home:", " ".join(bad), file=sys.stderr)
    sys.exit(1)
print(f"all {len(tests)} tests run with their home in the build tree")
' "$home"

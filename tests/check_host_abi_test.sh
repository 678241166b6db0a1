#!/usr/bin/env bash
# scripts/check-host-abi, pointed at copies of host/: an unchanged copy shows
# no difference; a copy with one member moved, one constant changed or one
# member missing is reported by name.
set -euo pipefail
root="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cp -r "$root/host" "$work/same"
"$root/scripts/check-host-abi" "$work/same" >"$work/same.txt" || { cat "$work/same.txt"; echo "FAIL: an unchanged copy differs"; exit 1; }
grep -q ' 0 different, 0 not found' "$work/same.txt" || { cat "$work/same.txt"; echo "FAIL: no clean summary"; exit 1; }

# evt_in_flags and evt_out_flags swapped: the effect would write the host's in-flags.
cp -r "$root/host" "$work/moved"
python3 - "$work/moved/ae_event.h" <<'PY'
import sys
p = sys.argv[1]
s = open(p).read()
a = "    PF_EventInFlags evt_in_flags;\n    PF_EventOutFlags evt_out_flags;"
assert a in s
open(p, "w").write(s.replace(a, "    PF_EventOutFlags evt_out_flags;\n    PF_EventInFlags evt_in_flags;"))
PY
if "$root/scripts/check-host-abi" "$work/moved" >"$work/moved.txt"; then
    cat "$work/moved.txt"; echo "FAIL: a moved member was not reported"; exit 1
fi
grep -q 'DIFFERS: PF_EventExtra.evt_out_flags at: host/ 140, SDK 136' "$work/moved.txt" ||
    { cat "$work/moved.txt"; echo "FAIL: the moved member is not named"; exit 1; }
# The event record is reported before anything else.
head -n 1 "$work/moved.txt" | grep -q 'PF_EventExtra' || { cat "$work/moved.txt"; echo "FAIL: PF_EventExtra not first"; exit 1; }

# A constant given another bit is reported with both values.
cp -r "$root/host" "$work/value"
sed -i 's/PF_EO_UPDATE_NOW = 1L << 3,/PF_EO_UPDATE_NOW = 1L << 4,/' "$work/value/ae_event.h"
grep -q 'PF_EO_UPDATE_NOW = 1L << 4,' "$work/value/ae_event.h" || { echo "FAIL: the constant was not changed"; exit 1; }
if "$root/scripts/check-host-abi" "$work/value" >"$work/value.txt"; then
    cat "$work/value.txt"; echo "FAIL: a changed constant was not reported"; exit 1
fi
grep -q 'DIFFERS: value of PF_EO_UPDATE_NOW: host/ 8, SDK 16' "$work/value.txt" ||
    { cat "$work/value.txt"; echo "FAIL: the changed constant is not named"; exit 1; }

# A member the copy lacks is reported as missing.
cp -r "$root/host" "$work/renamed"
sed -i 's/\bplugin_state\b/plugin_stateX/' "$work/renamed/ae_event.h"
if "$root/scripts/check-host-abi" "$work/renamed" >"$work/renamed.txt"; then
    cat "$work/renamed.txt"; echo "FAIL: a missing member was not reported"; exit 1
fi
grep -q 'not in the SDK headers (or named differently): PF_Context.plugin_state at' "$work/renamed.txt" ||
    { cat "$work/renamed.txt"; echo "FAIL: the missing member is not named"; exit 1; }
echo "check-host-abi reports moved members, changed constants and missing members"

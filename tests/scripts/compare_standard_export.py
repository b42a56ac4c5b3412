#!/usr/bin/env python3
"""Exports a built catalog with ptq and compares it with the JSON it was built from: the same
material names, each with the same number of profiles and the same DN rows.

Usage: compare_standard_export.py PTQ CATALOG.ptq SOURCE.json
"""
import json
import subprocess
import sys


def sizes(catalog):
    return {m["name"]: sorted(p["dn"] for p in m.get("profiles", [])) for m in catalog["materials"]}


def main():
    ptq, built, source = sys.argv[1:4]
    run = subprocess.run([ptq, "export", built], capture_output=True, check=False)
    if run.returncode != 0 or run.stderr:
        print(f"ptq export failed ({run.returncode}): {run.stderr.decode('utf-8', 'replace')}")
        return 1
    exported = sizes(json.loads(run.stdout.decode("utf-8")))
    with open(source, encoding="utf-8") as f:
        expected = sizes(json.load(f))

    faults = []
    for name in sorted(expected.keys() - exported.keys()):
        faults.append(f"missing material: {name}")
    for name in sorted(exported.keys() - expected.keys()):
        faults.append(f"material not in the JSON: {name}")
    for name in sorted(expected.keys() & exported.keys()):
        if expected[name] != exported[name]:
            faults.append(f"{name}: {len(exported[name])} profiles {exported[name]}, "
                          f"the JSON has {len(expected[name])} {expected[name]}")
    for fault in faults:
        print(fault)
    if not faults:
        print(f"{len(exported)} materials, {sum(map(len, exported.values()))} profiles, as in the JSON")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())

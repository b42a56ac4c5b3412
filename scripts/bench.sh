#!/usr/bin/env bash
# Runs the benchmarks and prints one table: for generated catalogs of 1,000, 10,000 and 100,000
# materials with 28 profiles each, the catalog library (read, write, files, Assign, memory),
# the editing dialog (fill and sort, filter click, showing a material) and the program's
# start-up to its first painted dialog with the standard catalog and with 10,000 materials.
# See docs/performance.md for what each figure means and the targets.
#
# Every figure is a median of repeated runs, with wall and CPU time, and the wall time of the
# fastest run: the CPU time and the fastest run tell what the code costs when the machine is
# shared; the load average is printed with the table.
#
# Environment: VELMORA_BUILD_DIR (default build), VELMORA_BENCH_REPETITIONS (default 5),
# VELMORA_BENCH_JSON=FILE also writes every figure to FILE.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${VELMORA_BUILD_DIR:-build}
repetitions=${VELMORA_BENCH_REPETITIONS:-5}
if [ ! -f "$build_dir/build.ninja" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build_dir" --target bench_catalog_files bench_dialogs velmora standard_catalog

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bench="$build_dir/tests/bench"

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "Catalog library (Google Benchmark, $repetitions repetitions) ..." >&2
"$bench/bench_catalog_files" --benchmark_repetitions="$repetitions" \
  --benchmark_out="$work/library.json" --benchmark_out_format=json >/dev/null
echo "Editing dialog ..." >&2
QT_QPA_PLATFORM=offscreen "$bench/bench_dialogs" >"$work/dialogs.txt" 2>"$work/dialogs.err" ||
  { cat "$work/dialogs.err" >&2; exit 1; }
echo "Start-up ..." >&2
"$bench/bench_dialogs" --write-catalog 10000 "$work/catalog-10000.ptq"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

python3 - "$work" "$build_dir" "$repetitions" "$load_before" "$load_after" "${VELMORA_BENCH_JSON:-}" <<'EOF'
import json, math, os, resource, shutil, statistics, subprocess, sys, time

work, build, repetitions, load_before, load_after, json_out = sys.argv[1:7]
repetitions = int(repetitions)
sizes = [1000, 10000, 100000]
rows = {}  # (operation, size) -> (wall ms, cpu ms)

fastest = {}  # (operation, size) -> wall ms of the fastest repetition
for b in json.load(open(os.path.join(work, "library.json")))["benchmarks"]:
    name, size = b["run_name"].split("/")[:2]
    if b.get("aggregate_name") == "median":
        rows[(name, int(size))] = (b["real_time"], b["cpu_time"], b)
    elif b.get("aggregate_name") == "min":
        fastest[(name, int(size))] = b["real_time"]

for line in open(os.path.join(work, "dialogs.txt")):
    parts = line.split()
    if parts and parts[0] == "RESULT":
        rows[(parts[1], int(parts[2]))] = (float(parts[3]), float(parts[4]), None)
        fastest[(parts[1], int(parts[2]))] = float(parts[5])

# Start-up: the program with --quit-after-start ends its modal run after the first paint.
def startup(catalog):
    root = os.path.join(work, "startup")
    shutil.rmtree(root, ignore_errors=True)
    for folder in ("install/Velmora", "data/Velmora", "home"):
        os.makedirs(os.path.join(root, folder))
    standard = os.path.join(build, "share/brevanti/Velmora/Potrubi_std.ptq")
    shutil.copy(standard, os.path.join(root, "install/Velmora/Potrubi_std.ptq"))
    shutil.copy(catalog, os.path.join(root, "data/Velmora/Potrubi.ptq"))
    with open(os.path.join(root, "machine.reg"), "w") as reg:
        reg.write('Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Brevanti]\n'
                  f'"CommonInstallPath"="{root}/install"\n"CommonDataPath"="{root}/data"\n')
    env = {"PATH": "/usr/bin:/bin", "HOME": os.path.join(root, "home"), "QT_QPA_PLATFORM": "offscreen",
           "XDG_RUNTIME_DIR": os.path.join(root, "home"),
           "VELMORA_MACHINE_REGISTRY": os.path.join(root, "machine.reg"),
           "VELMORA_USER_REGISTRY": os.path.join(root, "none.reg")}
    os.chmod(env["XDG_RUNTIME_DIR"], 0o700)
    program = os.path.join(build, "Velmora/velmora")
    wall, cpu = [], []
    for i in range(repetitions + 1):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        done = subprocess.run([program, "--quit-after-start"], env=env, capture_output=True, timeout=120)
        elapsed = (time.perf_counter() - start) * 1e3
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if done.returncode != 0 or done.stderr.strip():
            sys.exit(f"velmora --quit-after-start: {done.returncode} {done.stderr.decode()}")
        if i == 0:
            continue  # the first run warms the page cache and the font cache
        wall.append(elapsed)
        cpu.append((after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1e3)
    return statistics.median(wall), statistics.median(cpu), min(wall)

standard = os.path.join(build, "share/brevanti/Velmora/Potrubi_std.ptq")
for key, catalog in ((("startup_standard", 0), standard), (("startup", 10000), os.path.join(work, "catalog-10000.ptq"))):
    wall, cpu, least = startup(catalog)
    rows[key] = (wall, cpu, None)
    fastest[key] = least

def ms(v):
    return f"{v:9.2f}" if v is not None else f"{'-':>9}"

# (label, operation key, target in ms at 10,000 materials or None)
operations = [
    ("Read catalog (memory)", "Read", 60), ("Read catalog file", "ReadFile", 60),
    ("Write catalog (memory)", "Write", 30), ("Write catalog file + fsync", "WriteFile", None),
    ("Assign (working copy)", "Assign", 40), ("Fill + sort list", "fill_sort", 20),
    ("Filter click", "filter_click", 16), ("Show 28-profile material", "show_material", 16),
]
print(f"Load average before / after: {load_before} / {load_after} ({os.cpu_count()} cores);"
      f" medians of {repetitions}+ runs, milliseconds")
print()
print(f"{'operation':28} {'materials':>9} {'wall':>9} {'cpu':>9} {'wall min':>9}  target")
growth = []
for label, key, target in operations:
    for size in sizes:
        if (key, size) not in rows:
            continue
        wall, cpu, _ = rows[(key, size)]
        mark = ""
        if key == "fill_sort" and size == 100000:
            mark = "<= 250"
        elif target is not None and size == 10000:
            mark = f"<= {target}"
        print(f"{label:28} {size:9} {ms(wall)} {ms(cpu)} {ms(fastest.get((key, size)))}  {mark}")
    if (key, 1000) in rows and (key, 100000) in rows:
        growth.append((label, rows[(key, 100000)][1] / max(rows[(key, 1000)][1], 1e-9)))
wall, cpu, _ = rows[("startup_standard", 0)]
print(f"{'Start-up, standard catalog':28} {'-':>9} {ms(wall)} {ms(cpu)} {ms(fastest[('startup_standard', 0)])}  <= 300")
wall, cpu, _ = rows[("startup", 10000)]
print(f"{'Start-up, 10,000 materials':28} {10000:9} {ms(wall)} {ms(cpu)} {ms(fastest[('startup', 10000)])}")

print()
print(f"{'memory':28} {'materials':>9} {'per material':>13} {'per profile':>12} {'catalog/profile':>16}")
for size in sizes:
    if ("Memory", size) in rows:
        c = rows[("Memory", size)][2]
        print(f"{'heap of a catalog read':28} {size:9} {c['bytes_per_material']:13.1f} {c['bytes_per_profile']:12.1f}"
              f" {c['catalog_bytes_per_profile']:16.1f}  (target <= 250 B per profile)")

print()
print(f"{'reading / file bytes':28} {'materials':>9} {'wall ratio':>11} {'cpu ratio':>10}")
for size in sizes:
    if ("ReadFile", size) in rows and ("ReadFileBytes", size) in rows:
        r, b = rows[("ReadFile", size)], rows[("ReadFileBytes", size)]
        print(f"{'ReadFile / ReadFileBytes':28} {size:9} {r[0] / b[0]:11.1f} {r[1] / b[1]:10.1f}")

# n log n from 1,000 to 100,000 is a factor 100 * log(1e5) / log(1e3) = 166.7.
bound = 100 * math.log(1e5) / math.log(1e3)
print()
print(f"CPU time 100,000 / 1,000 materials (n log n allows {bound:.0f}):")
for label, ratio in growth:
    print(f"  {label:28} {ratio:7.1f}  {'ok' if ratio <= bound else 'grows faster than n log n'}")

if json_out:
    json.dump({f"{k[0]}/{k[1]}": {"wall_ms": v[0], "cpu_ms": v[1]} for k, v in rows.items()},
              open(json_out, "w"), indent=1)
EOF

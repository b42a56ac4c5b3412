#!/usr/bin/env python3
"""Engineer's check of the shipped standard catalog (data/standard-catalog.json).

Checks every material and profile against the limits of the catalog records and against
the pipe standards the series come from: field lengths, flags and indexes in range, walls
and diameters consistent, every profile on the DN row that fits its size, walls of SDR
series, and labels that the program can build. Prints one line per finding and exits with
status 1 when there is any, 0 when the data is clean.

Usage: check-standard-catalog.py [path/to/standard-catalog.json]
"""

import json
import math
import re
import struct
import sys
from pathlib import Path

# The program's fixed tables. Files store row indexes, so these rows never change.
# DN rows: (nominal size, default outer diameter).
DN_TABLE = [
    (8, 10), (10, 16), (12, 18), (15, 20), (20, 25), (25, 32), (32, 40), (40, 50),
    (50, 63), (65, 75), (80, 90), (100, 110), (125, 125), (150, 160), (200, 200),
    (225, 225), (250, 250), (300, 315), (350, 350), (400, 400), (450, 450), (500, 500),
    (600, 600), (700, 700), (800, 800), (900, 900), (1000, 1000), (1200, 1200),
]
PN_TABLE = [0, 6, 10, 16, 25, 40, 63]
SDR_TABLE = [0, 6, 7.4, 9, 11, 13.6, 17, 17.6]
SHAPE_COUNT = 5
DESC_MODES = (0, 1, 2)

# Field limits of the records (characters).
NAME_MAX = 20
DRAWING_NAME_MAX = 20
MANUFACTURER_MAX = 25
AFFIX_MAX = 4
URS_MAX = 9
LABEL_MAX = 14
SHORT_LABEL_MAX = 5
# The roughness the material field accepts, in millimetres.
ROUGHNESS_MIN, ROUGHNESS_MAX = 0.01, 3.0

OD_TOLERANCE = 0.05  # stated OD against inner diameter + 2 x wall, millimetres

# Outside diameters of steel pipes by DN: EN 10255 (threaded) and EN 10220 / EN 253
# (line pipe and the service pipe of pre-insulated pipes). They differ only at DN 150.
STEEL_OD_EN10255 = {
    8: 13.5, 10: 17.2, 15: 21.3, 20: 26.9, 25: 33.7, 32: 42.4, 40: 48.3, 50: 60.3,
    65: 76.1, 80: 88.9, 100: 114.3, 125: 139.7, 150: 165.1,
}
STEEL_OD_EN10220 = {**STEEL_OD_EN10255, **{
    150: 168.3, 200: 219.1, 250: 273.0, 300: 323.9, 350: 355.6, 400: 406.4, 450: 457.0,
    500: 508.0, 600: 610.0, 700: 711.0, 800: 813.0, 900: 914.0, 1000: 1016.0, 1200: 1219.0,
}}
# External diameters DE of ductile-iron pipes by DN (EN 545 / EN 598).
DUCTILE_IRON_DE = {
    80: 98, 100: 118, 125: 144, 150: 170, 200: 222, 250: 274, 300: 326, 350: 378,
    400: 429, 450: 480, 500: 532, 600: 635, 700: 738, 800: 842, 900: 945, 1000: 1048,
    1200: 1255,
}
# Copper tubes take the DN customary for their bore, not the plastic ODs of the table.
COPPER_DN_BY_OD = {
    10: 8, 12: 10, 15: 12, 18: 15, 22: 20, 28: 25, 35: 32, 42: 40, 54: 50, 76.1: 65,
    88.9: 80, 108: 100,
}

# How each material's profiles find their DN row, where it is not "the row whose default
# OD is nearest the pipe's OD" (circles) or "the row of the clear width" (other shapes).
#   ("od", table)    pipes designated by DN: the OD must be the standard's OD for that DN
#   ("bore",)        pipes designated by DN = bore: the row nominal nearest the inner diameter
#   ("copper",)      the copper DN equivalents above
#   ("od-nearest", overrides)  nearest OD, except the listed OD -> DN moves that avoid a
#                    collision with a size already on the nearer row
DN_RULES = {
    "Litina EN545 voda": ("od", DUCTILE_IRON_DE),
    "Litina K9 voda": ("od", DUCTILE_IRON_DE),
    "Litina EN598 kanal.": ("od", DUCTILE_IRON_DE),
    "Ocel závit. EN10255": ("od", STEEL_OD_EN10255),
    "Ocel sítě EN10220": ("od", STEEL_OD_EN10220),
    "Předizol. EN253": ("od", STEEL_OD_EN10220),
    "Beton EN1916": ("bore",),
    "Beton EN1916 BS5911": ("bore",),
    "Kamenina EN295 N": ("bore",),
    "Kamenina EN295 H": ("bore",),
    "Měď EN1057": ("copper",),
    "PVC tlak. PN10": ("od-nearest", {140: 125, 280: 250, 560: 500}),
}
# A designated OD must be the standard's, to the hundredth the tables print.
DESIGNATED_OD_TOLERANCE = 0.05  # millimetres

# Walls of SDR series (ISO 4065, used by EN 12201, EN 1555, EN ISO 15874/15875): the series
# number S = (SDR - 1) / 2 is a rounded Renard R10 number, and the minimum wall is
# od / (2 S + 1), computed with the exact R10 value and rounded up to the next 0.1 mm. The
# tables keep a value only a few hundredths above a tenth at that tenth (75 x 6.8 at SDR 11),
# and some print one tenth more than the rule gives.
SDR_WALL_BELOW = 0.01  # millimetres a tabulated wall may lie below the computed one
SDR_WALL_ABOVE = 0.1   # millimetres it may lie above the computed one rounded up
# Polyethylene pipes are never thinner than 2.0 mm, whatever od/SDR gives (ISO 4427-2,
# EN 12201-2: d20 SDR 11 and d32 SDR 17 are 2.0 mm).
MIN_WALL_BY_FAMILY = [(re.compile(r"^PE\d"), 2.0)]
# Single tabulated walls that depart from the rule: (name pattern, od, SDR) -> wall.
TABULATED_WALLS = {
    (r"^PE100", 20.0, 7.4): 3.0,  # ISO 4427-2 / EN 12201-2 print 3.0 for d20 SDR 7.4
}
# Design stress of PE pipes for water (MPa): PN = 20 x stress / (SDR - 1).
PE_DESIGN_STRESS = {"PE100": 8.0, "PE80": 6.3}
# Egg section of the Vienna standard: clear height = 1.5 x clear width.
VIENNA_EGG_RATIO = 1.5


def renard_s(sdr):
    """The exact series number S behind an SDR: the R10 number when S is a rounded one."""
    nominal = (sdr - 1) / 2
    exact = 10 ** (round(10 * math.log10(nominal)) / 10)
    return exact if abs(exact - nominal) / nominal < 0.03 else nominal


def sdr_wall(od, sdr):
    """(computed minimum wall, the same rounded up to the next 0.1 mm)."""
    e = od / (2 * renard_s(sdr) + 1)
    return e, math.ceil(round(e * 10, 6)) / 10


def f32(x):
    """The value as the program stores it: a 32-bit float."""
    return struct.unpack("<f", struct.pack("<f", x))[0]


def program_od(inner, wall):
    """Outer diameter as the program derives it: wall + wall + inner, in single precision."""
    w = f32(wall)
    return f32(f32(w + w) + f32(inner))


def nearest_row(value, column):
    """Index of the DN row whose column (0 nominal, 1 default OD) is nearest `value`."""
    return min(range(len(DN_TABLE)), key=lambda i: abs(DN_TABLE[i][column] - value))


def dn_name(index):
    return f"DN {DN_TABLE[index][0]}" if 0 <= index < len(DN_TABLE) else f"DN index {index}"


def expected_dn(material, profile, od):
    """The DN row a profile belongs on, or None when the rule cannot place it."""
    rule = DN_RULES.get(material["name"])
    if material.get("shape", 0) != 0:
        return nearest_row(profile.get("width", 0), 0)
    if rule is None:
        return nearest_row(od, 1)
    kind = rule[0]
    if kind == "od":
        for dn, standard_od in rule[1].items():
            if abs(od - standard_od) <= DESIGNATED_OD_TOLERANCE:
                return [row[0] for row in DN_TABLE].index(dn) if any(
                    row[0] == dn for row in DN_TABLE) else None
        return None
    if kind == "bore":
        return nearest_row(profile["innerDiameter"], 0)
    if kind == "copper":
        for copper_od, dn in COPPER_DN_BY_OD.items():
            if abs(od - copper_od) < 0.05:
                return [row[0] for row in DN_TABLE].index(dn)
        return None
    if kind == "od-nearest":
        for moved_od, dn in rule[1].items():
            if abs(od - moved_od) < 0.05:
                return [row[0] for row in DN_TABLE].index(dn)
        return nearest_row(od, 1)
    raise ValueError(f"unknown DN rule {kind}")


def labels(material, profile):
    """The label and short label the program builds for the profile."""
    mode = material["descMode"]
    dn = profile["dn"]
    if mode == 0:
        nominal = f32(DN_TABLE[dn][0])
        return "DN %0.0f" % nominal, "%0.f" % nominal
    od = program_od(profile["innerDiameter"], profile["wall"])
    short = "d%.0f" % od
    if mode == 1:
        return "%.0fx%.1f" % (od, f32(profile["wall"])), short
    number = f32(profile["innerDiameter"]) if material["innerDiameterLabel"] else od
    return material["prefix"] + ("%.0f" % number) + material["suffix"], short


def check_text(findings, where, value, limit, what):
    if not isinstance(value, str):
        findings.append(f"{where}: {what} is not a text")
    elif len(value) > limit:
        findings.append(f"{where}: {what} \"{value}\" has {len(value)} characters, at most {limit}")


def check_material(m, findings):
    name = m.get("name", "")
    where = name or "(material without a name)"
    if not name:
        findings.append(f"{where}: empty name")
    check_text(findings, where, name, NAME_MAX, "name")
    check_text(findings, where, m.get("drawingName", ""), DRAWING_NAME_MAX, "drawing name")
    check_text(findings, where, m.get("manufacturer", ""), MANUFACTURER_MAX, "manufacturer")
    check_text(findings, where, m.get("prefix", ""), AFFIX_MAX, "prefix")
    check_text(findings, where, m.get("suffix", ""), AFFIX_MAX, "suffix")

    group, purposes = m.get("group"), m.get("purposes")
    if not isinstance(group, int) or not 1 <= group <= 3:
        findings.append(f"{where}: group flags {group} not in 1..3")
    if not isinstance(purposes, int) or not 1 <= purposes <= 31:
        findings.append(f"{where}: purpose flags {purposes} not in 1..31")
    pn, sdr, shape, mode = m.get("pnIndex"), m.get("sdrIndex"), m.get("shape"), m.get("descMode")
    if pn not in range(len(PN_TABLE)):
        findings.append(f"{where}: pnIndex {pn} not in 0..{len(PN_TABLE) - 1}")
    if sdr not in range(len(SDR_TABLE)):
        findings.append(f"{where}: sdrIndex {sdr} not in 0..{len(SDR_TABLE) - 1}")
    if shape not in range(SHAPE_COUNT):
        findings.append(f"{where}: shape {shape} not in 0..{SHAPE_COUNT - 1}")
    if mode not in DESC_MODES:
        findings.append(f"{where}: descMode {mode} not in 0..2")
    if not isinstance(m.get("innerDiameterLabel"), bool):
        findings.append(f"{where}: innerDiameterLabel is not true or false")
    roughness = m.get("roughness")
    if not isinstance(roughness, (int, float)) or not ROUGHNESS_MIN <= roughness <= ROUGHNESS_MAX:
        findings.append(f"{where}: roughness {roughness} outside {ROUGHNESS_MIN}..{ROUGHNESS_MAX} mm")

    # A series named in the material's name must be the one its indexes select.
    named_sdr = re.search(r"SDR ?(\d+(?:\.\d+)?)", name)
    if named_sdr and sdr in range(len(SDR_TABLE)) and float(named_sdr.group(1)) != SDR_TABLE[sdr]:
        findings.append(f"{where}: the name says SDR {named_sdr.group(1)}, sdrIndex selects {SDR_TABLE[sdr]}")
    named_pn = re.search(r"PN ?(\d+)", name)
    if named_pn and int(named_pn.group(1)) in PN_TABLE and pn in range(len(PN_TABLE)) \
            and int(named_pn.group(1)) != PN_TABLE[pn]:
        findings.append(f"{where}: the name says PN {named_pn.group(1)}, pnIndex selects PN {PN_TABLE[pn]}")

    header_ok = not [f for f in findings if f.startswith(where + ":")]
    if header_ok:
        check_pe_pressure_class(m, findings)
    profiles = m.get("profiles", [])
    if not profiles:
        findings.append(f"{where}: no profiles")
    seen = set()
    for p in profiles:
        check_profile(m, p, seen, header_ok, findings)


def check_profile(m, p, seen, header_ok, findings):
    name = m.get("name", "")
    dn = p.get("dn")
    where = f"{name} {dn_name(dn) if isinstance(dn, int) else dn}"
    if not isinstance(dn, int) or not 0 <= dn < len(DN_TABLE):
        findings.append(f"{where}: dn {dn} not in 0..{len(DN_TABLE) - 1}")
        return
    if dn in seen:
        findings.append(f"{where}: a second profile on the same DN row")
    seen.add(dn)
    shape = m.get("shape", 0)
    inner, wall, od = p.get("innerDiameter"), p.get("wall"), p.get("od")
    # Circles state their outer diameter; other shapes have a height and a width instead.
    numbers = (inner, wall, od) if shape == 0 else (inner, wall)
    if not all(isinstance(v, (int, float)) and math.isfinite(v) for v in numbers):
        findings.append(f"{where}: innerDiameter, wall{' and od' if shape == 0 else ''} must be numbers")
        return
    if not inner > 0:
        findings.append(f"{where}: inner diameter {inner} not positive")
    if not wall >= 0:
        findings.append(f"{where}: wall {wall} negative")
    derived = program_od(inner, wall)
    if shape == 0 and abs(derived - od) > OD_TOLERANCE:
        findings.append(f"{where}: od {od} but inner {inner} + 2 x wall {wall} = {derived:.2f}")
    width = p.get("width", 0)
    if not isinstance(width, int) or width < 0:
        findings.append(f"{where}: width {width} is not a whole non-negative number")
    elif shape == 0 and width != 0:
        findings.append(f"{where}: a circular profile with width {width}")
    elif shape != 0 and width == 0:
        findings.append(f"{where}: a non-circular profile without a width")
    for key, what in (("ursMaterial", "URS material code"), ("ursAssembly", "URS assembly code")):
        check_text(findings, where, p.get(key, ""), URS_MAX, what)
    if not header_ok:
        return

    if shape == 1 and isinstance(width, int) and width > 0 \
            and abs(inner - VIENNA_EGG_RATIO * width) > 0.5:
        findings.append(f"{where}: egg section {width}/{inner:g} is not 2 : 3")

    expected = expected_dn(m, p, derived)
    if expected is None:
        findings.append(f"{where}: od {od} is no size of the series' standard, no DN row found")
    elif expected != dn:
        findings.append(f"{where}: belongs on {dn_name(expected)}")

    sdr = SDR_TABLE[m["sdrIndex"]]
    if sdr and shape == 0:
        check_sdr_wall(name, where, od, wall, sdr, findings)

    label, short = labels(m, p)
    if not label or len(label) > LABEL_MAX:
        findings.append(f"{where}: label \"{label}\" does not fit {LABEL_MAX} characters")
    if not short or len(short) > SHORT_LABEL_MAX:
        findings.append(f"{where}: short label \"{short}\" does not fit {SHORT_LABEL_MAX} characters")


def check_sdr_wall(name, where, od, wall, sdr, findings):
    for (pattern, t_od, t_sdr), t_wall in TABULATED_WALLS.items():
        if re.search(pattern, name) and t_od == od and t_sdr == sdr and abs(wall - t_wall) < 1e-6:
            return
    exact, rounded_up = sdr_wall(od, sdr)
    minimum = next((w for rx, w in MIN_WALL_BY_FAMILY if rx.search(name)), 0.0)
    low = max(exact - SDR_WALL_BELOW, minimum - 1e-6)
    high = max(rounded_up, minimum) + SDR_WALL_ABOVE + 1e-6
    if not low <= wall <= high:
        need = max(rounded_up, minimum)
        findings.append(f"{where}: wall {wall:g} does not fit SDR {sdr:g}: "
                        f"od {od:g} / (2 S + 1) = {exact:.3f}, the series' wall is {need:.1f}")


def check_pe_pressure_class(m, findings):
    """PN of a PE pipe follows from its SDR: PN = 20 x design stress / (SDR - 1)."""
    name = m["name"]
    stress = next((v for k, v in PE_DESIGN_STRESS.items() if name.startswith(k)), None)
    pn, sdr = PN_TABLE[m["pnIndex"]], SDR_TABLE[m["sdrIndex"]]
    if stress is None or not pn or not sdr:
        return
    expected = 20 * stress / (sdr - 1)
    if abs(expected - pn) > 0.05 * pn:
        findings.append(f"{name}: PN {pn} but SDR {sdr:g} of this PE gives PN {expected:.1f}")


def check_catalog(data):
    findings = []
    materials = data.get("materials") if isinstance(data, dict) else None
    if not isinstance(materials, list) or not materials:
        return ["the file holds no material list"]
    names = [m.get("name", "") for m in materials]
    for n in sorted({n for n in names if names.count(n) > 1}):
        findings.append(f"{n}: name used {names.count(n)} times")
    folded = [n.casefold() for n in names]
    for n in sorted({n for n in names if folded.count(n.casefold()) > 1 and names.count(n) == 1}):
        findings.append(f"{n}: name differs from another only in case")
    for m in materials:
        check_material(m, findings)
    return findings


def main(argv):
    default = Path(__file__).resolve().parent.parent / "data" / "standard-catalog.json"
    path = Path(argv[1]) if len(argv) > 1 else default
    try:
        data = json.loads(path.read_text(encoding="utf-8"))
    except (OSError, ValueError) as e:
        print(f"{path}: cannot read: {e}", file=sys.stderr)
        return 2
    findings = check_catalog(data)
    materials = data.get("materials", []) if isinstance(data, dict) else []
    count = sum(len(m.get("profiles", [])) for m in materials if isinstance(m, dict))
    for f in findings:
        print(f)
    print(f"{path.name}: {len(materials)} materials, {count} profiles, {len(findings)} findings")
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""Checks the Debian package without installing it: control fields, the files a desktop
program needs where the system looks for them, the machine-wide settings naming folders that
the package really fills, the icon sizes, the desktop entry (desktop-file-validate), both
programs' versions, and lintian (no error).

Usage: check_package.py PACKAGE_FOLDER VERSION STANDARD_CATALOG (the folder holds one .deb)
"""
import configparser
import glob
import os
import re
import struct
import subprocess
import sys
import tempfile

failures = []


def fail(text):
    failures.append(text)
    print("FAIL: " + text)


def run(*args, **kw):
    return subprocess.run(args, capture_output=True, text=True, **kw)


def field(deb, name):
    return run("dpkg-deb", "-f", deb, name).stdout.strip()


def reg_values(text):
    """The plain string values of the machine-wide section of a registry export file."""
    values, in_section = {}, False
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("["):
            in_section = line.lower() == r"[hkey_local_machine\software\brevanti]"
        elif in_section:
            m = re.fullmatch(r'"([^"]+)"="((?:[^"\\]|\\.)*)"', line)
            if m:
                values[m.group(1)] = re.sub(r"\\(.)", r"\1", m.group(2))
    return values


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def check_control(deb, version):
    expected = {"Package": "velmora", "Version": version, "Section": "science",
                "Priority": "optional", "Architecture": run("dpkg", "--print-architecture").stdout.strip()}
    for name, value in expected.items():
        if field(deb, name) != value:
            fail(f"control field {name} is {field(deb, name)!r}, expected {value!r}")
    if "@" not in field(deb, "Maintainer"):
        fail("no maintainer address")
    depends = field(deb, "Depends")
    # dpkg-shlibdeps found the libraries the programs link.
    for lib in ("libc6", "libstdc++6", "libqt6widgets6", "libqt6gui6", "libqt6core6", "adduser"):
        if not re.search(r"(^|, )" + re.escape(lib) + r"\b", depends):
            fail(f"Depends lacks {lib}: {depends}")
    summary = field(deb, "Description").splitlines()
    if not summary or not summary[0] or len(summary) < 3:
        fail("description without summary or long text")


def check_files(root, standard_catalog):
    for path in ("usr/bin/velmora", "usr/bin/ptq"):
        if not os.access(os.path.join(root, path), os.X_OK):
            fail(f"{path} missing or not executable")
    for path in ("usr/share/applications/velmora.desktop",
                 "usr/share/icons/hicolor/scalable/apps/velmora.svg",
                 "usr/share/man/man1/velmora.1.gz", "usr/share/man/man1/ptq.1.gz",
                 "usr/share/doc/velmora/copyright", "usr/share/doc/velmora/changelog.gz"):
        if not os.path.isfile(os.path.join(root, path)):
            fail(f"{path} missing")
    packaged = os.path.join(root, "usr/share/brevanti/Velmora/Potrubi_std.ptq")
    with open(standard_catalog, "rb") as built:
        if not os.path.isfile(packaged) or open(packaged, "rb").read() != built.read():
            fail("the packaged standard catalog is not the one the build made")
    for size in (16, 22, 24, 32, 48, 64, 128, 256):
        png = os.path.join(root, f"usr/share/icons/hicolor/{size}x{size}/apps/velmora.png")
        if not os.path.isfile(png) or png_size(png) != (size, size):
            fail(f"icon {size}x{size} missing or of another size ({png_size(png) if os.path.isfile(png) else None})")


def check_settings(deb, root):
    with tempfile.TemporaryDirectory() as control:
        subprocess.run(["dpkg-deb", "-e", deb, control], check=True)
        conffiles = open(os.path.join(control, "conffiles")).read().split() \
            if os.path.isfile(os.path.join(control, "conffiles")) else []
    if conffiles != ["/etc/brevanti/registry.reg"]:
        fail(f"conffiles: {conffiles!r}")
    reg = os.path.join(root, "etc/brevanti/registry.reg")
    if not os.path.isfile(reg):
        fail("etc/brevanti/registry.reg missing")
        return
    values = reg_values(open(reg, encoding="utf-8").read())
    install, data = values.get("CommonInstallPath"), values.get("CommonDataPath")
    if install != "/usr/share/brevanti":
        fail(f"CommonInstallPath is {install!r}")
    elif not os.path.isfile(os.path.join(root, install.lstrip("/"), "Velmora/Potrubi_std.ptq")):
        fail("CommonInstallPath does not hold Velmora/Potrubi_std.ptq")
    if not data or not os.path.isdir(os.path.join(root, data.lstrip("/"), "Velmora")):
        fail(f"CommonDataPath {data!r}: the package does not make its folder Velmora")
    elif os.listdir(os.path.join(root, data.lstrip("/"), "Velmora")):
        fail("the package puts files into the common data folder")


def check_desktop_entry(root):
    desktop = os.path.join(root, "usr/share/applications/velmora.desktop")
    if not os.path.isfile(desktop):
        return
    result = run("desktop-file-validate", desktop)
    if result.returncode != 0 or result.stdout.strip():
        fail("desktop-file-validate: " + (result.stdout + result.stderr).strip())
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(desktop, encoding="utf-8")
    section = entry["Desktop Entry"]
    program = section.get("Exec", "").split()[0] if section.get("Exec") else ""
    if not os.access(os.path.join(root, "usr/bin", program), os.X_OK):
        fail(f"Exec names {program!r}, which the package does not install in /usr/bin")
    icon = section.get("Icon", "")
    if not os.path.isfile(os.path.join(root, "usr/share/icons/hicolor/scalable/apps", icon + ".svg")):
        fail(f"Icon {icon!r} is not in the hicolor theme of the package")


def check_versions(root, version):
    for program in ("ptq", "velmora"):
        path = os.path.join(root, "usr/bin", program)
        if not os.path.isfile(path):
            continue
        result = run(path, "--version", env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), timeout=60)
        words = result.stdout.split()
        if result.returncode != 0 or not words or words[-1] != version:
            fail(f"{program} --version printed {result.stdout.strip()!r} (exit {result.returncode}), "
                 f"expected the version {version}")


def check_lintian(deb):
    result = run("lintian", "--fail-on", "error", "--tag-display-limit", "0", deb)
    if result.stdout.strip():
        print("lintian:\n" + result.stdout.rstrip())
    if result.returncode != 0 or re.search(r"^E: ", result.stdout, re.M):
        fail("lintian reports errors")


def main():
    folder, version, standard_catalog = sys.argv[1:4]
    debs = glob.glob(os.path.join(folder, "*.deb"))
    if len(debs) != 1:
        print(f"expected one package in {folder}, found {len(debs)}")
        return 1
    deb = debs[0]
    with tempfile.TemporaryDirectory() as root:
        subprocess.run(["dpkg-deb", "-x", deb, root], check=True)
        check_control(deb, version)
        check_files(root, standard_catalog)
        check_settings(deb, root)
        check_desktop_entry(root)
        check_versions(root, version)
    check_lintian(deb)
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    print("package checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())

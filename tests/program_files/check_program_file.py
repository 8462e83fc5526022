#!/usr/bin/env python3
"""One shipped program file against what it promises:

    check_program_file.py OBJDUMP FILE BUDGET [program|setup|library] IMPORTS

FILE is at most BUDGET bytes and imports only functions that IMPORTS, the
one list of what every program file may import, allows: one "DLL function"
a line (a DLL's name in lower case, "#N" for an import by ordinal), so that
nothing newer than the oldest Windows supported slips in. A program (and the configuration program, a
"setup") carries exactly one application manifest, resource 1 of type 24
(RT_MANIFEST) as `objdump -p` lists it, which asks for no elevation and
names Windows 7 and later; the configuration program's also asks for the
common controls 6 and per-monitor DPI awareness. Prints what it found;
exits 1 on the first broken promise.
"""
import pathlib
import re
import subprocess
import sys

RT_MANIFEST = 0x18
WINDOWS_7 = "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"
PROMISES = {
    "program": ['level="asInvoker"', WINDOWS_7],
    "setup": ['level="asInvoker"', WINDOWS_7, 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"',
              ">true/pm<", ">PerMonitorV2, PerMonitor<"],
    "library": [],
}


def fail(message):
    print(f"FAILED: {message}")
    sys.exit(1)


def imports(listing):
    """The "dll function" pairs of objdump's view of the import tables."""
    found = set()
    dll = None
    for line in listing[listing.find("The Import Tables"):].splitlines():
        match = re.match(r"^\tDLL Name: (\S+)", line)
        if match:
            dll = match.group(1).lower()
            continue
        match = re.match(r"^\t[0-9a-f]+\t +([0-9]+) +(\S+)", line)
        if dll and match:
            found.add(f"{dll} {'#' + match.group(1) if match.group(2) == '<none>' else match.group(2)}")
        elif not line.strip():
            dll = None
        if line.startswith("PE File Base Relocations"):
            break
    return found


def allowed_imports(path):
    lines = pathlib.Path(path).read_text().splitlines()
    return {line.strip() for line in lines if line.strip() and not line.startswith("#")}


def manifest_entries(objdump, path):
    """The names and languages below resource type 24, from objdump's view
    of the resource directory, where each level is indented one step more:
    (names, languages)."""
    listing = subprocess.run([objdump, "-p", str(path)], capture_output=True, text=True, check=True).stdout
    names = languages = 0
    inside = False
    for line in listing[listing.find("The .rsrc Resource Directory section"):].splitlines():
        match = re.match(r"^[0-9a-f]{3}( +)Entry: (?:ID: 0x([0-9a-f]+)|name)", line)
        if not match:
            continue
        level = len(match.group(1))
        if level == 3:
            inside = match.group(2) is not None and int(match.group(2), 16) == RT_MANIFEST
        elif inside and level == 5:
            names += 1
        elif inside and level == 7:
            languages += 1
    return names, languages


def main(objdump, path, budget, kind, allowed):
    path = pathlib.Path(path)
    size = path.stat().st_size
    print(f"{path.name}: {size} bytes, budget {budget}")
    if size > int(budget):
        fail(f"{path.name} is {size} bytes, more than its budget of {budget}")
    listing = subprocess.run([objdump, "-p", str(path)], capture_output=True, text=True, check=True).stdout
    imported = imports(listing)
    print(f"{path.name}: {len(imported)} imports")
    unknown = sorted(imported - allowed_imports(allowed))
    if unknown:
        fail(f"{path.name} imports what the list does not allow: {', '.join(unknown)}")
    if kind == "library":
        return
    names, languages = manifest_entries(objdump, path)
    print(f"{path.name}: manifest resources: {names} name(s), {languages} language(s)")
    if (names, languages) != (1, 1):
        fail(f"{path.name} needs exactly one manifest resource, has {names} names and {languages} languages")
    data = path.read_bytes()
    if data.count(b"</assembly>") != 1:
        fail(f"{path.name} holds {data.count(b'</assembly>')} manifests")
    manifest = data[data.index(b"<assembly xmlns"):data.index(b"</assembly>")].decode("utf-8")
    for promise in PROMISES[kind]:
        if promise not in manifest:
            fail(f"{path.name}'s manifest lacks {promise}")
    print(f"{path.name}: manifest as promised")


if __name__ == "__main__":
    main(*sys.argv[1:6])

#!/usr/bin/env python3
"""Checks that a built Vorlix library exports every function its header declares.

    check_exports.py <Vorlix.h> <library> <lister> [lister arguments...]

The lister prints the library's export table: `nm -D --defined-only` for the
ELF shared object, `objdump -p` for the DLL. A host links against the names
of the header; a name the library does not export fails the host's load.
"""
import re
import subprocess
import sys


def declared(header):
    text = open(header, encoding="utf-8").read()
    return set(re.findall(r"^VORLIX_API\b[^(;]*?\b(\w+)\s*\(", text, re.MULTILINE))


def exported(library, lister):
    listing = subprocess.run(lister + [library], check=True, capture_output=True, text=True).stdout
    names = set()
    for line in listing.splitlines():
        fields = line.split()
        if fields:
            names.add(fields[-1])
    return names


def main():
    header, library, lister = sys.argv[1], sys.argv[2], sys.argv[3:]
    wanted = declared(header)
    if not wanted:
        print(f"no VORLIX_API declarations found in {header}")
        return 1
    missing = sorted(wanted - exported(library, lister))
    if missing:
        print(f"{library} does not export: {', '.join(missing)}")
        return 1
    print(f"{library} exports all {len(wanted)} functions of {header}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

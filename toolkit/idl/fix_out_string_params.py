#!/usr/bin/env python3
"""Repairs the [out, string] LPWSTR* parameters of a widl 7.0 -Oif proxy file.

widl 7.0 points the format entry of such a parameter at the inner string
pointer (FC_OP) instead of the reference pointer (FC_RP, allocated on stack,
pointer deref) it writes just before it. The interpreter then marshals the
parameter as if the caller had passed the string pointer itself, and the
caller gets NULL back with S_OK. A top-level [out] parameter is always a
reference pointer, so any [out] parameter whose entry names an FC_OP is wrong;
the fix points it at the FC_RP that refers to that FC_OP, which is what a
correct compiler writes and what a client's proxy expects on the wire.

usage: fix_out_string_params.py <input _p.c> <output _p.c>
Prints one line per repaired parameter; fails when the file is not what it
expects, so a different widl never slips through unrepaired.
"""
import re
import sys

# Parameter attribute bits of the interpreted format (PARAM_ATTRIBUTES).
IS_OUT = 0x0010
IS_BASETYPE = 0x0040
IS_SIMPLE_REF = 0x0100

FC_RP = 0x11
FC_OP = 0x13

MARKER = re.compile(r"^/\* (\d+)(?: \((.*)\))? \*/$")
SHORT = re.compile(r"NdrFcShort\(0x([0-9a-fA-F]+)\)")
RP_OFFSET = re.compile(r"/\* Offset= -?\d+ \((\d+)\) \*/")


def section(lines, name):
    """Line range of the body of the format string named `name`."""
    start = next((i for i, line in enumerate(lines) if name + " =" in line), None)
    if start is None:
        raise SystemExit(f"fix_out_string_params: no {name} in the proxy file")
    end = next(i for i in range(start, len(lines)) if lines[i].startswith("};"))
    return start, end


def type_entries(lines, start, end):
    """Offset -> (first byte of the entry, target offset of an FC_RP deref entry)."""
    entries = {}
    for i in range(start, end):
        marker = MARKER.match(lines[i].strip())
        if not marker or i + 1 >= end:
            continue
        first = lines[i + 1].strip().split(",")[0]
        if not first.startswith("0x"):
            continue
        code = int(first, 16)
        target = None
        if code == FC_RP and "[pointer_deref]" in lines[i + 1] and i + 2 < end:
            offset = RP_OFFSET.search(lines[i + 2])
            target = int(offset.group(1)) if offset else None
        entries[int(marker.group(1))] = (code, target)
    return entries


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as source:
        lines = source.read().split("\n")

    types = type_entries(lines, *section(lines, "__MIDL_TypeFormatString"))
    deref_of = {target: offset for offset, (code, target) in types.items() if code == FC_RP and target is not None}

    start, end = section(lines, "__MIDL_ProcFormatString")
    procedure = "?"
    repaired = 0
    for i in range(start, end):
        marker = MARKER.match(lines[i].strip())
        if not marker or not marker.group(2):
            continue
        label = marker.group(2)
        if label.startswith("procedure "):
            procedure = label[len("procedure "):]
            continue
        if not label.startswith("parameter "):
            continue
        flags = int(SHORT.search(lines[i + 1]).group(1), 16)
        if not flags & IS_OUT or flags & (IS_BASETYPE | IS_SIMPLE_REF):
            continue
        type_line = i + 3
        match = SHORT.search(lines[type_line])
        if not match or "type offset" not in lines[type_line]:
            raise SystemExit(f"fix_out_string_params: {procedure} {label}: no type offset where expected")
        offset = int(match.group(1), 16)
        code, _ = types.get(offset, (None, None))
        if code != FC_OP:
            continue
        if offset not in deref_of:
            raise SystemExit(f"fix_out_string_params: {procedure} {label}: no reference pointer to repoint to")
        fixed = deref_of[offset]
        lines[type_line] = f"        NdrFcShort(0x{fixed:x}),\t/* type offset = {fixed} */"
        print(f"fix_out_string_params: {procedure} {label[len('parameter '):]}: type offset {offset} -> {fixed}")
        repaired += 1

    with open(sys.argv[2], "w", encoding="utf-8") as target:
        target.write("\n".join(lines))
    print(f"fix_out_string_params: {repaired} parameter(s) repaired")


if __name__ == "__main__":
    main()

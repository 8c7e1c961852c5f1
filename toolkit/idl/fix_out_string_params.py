#!/usr/bin/env python3
"""Repairs the [out] parameters with [string] of a widl 7.0 -Oif proxy file.

A top-level [out] parameter is always a reference pointer: its format entry
must be an FC_RP (allocated on stack, pointer deref) that leads to the
pointer the callee fills in. For [out, string] parameters widl 7.0 points
the entry one or two steps too far down that chain instead:
- [out, string] LPWSTR* at the string pointer (FC_OP), so the caller gets
  NULL back with S_OK;
- [out, string, size_is(, n)] LPWSTR** at the array of strings itself, so
  the caller gets garbage for the array pointer.
The interpreter then marshals the parameter as if the caller had passed the
inner pointer. The fix points each such entry back at the FC_RP that starts
its chain, which is what a correct compiler writes and what a client's proxy
expects on the wire.

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

# Pointer format codes and their attribute bits.
FC_RP, FC_UP, FC_OP, FC_FP = 0x11, 0x12, 0x13, 0x14
SIMPLE_POINTER = 0x08
POINTER_DEREF = 0x10

MARKER = re.compile(r"^/\* (\d+)(?: \((.*)\))? \*/$")
SHORT = re.compile(r"NdrFcShort\(0x([0-9a-fA-F]+)\)")
BYTES = re.compile(r"^(0x[0-9a-fA-F]+)\s*,\s*(0x[0-9a-fA-F]+)")


def section(lines, name):
    """Line range of the body of the format string named `name`."""
    start = next((i for i, line in enumerate(lines) if name + " =" in line), None)
    if start is None:
        raise SystemExit(f"fix_out_string_params: no {name} in the proxy file")
    end = next(i for i in range(start, len(lines)) if lines[i].startswith("};"))
    return start, end


def pointer_entries(lines, start, end):
    """Offset -> (code, attributes, target offset) of every pointer entry.

    A simple pointer's pointee follows it; any other pointer names its
    pointee by a 16-bit offset relative to the offset field itself."""
    entries = {}
    for i in range(start, end):
        marker = MARKER.match(lines[i].strip())
        if not marker or i + 1 >= end:
            continue
        pair = BYTES.match(lines[i + 1].strip())
        if not pair:
            continue
        code, attributes = int(pair.group(1), 16), int(pair.group(2), 16)
        if code not in (FC_RP, FC_UP, FC_OP, FC_FP):
            continue
        offset = int(marker.group(1))
        if attributes & SIMPLE_POINTER:
            target = offset + 2
        else:
            relative = SHORT.search(lines[i + 2]) if i + 2 < end else None
            if not relative:
                continue
            value = int(relative.group(1), 16)
            target = offset + 2 + (value - 0x10000 if value & 0x8000 else value)
        entries[offset] = (code, attributes, target)
    return entries


def reference_pointer_to(entries, offset):
    """The FC_RP [pointer_deref] whose chain (directly or through one more
    pointer) reaches `offset`, the closest one before it if several do."""
    candidates = []
    for start, (code, attributes, target) in entries.items():
        if code != FC_RP or not attributes & POINTER_DEREF or start >= offset:
            continue
        inner = entries.get(target)
        if target == offset or (inner and inner[2] == offset):
            candidates.append(start)
    return max(candidates) if candidates else None


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as source:
        lines = source.read().split("\n")

    entries = pointer_entries(lines, *section(lines, "__MIDL_TypeFormatString"))

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
        if entries.get(offset, (None,))[0] == FC_RP:
            continue
        fixed = reference_pointer_to(entries, offset)
        if fixed is None:
            raise SystemExit(f"fix_out_string_params: {procedure} {label}: no reference pointer to repoint to")
        lines[type_line] = f"        NdrFcShort(0x{fixed:x}),\t/* type offset = {fixed} */"
        print(f"fix_out_string_params: {procedure} {label[len('parameter '):]}: type offset {offset} -> {fixed}")
        repaired += 1

    with open(sys.argv[2], "w", encoding="utf-8") as target:
        target.write("\n".join(lines))
    print(f"fix_out_string_params: {repaired} parameter(s) repaired")


if __name__ == "__main__":
    main()

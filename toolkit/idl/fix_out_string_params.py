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
import sys

from proxy_format import (FC_RP, IS_BASETYPE, IS_OUT, IS_SIMPLE_REF, POINTER_DEREF, parameters,
                          pointer_entries, read_lines, section, set_type_offset, type_offset, write_repaired)

SCRIPT = "fix_out_string_params"


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
    lines = read_lines(sys.argv[1])

    entries = pointer_entries(lines, *section(lines, "__MIDL_TypeFormatString", SCRIPT))

    repaired = 0
    for procedure, name, marker_line, flags in parameters(
            lines, *section(lines, "__MIDL_ProcFormatString", SCRIPT)):
        if not flags & IS_OUT or flags & (IS_BASETYPE | IS_SIMPLE_REF):
            continue
        type_line, offset = type_offset(lines, marker_line, procedure, name, SCRIPT)
        if entries.get(offset, (None,))[0] == FC_RP:
            continue
        fixed = reference_pointer_to(entries, offset)
        if fixed is None:
            raise SystemExit(f"{SCRIPT}: {procedure} parameter {name}: no reference pointer to repoint to")
        set_type_offset(lines, type_line, fixed)
        print(f"{SCRIPT}: {procedure} {name}: type offset {offset} -> {fixed}")
        repaired += 1

    write_repaired(sys.argv[2], lines, SCRIPT, repaired)


if __name__ == "__main__":
    main()

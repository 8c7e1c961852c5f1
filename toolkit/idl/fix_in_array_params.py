#!/usr/bin/env python3
"""Lets the stubs of a widl -Oif proxy file free the [in] arrays they copy.

An [in, size_is(n)] parameter whose elements hold pointers or VARIANTs
(OPCITEMDEF*, VARIANT*, LPWSTR*, ONEVENTSTRUCT*: an FC_BOGUS_ARRAY) cannot be
used in place in the call's buffer: the receiving stub copies it into a block
of the task allocator for the call. widl describes such a parameter as a
simple reference (its type offset names the array itself), and Wine's NDR
interpreter then frees what the elements point to but never the array block:
every call left one block behind in the process that received it (the server
for AddItems, ValidateItems and the writes, the client for every data change
and event it is sent).

The fix describes each such parameter the other way the format allows: not a
simple reference, its type offset at the FC_RP that widl writes for the array
anyway. A top-level reference pointer puts nothing on the wire, so proxies and
stubs either way still understand each other; the interpreter frees the
pointee of a pointer it unmarshalled.

Simple references to what a stub reads in place (flat structures, arrays of
plain elements, strings) stay as they are. Any other kind makes the script
fail, so a type added to the IDL is looked at before it ships.

usage: fix_in_array_params.py <input _p.c> <output _p.c>
Prints one line per repaired parameter; fails when the file is not what it
expects.
"""
import sys

from proxy_format import (FC_RP, IS_BASETYPE, IS_IN, IS_OUT, IS_SIMPLE_REF, SHORT, parameters, pointer_entries,
                          read_lines, section, set_type_offset, type_codes, type_offset, write_repaired)

SCRIPT = "fix_in_array_params"

FC_STRUCT = 0x15
FC_CARRAY = 0x1B
FC_BOGUS_ARRAY = 0x21
FC_C_CSTRING = 0x22
FC_C_WSTRING = 0x25
READ_IN_PLACE = {FC_STRUCT, FC_CARRAY, FC_C_CSTRING, FC_C_WSTRING}
COPIED = {FC_BOGUS_ARRAY}


def plain_reference_to(entries, offset):
    """The FC_RP without attributes whose pointee is `offset`."""
    for start, (code, attributes, target) in sorted(entries.items()):
        if code == FC_RP and attributes == 0 and target == offset:
            return start
    return None


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    lines = read_lines(sys.argv[1])

    types = section(lines, "__MIDL_TypeFormatString", SCRIPT)
    entries = pointer_entries(lines, *types)
    codes = type_codes(lines, *types)

    repaired = 0
    for procedure, name, marker_line, flags in parameters(
            lines, *section(lines, "__MIDL_ProcFormatString", SCRIPT)):
        if flags & IS_BASETYPE or not flags & IS_IN or not flags & IS_SIMPLE_REF:
            continue
        type_line, offset = type_offset(lines, marker_line, procedure, name, SCRIPT)
        code = codes.get(offset)
        if flags & IS_OUT:
            # [in, out]: no interface has an [in, out] array that the stub
            # copies; one added would need the same look as the [in] ones.
            if code in COPIED:
                raise SystemExit(f"{SCRIPT}: {procedure} parameter {name}: [in, out] array the stub copies: "
                                 "does the stub free the copy?")
            continue
        if code in READ_IN_PLACE:
            continue
        if code not in COPIED:
            kind = "unknown" if code is None else f"0x{code:02x}"
            raise SystemExit(f"{SCRIPT}: {procedure} parameter {name}: [in] reference to a type of kind {kind}: "
                             "does the stub copy it, and free the copy?")
        pointer = plain_reference_to(entries, offset)
        if pointer is None:
            raise SystemExit(f"{SCRIPT}: {procedure} parameter {name}: no reference pointer to its array")
        flags_line = marker_line + 1
        if not SHORT.search(lines[flags_line]) or ", simple ref" not in lines[flags_line]:
            raise SystemExit(f"{SCRIPT}: {procedure} parameter {name}: attributes not where expected")
        lines[flags_line] = (SHORT.sub(f"NdrFcShort(0x{flags & ~IS_SIMPLE_REF:x})", lines[flags_line], count=1)
                             .replace(", simple ref", ""))
        set_type_offset(lines, type_line, pointer)
        print(f"{SCRIPT}: {procedure} {name}: type offset {offset} -> {pointer}, no longer a simple reference")
        repaired += 1

    write_repaired(sys.argv[2], lines, SCRIPT, repaired)


if __name__ == "__main__":
    main()

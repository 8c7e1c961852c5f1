"""Reading the format strings of a widl -Oif proxy file, for the scripts that
repair it.

widl writes each format string as C source with one marker comment per entry,
"/* <offset> (<label>) */", before the entry's bytes:
- __MIDL_TypeFormatString: the types, each at the offset its marker names;
- __MIDL_ProcFormatString: per procedure a header, then per parameter three
  lines: the parameter attributes, the stack offset and the type offset (or,
  for a base type, its format character).
"""
import re

# Parameter attribute bits of the interpreted format (PARAM_ATTRIBUTES).
IS_IN = 0x0008
IS_OUT = 0x0010
IS_BASETYPE = 0x0040
IS_SIMPLE_REF = 0x0100

# Type format codes.
FC_RP, FC_UP, FC_OP, FC_FP = 0x11, 0x12, 0x13, 0x14

# Pointer attribute bits.
SIMPLE_POINTER = 0x08
POINTER_DEREF = 0x10

MARKER = re.compile(r"^/\* (\d+)(?: \((.*)\))? \*/$")
SHORT = re.compile(r"NdrFcShort\(0x([0-9a-fA-F]+)\)")
BYTES = re.compile(r"^(0x[0-9a-fA-F]+)\s*,\s*(0x[0-9a-fA-F]+)")
FIRST_BYTE = re.compile(r"^(0x[0-9a-fA-F]+)\s*,")


def read_lines(path):
    """The proxy file's lines."""
    with open(path, encoding="utf-8") as source:
        return source.read().split("\n")


def write_repaired(path, lines, script, repaired):
    """Writes the repaired file and says how many parameters were repaired."""
    with open(path, "w", encoding="utf-8") as target:
        target.write("\n".join(lines))
    print(f"{script}: {repaired} parameter(s) repaired")


def set_type_offset(lines, type_line, offset):
    """Points a parameter's type offset line at another type entry."""
    lines[type_line] = f"        NdrFcShort(0x{offset:x}),\t/* type offset = {offset} */"


def section(lines, name, script):
    """Line range of the body of the format string named `name`."""
    start = next((i for i, line in enumerate(lines) if name + " =" in line), None)
    if start is None:
        raise SystemExit(f"{script}: no {name} in the proxy file")
    end = next((i for i in range(start, len(lines)) if lines[i].startswith("};")), None)
    if end is None:
        raise SystemExit(f"{script}: {name} in the proxy file has no end")
    return start, end


def type_codes(lines, start, end):
    """Offset -> format code of every marked entry of the type format string."""
    codes = {}
    for i in range(start, end):
        marker = MARKER.match(lines[i].strip())
        if not marker or i + 1 >= end:
            continue
        first = FIRST_BYTE.match(lines[i + 1].strip())
        if first:
            codes[int(marker.group(1))] = int(first.group(1), 16)
    return codes


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


def parameters(lines, start, end):
    """(procedure, parameter name, line of its marker, attributes) of every
    parameter of the procedure format string; the attributes are on the
    marker's next line, the type offset two lines further."""
    procedure = "?"
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
        attributes = SHORT.search(lines[i + 1]) if i + 1 < end else None
        if not attributes:
            raise SystemExit(f"proxy_format: {procedure} {label}: no attributes after its marker")
        flags = int(attributes.group(1), 16)
        yield procedure, label[len("parameter "):], i, flags


def type_offset(lines, marker_line, procedure, name, script):
    """Line number and value of a parameter's type offset."""
    line = marker_line + 3
    match = SHORT.search(lines[line])
    if not match or "type offset" not in lines[line]:
        raise SystemExit(f"{script}: {procedure} {name}: no type offset where expected")
    return line, int(match.group(1), 16)

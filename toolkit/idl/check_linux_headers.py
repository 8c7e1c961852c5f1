#!/usr/bin/env python3
"""Holds the Linux flavour's hand-written OPC declarations equal to the IDL.

The Windows flavour takes its OPC declarations from OpcInterfaces.idl (widl
makes the header). The Linux stand-in declares the same interfaces by hand,
with char16_t text and fixed 32-bit enumerations, in
platform/include/platform/I*.h, opcda.h and opcae.h, and their identifiers in
platform/src/com/opcguid.cpp. This check compares the two:

- every OPC interface the Linux headers declare is in the IDL, with the same
  interface identifier, and every IDL interface's identifier is known on Linux;
- method by method, in vtable order: the same names, the same number of
  parameters and the same parameter types (spellings normalised: LPCWSTR and
  const WCHAR*, LPUNKNOWN* and IUnknown**, OPCHANDLE and DWORD, REFIID and
  const IID&, ...);
- the structures and enumerations both declare: the same fields in the same
  order with the same types, the same enumerators with the same values.

usage: check_linux_headers.py <OpcInterfaces.idl> <platform folder>
Prints every difference, naming the interface, method and file, and exits 1
if there is any.
"""
import pathlib
import re
import sys

# Spellings of one type, each mapped to the words it stands for.
ALIASES = {
    "LPWSTR": "WCHAR *",
    "LPCWSTR": "const WCHAR *",
    "LPOLESTR": "WCHAR *",
    "LPCOLESTR": "const WCHAR *",
    "OLECHAR": "WCHAR",
    "wchar_t": "WCHAR",
    "char16_t": "WCHAR",
    "LPUNKNOWN": "IUnknown *",
    "LPENUMSTRING": "IEnumString *",
    "LPCONNECTIONPOINT": "IConnectionPoint *",
    "REFIID": "const GUID &",
    "REFCLSID": "const GUID &",
    "REFGUID": "const GUID &",
    "IID": "GUID",
    "CLSID": "GUID",
    "CATID": "GUID",
    "OPCHANDLE": "DWORD",
    "LCID": "DWORD",
}


def normalise(type_text):
    """The type as words with every alias expanded, e.g. 'IUnknown * *'."""
    text = re.sub(r"\b(enum|struct)\s+", "", type_text)
    text = re.sub(r"\btag(\w+)", r"\1", text)
    words = re.findall(r"\w+|[*&]", text)
    while any(word in ALIASES for word in words):
        words = [part for word in words for part in ALIASES.get(word, word).split()]
    return " ".join(words)


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r"//[^\n]*", " ", text)


def split_top_level(text, separator=","):
    """Splits on the separator outside brackets and parentheses."""
    parts, depth, current = [], 0, []
    for char in text:
        if char in "([{":
            depth += 1
        elif char in ")]}":
            depth -= 1
        if char == separator and depth == 0:
            parts.append("".join(current))
            current = []
        else:
            current.append(char)
    if "".join(current).strip():
        parts.append("".join(current))
    return [part.strip() for part in parts if part.strip()]


def declaration(text):
    """'[in, string] LPCWSTR szName' -> ('LPCWSTR', 'szName')."""
    text = re.sub(r"\[[^\]]*\]", " ", text).strip()
    match = re.match(r"^(.*?)(\w+)\s*$", text, flags=re.S)
    if not match:
        raise ValueError(f"cannot read the declaration '{text}'")
    return match.group(1).strip(), match.group(2)


def parameters(text):
    text = text.strip()
    if text in ("", "void"):
        return []
    return [declaration(part) for part in split_top_level(text)]


class Declarations:
    def __init__(self):
        self.interfaces = {}  # name -> [(method, [(type, name)])]
        self.files = {}  # interface name -> file it was found in
        self.iids = {}  # interface name -> GUID text, upper case
        self.structs = {}  # name -> [(type, field)]
        self.enums = {}  # name -> [(enumerator, value)]


def read_idl(path):
    found = Declarations()
    text = strip_comments(path.read_text(encoding="utf-8"))
    text = re.sub(r"cpp_quote\(\"(?:[^\"\\]|\\.)*\"\)", " ", text)
    for match in re.finditer(r"\[([^\]]*)\]\s*interface\s+(\w+)\s*:\s*\w+\s*\{(.*?)\n\}", text, flags=re.S):
        attributes, name, body = match.groups()
        uuid = re.search(r"uuid\(([0-9A-Fa-f-]+)\)", attributes)
        found.iids[name] = uuid.group(1).upper()
        methods = []
        for method in re.finditer(r"HRESULT\s+(\w+)\s*\((.*?)\)\s*;", body, flags=re.S):
            methods.append((method.group(1), parameters(method.group(2))))
        found.interfaces[name] = methods
        found.files[name] = str(path)
    for match in re.finditer(r"typedef\s+struct\s+\w+\s*\{(.*?)\}\s*(\w+)\s*;", text, flags=re.S):
        body, name = match.groups()
        found.structs[name] = [declaration(field) for field in body.split(";") if field.strip()]
    for match in re.finditer(r"typedef\s+enum\s+\w+\s*\{(.*?)\}\s*(\w+)\s*;", text, flags=re.S):
        body, name = match.groups()
        found.enums[name] = enumerators(body)
    return found


def enumerators(body):
    result = []
    for part in split_top_level(body):
        name, _, value = part.partition("=")
        result.append((name.strip(), int(value.strip(), 0) if value.strip() else None))
    return result


def read_linux(platform):
    found = Declarations()
    include = platform / "include" / "platform"
    for path in sorted(include.glob("*.h")):
        text = strip_comments(path.read_text(encoding="utf-8"))
        for match in re.finditer(r"struct\s+(\w+)\s*:\s*public\s+IUnknown\s*\{(.*?)\n\};", text, flags=re.S):
            name, body = match.groups()
            methods = []
            for method in re.finditer(r"virtual\s+HRESULT\s+(\w+)\s*\((.*?)\)\s*=\s*0\s*;", body, flags=re.S):
                methods.append((method.group(1), parameters(method.group(2))))
            found.interfaces[name] = methods
            found.files[name] = str(path)
        for match in re.finditer(r"struct\s+(\w+)\s*\{(.*?)\n\};", text, flags=re.S):
            name, body = match.groups()
            # Read later, and only for the structures the IDL declares too.
            found.structs[name] = body
            found.files[name] = str(path)
        for match in re.finditer(r"enum\s+(\w+)\s*(?::\s*\w+\s*)?\{(.*?)\}\s*;", text, flags=re.S):
            name, body = match.groups()
            found.enums[name] = enumerators(body)
            found.files[name] = str(path)
    found.iids = read_linux_iids(platform / "src" / "com" / "opcguid.cpp")
    return found


def guid_text(data1, data2, data3, data4):
    return f"{data1:08X}-{data2:04X}-{data3:04X}-{data4[0]:02X}{data4[1]:02X}-" + "".join(
        f"{byte:02X}" for byte in data4[2:])


def read_linux_iids(path):
    text = strip_comments(path.read_text(encoding="utf-8"))
    number = r"(0x[0-9A-Fa-f]+)"
    helpers = {}
    for match in re.finditer(r"GUID\s+(\w+)\s*\(\s*uint32_t\s+data1\s*\)\s*\{\s*return\s*\{\s*data1\s*,\s*"
                             + number + r"\s*,\s*" + number + r"\s*,\s*\{([^}]*)\}\s*\}", text):
        name, data2, data3, data4 = match.groups()
        helpers[name] = (int(data2, 16), int(data3, 16), [int(byte, 16) for byte in data4.split(",")])
    iids = {}
    for match in re.finditer(r"const\s+IID\s+IID_(\w+)\s*=\s*(\w+)\(\s*" + number + r"\s*\)", text):
        name, helper, data1 = match.groups()
        data2, data3, data4 = helpers[helper]
        iids[name] = guid_text(int(data1, 16), data2, data3, data4)
    for match in re.finditer(r"const\s+IID\s+IID_(\w+)\s*=\s*\{\s*" + number + r"\s*,\s*" + number + r"\s*,\s*"
                             + number + r"\s*,\s*\{([^}]*)\}\s*\}", text):
        name, data1, data2, data3, data4 = match.groups()
        iids[name] = guid_text(int(data1, 16), int(data2, 16), int(data3, 16),
                               [int(byte, 16) for byte in data4.split(",")])
    return iids


def compare_fields(kind, name, idl_fields, linux_fields, where):
    problems = []
    if len(idl_fields) != len(linux_fields):
        problems.append(f"{kind} {name}: {len(idl_fields)} fields in the IDL, {len(linux_fields)} in {where}")
    for index, ((idl_type, idl_name), (linux_type, linux_name)) in enumerate(zip(idl_fields, linux_fields)):
        if idl_name != linux_name or normalise(idl_type) != normalise(linux_type):
            problems.append(f"{kind} {name}: field {index} is '{idl_type} {idl_name}' in the IDL "
                            f"but '{linux_type} {linux_name}' in {where}")
    return problems


def compare(idl, linux):
    problems = []
    opc = re.compile(r"^I(OPC|EnumOPC)\w+$")
    linux_opc = [name for name in linux.interfaces if opc.match(name)]
    if not linux_opc:
        problems.append("no OPC interface found in the Linux headers: the check would prove nothing")
    for name in linux_opc:
        if name not in idl.interfaces:
            problems.append(f"{name}: declared in {linux.files[name]} but not in the IDL")
    for name, idl_methods in idl.interfaces.items():
        if not idl_methods:
            problems.append(f"{name}: no methods read from the IDL")
        if name not in linux.iids:
            problems.append(f"{name}: no IID_{name} in platform/src/com/opcguid.cpp")
        elif linux.iids[name] != idl.iids[name]:
            problems.append(f"{name}: IID is {idl.iids[name]} in the IDL but {linux.iids[name]} on Linux")
        if name not in linux.interfaces:
            continue  # known on Linux by its identifier only
        where = linux.files[name]
        linux_methods = linux.interfaces[name]
        if len(idl_methods) != len(linux_methods):
            problems.append(f"{name}: {len(idl_methods)} methods in the IDL, {len(linux_methods)} in {where}")
        for slot, ((idl_method, idl_params), (linux_method, linux_params)) in enumerate(
                zip(idl_methods, linux_methods), start=3):
            if idl_method != linux_method:
                problems.append(f"{name} slot {slot}: {idl_method} in the IDL but {linux_method} in {where}")
                continue
            label = f"{name}::{idl_method}"
            if len(idl_params) != len(linux_params):
                problems.append(f"{label}: {len(idl_params)} parameters in the IDL, {len(linux_params)} in {where}")
                continue
            for index, ((idl_type, idl_name), (linux_type, linux_name)) in enumerate(zip(idl_params, linux_params)):
                if normalise(idl_type) != normalise(linux_type):
                    problems.append(f"{label}: parameter {index + 1} is '{idl_type} {idl_name}' in the IDL "
                                    f"but '{linux_type} {linux_name}' in {where}")
    for name, fields in idl.structs.items():
        if name not in linux.structs:
            if name not in IDL_ONLY:
                problems.append(f"struct {name}: in the IDL but in no Linux header")
            continue
        try:
            linux_fields = [declaration(field) for field in linux.structs[name].split(";") if field.strip()]
        except ValueError as error:
            problems.append(f"struct {name} in {linux.files[name]}: {error}")
            continue
        problems += compare_fields("struct", name, fields, linux_fields, linux.files[name])
    for name, values in idl.enums.items():
        if name not in linux.enums and name not in IDL_ONLY:
            problems.append(f"enum {name}: in the IDL but in no Linux header")
        elif name in linux.enums and values != linux.enums[name]:
            problems.append(f"enum {name}: {values} in the IDL but {linux.enums[name]} in {linux.files[name]}")
    return problems


# Declared in the IDL only: the 1.0 data stream's headers (the toolkit writes
# them byte by byte, the clients read them from the stream) and the area
# browser's enumerations, whose interface Linux knows by its IID only.
IDL_ONLY = {"OPCGROUPHEADER", "OPCGROUPHEADERWRITE", "OPCITEMHEADER1", "OPCITEMHEADER2", "OPCITEMHEADERWRITE",
            "OPCAEBROWSEDIRECTION", "OPCAEBROWSETYPE"}


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    idl = read_idl(pathlib.Path(sys.argv[1]))
    linux = read_linux(pathlib.Path(sys.argv[2]))
    problems = compare(idl, linux)
    for problem in problems:
        print(problem)
    shared = sorted(name for name in idl.interfaces if name in linux.interfaces)
    only_iid = sorted(name for name in idl.interfaces if name not in linux.interfaces)
    print(f"{len(shared)} interfaces compared method by method; known on Linux by IID only: {', '.join(only_iid)}")
    print(f"{len([n for n in idl.structs if n in linux.structs])} structures and "
          f"{len([n for n in idl.enums if n in linux.enums])} enumerations compared")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

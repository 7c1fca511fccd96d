#!/usr/bin/env python3
"""Reads the Windows resources back from a built KormandRepairTool.exe and checks them.

The resource directory of the PE file is walked here (type, name, language); the target's objdump -p
gives the machine, the subsystem and the imported DLLs. Checked:
- the manifest (type 24, ID 1, language 1033) is byte for byte the given manifest file, asks for
  "requireAdministrator" and names the expected processor architecture;
- the icon group IDI_ICON1 (language 1033) holds exactly the images of the given .ico, one image of
  256 x 256 pixels at 32 bits stored as PNG;
- the program is a Windows GUI program for the expected machine;
- it imports only DLLs that Windows itself provides (Wine's set of system DLLs stands for them), so
  it starts with nothing beside it.
Prints one line per check and "pe-resources: N passed, N failed"; exits non-zero on a failure.
"""

import argparse
import os
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

RT_ICON = 3
RT_GROUP_ICON = 14
RT_MANIFEST = 24
LANG_EN_US = 1033
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V2 = "{urn:schemas-microsoft-com:asm.v2}"
SYSTEM_DLL_DIR = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"


def read_resources(exe):
    """Every resource of a PE file as (type, name, language, bytes), read from its resource directory."""
    with open(exe, "rb") as f:
        image = f.read()
    (pe_offset,) = struct.unpack_from("<I", image, 0x3C)
    if image[pe_offset : pe_offset + 4] != b"PE\0\0":
        raise ValueError(f"{exe} is not a PE file")
    _, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", image, pe_offset + 4)
    optional = pe_offset + 24
    (magic,) = struct.unpack_from("<H", image, optional)
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva, _ = struct.unpack_from("<II", image, directories + 2 * 8)
    if resource_rva == 0:
        return []
    section_table = [struct.unpack_from("<8sIIII", image, optional + optional_size + 40 * i)
                     for i in range(sections)]

    def file_offset(rva):
        for _, virtual_size, address, raw_size, raw_offset in section_table:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw_offset + rva - address
        raise ValueError(f"RVA {rva:#x} lies in no section")

    base = file_offset(resource_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", image, base + directory + 12)
        for i in range(named + ids):
            key, target = struct.unpack_from("<II", image, base + directory + 16 + 8 * i)
            if key & 0x80000000:
                (length,) = struct.unpack_from("<H", image, base + (key & 0x7FFFFFFF))
                start = base + (key & 0x7FFFFFFF) + 2
                key = image[start : start + 2 * length].decode("utf-16-le")
            yield key, target

    records = []
    for res_type, names in entries(0):
        for name, languages in entries(names & 0x7FFFFFFF):
            for language, leaf in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", image, base + leaf)
                start = file_offset(rva)
                records.append((res_type, name, language, image[start : start + size]))
    return records


def find(records, res_type, name, language):
    matches = [
        body
        for (t, n, lang, body) in records
        if t == res_type
        and (n.upper() == name.upper() if isinstance(n, str) and isinstance(name, str) else n == name)
        and lang == language
    ]
    return matches[0] if len(matches) == 1 else None


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, what, detail=""):
        if ok:
            self.passed += 1
            print(f"PASS   : {what}")
        else:
            self.failed += 1
            print(f"FAIL!  : {what}" + (f": {detail}" if detail else ""))
        return ok


def check_manifest(checks, records, manifest_path, architecture):
    manifest = find(records, RT_MANIFEST, 1, LANG_EN_US)
    if not checks.check(manifest is not None, "one manifest resource, ID 1, language 1033"):
        return
    with open(manifest_path, "rb") as f:
        expected = f.read()
    checks.check(manifest == expected, f"manifest is {os.path.basename(manifest_path)} byte for byte")
    root = ElementTree.fromstring(manifest)
    identity = root.find(ASM_V1 + "assemblyIdentity")
    level = root.find(f"{ASM_V2}trustInfo/{ASM_V2}security/{ASM_V2}requestedPrivileges/"
                      f"{ASM_V2}requestedExecutionLevel")
    checks.check(root.tag == ASM_V1 + "assembly" and root.get("manifestVersion") == "1.0",
                 "manifest is an assembly, manifestVersion 1.0")
    checks.check(
        identity is not None
        and identity.get("name") == "kormand_repair_tool.myapp"
        and identity.get("version") == "2.0.0.0"
        and identity.get("type") == "win32"
        and identity.get("processorArchitecture") == architecture,
        f'assembly identity kormand_repair_tool.myapp 2.0.0.0 win32 "{architecture}"',
        "" if identity is None else str(identity.attrib),
    )
    checks.check(
        level is not None and level.get("level") == "requireAdministrator"
        and level.get("uiAccess") == "false",
        "manifest requests requireAdministrator without uiAccess",
    )


def check_icon(checks, records, icon_path):
    group = find(records, RT_GROUP_ICON, "IDI_ICON1", LANG_EN_US)
    if not checks.check(group is not None, "one icon group IDI_ICON1, language 1033"):
        return
    with open(icon_path, "rb") as f:
        ico = f.read()
    _, _, count = struct.unpack_from("<HHH", group, 0)
    _, ico_type, ico_count = struct.unpack_from("<HHH", ico, 0)
    if not checks.check(ico_type == 1 and count == ico_count,
                        f"icon group has the {ico_count} image(s) of {os.path.basename(icon_path)}",
                        f"{count} in the program"):
        return
    images = []
    for i in range(count):
        width, height, _, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        image = find(records, RT_ICON, icon_id, LANG_EN_US)
        ico_size, ico_offset = struct.unpack_from("<II", ico, 6 + 16 * i + 8)
        same = image is not None and image == ico[ico_offset : ico_offset + ico_size] and size == ico_size
        checks.check(same, f"icon image {i + 1} (ID {icon_id}) is the .ico's image byte for byte")
        images.append((width or 256, height or 256, bits, image or b""))
    png = [(w, h, b, img) for (w, h, b, img) in images if img.startswith(PNG_SIGNATURE)]
    ihdr = struct.unpack_from(">II", png[0][3], 16) if png else None
    checks.check(
        len(images) == 1 and len(png) == 1 and png[0][:3] == (256, 256, 32) and ihdr == (256, 256),
        "the icon is one 256 x 256 image of 32 bits stored as PNG",
        str([img[:3] for img in images]),
    )


def check_program(checks, objdump, exe, machine):
    headers = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    checks.check(f"file format pei-{machine}" in headers, f"a pei-{machine} program")
    subsystem = re.search(r"^Subsystem\s+\S+\s+\((.*)\)", headers, re.MULTILINE)
    checks.check(subsystem is not None and subsystem.group(1) == "Windows GUI", "Windows GUI subsystem",
                 subsystem.group(1) if subsystem else "none")
    system_dlls = {name.lower() for name in os.listdir(SYSTEM_DLL_DIR)}
    imported = re.findall(r"DLL Name: (\S+)", headers)
    foreign = [dll for dll in imported if dll.lower() not in system_dlls]
    checks.check(bool(imported) and not foreign, f"imports only system DLLs ({len(imported)})",
                 "also " + ", ".join(foreign))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--objdump", required=True, help="the target's objdump")
    parser.add_argument("--machine", required=True, choices=["i386", "x86-64"])
    parser.add_argument("--architecture", required=True, help='the manifest\'s processorArchitecture')
    parser.add_argument("--manifest", required=True)
    parser.add_argument("--icon", required=True)
    parser.add_argument("exe")
    args = parser.parse_args()

    checks = Checks()
    records = read_resources(args.exe)
    print(f"Resources of {args.exe}: {len(records)}")
    check_program(checks, args.objdump, args.exe, args.machine)
    check_manifest(checks, records, args.manifest, args.architecture)
    check_icon(checks, records, args.icon)
    print(f"pe-resources: {checks.passed} passed, {checks.failed} failed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())

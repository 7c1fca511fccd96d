#!/usr/bin/python3
"""Reads a built Windows program back through pefile and checks its headers and resources.

Debian's pefile (python3-pefile) belongs to Debian's own interpreter, hence /usr/bin/python3.
Checked, each where asked for:
- the program is for the expected machine and subsystem, with no link time in its header;
- it imports only DLLs that Windows itself provides (Wine's set of system DLLs stands for them), so
  it starts with nothing beside it; and those it imports at start are all KnownDLLs, which Windows
  maps from System32 alone, so none can be planted beside it (the rest are delay-loaded);
- the manifest (type 24, ID 1, language 1033) is byte for byte the given manifest file, names the
  expected assembly and processor architecture and asks for the expected execution level
  ("requireAdministrator" unless told otherwise);
- the icon group IDI_ICON1 (language 1033) holds exactly the images of the given .ico, one image of
  256 x 256 pixels at 32 bits stored as PNG;
- the version resource (ID 1, German) names maker, product, description, version and the file's
  own name, in one German Unicode string table;
- every resource is byte for byte the same as in another file (a signed copy against the original).
Prints one line per check and "pe-resources: N passed, N failed"; exits non-zero on a failure.
"""

import argparse
import os
import struct
import sys
import xml.etree.ElementTree as ElementTree

import pefile

RT_ICON = pefile.RESOURCE_TYPE["RT_ICON"]
RT_GROUP_ICON = pefile.RESOURCE_TYPE["RT_GROUP_ICON"]
RT_VERSION = pefile.RESOURCE_TYPE["RT_VERSION"]
RT_MANIFEST = pefile.RESOURCE_TYPE["RT_MANIFEST"]
LANG_EN_US = 0x0409
LANG_DE_DE = 0x0407
CODE_PAGE_UNICODE = 1200
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V2 = "{urn:schemas-microsoft-com:asm.v2}"
SYSTEM_DLL_DIR = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"
# The DLLs that Windows maps from System32 alone whatever the search order says: those in the
# registry key HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs both on Windows 7
# SP1 and on Windows 10 and 11, and ntdll.dll, which the kernel maps into every process before any
# import is resolved.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "difxapi.dll", "gdi32.dll", "imagehlp.dll",
    "imm32.dll", "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll",
    "ntdll.dll", "ole32.dll", "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll",
    "setupapi.dll", "shell32.dll", "shlwapi.dll", "user32.dll", "wldap32.dll", "ws2_32.dll",
}
MACHINES = {"i386": "IMAGE_FILE_MACHINE_I386", "x86-64": "IMAGE_FILE_MACHINE_AMD64"}
SUBSYSTEMS = {"gui": "IMAGE_SUBSYSTEM_WINDOWS_GUI", "console": "IMAGE_SUBSYSTEM_WINDOWS_CUI"}
COMPANY = "Kormand"
PRODUCT = "Velto Studio RepairTool"
VS_FFI_SIGNATURE = 0xFEEF04BD
VOS_NT_WINDOWS32 = 0x00040004
VFT_APP = 1


def load(exe):
    pe = pefile.PE(exe, fast_load=True)
    pe.parse_data_directories(directories=[
        pefile.DIRECTORY_ENTRY[name] for name in (
            "IMAGE_DIRECTORY_ENTRY_IMPORT", "IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT",
            "IMAGE_DIRECTORY_ENTRY_RESOURCE")])
    return pe


def read_resources(pe):
    """Every resource as (type, name, language, bytes); a name is an ID or an upper-case string."""
    records = []
    directory = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for res_type in directory.entries if directory else []:
        for name in res_type.directory.entries:
            key = str(name.name).upper() if name.name is not None else name.id
            for language in name.directory.entries:
                data = language.data.struct
                records.append((res_type.id, key, language.id, pe.get_data(data.OffsetToData, data.Size)))
    return records


def find(records, res_type, name, language):
    matches = [body for (t, n, lang, body) in records if (t, n, lang) == (res_type, name, language)]
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


def check_program(checks, pe, machine, subsystem):
    checks.check(pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE[MACHINES[machine]],
                 f"a program for {machine}", hex(pe.FILE_HEADER.Machine))
    actual = pefile.SUBSYSTEM_TYPE.get(pe.OPTIONAL_HEADER.Subsystem, pe.OPTIONAL_HEADER.Subsystem)
    checks.check(actual == SUBSYSTEMS[subsystem], f"{SUBSYSTEMS[subsystem]} subsystem", str(actual))
    checks.check(pe.FILE_HEADER.TimeDateStamp == 0, "no link time in the PE header",
                 hex(pe.FILE_HEADER.TimeDateStamp))
    system_dlls = {name.lower() for name in os.listdir(SYSTEM_DLL_DIR)}
    imported = [entry.dll.decode("ascii") for directory in ("DIRECTORY_ENTRY_IMPORT", "DIRECTORY_ENTRY_DELAY_IMPORT")
                for entry in getattr(pe, directory, [])]
    foreign = [dll for dll in imported if dll.lower() not in system_dlls]
    checks.check(bool(imported) and not foreign, f"imports only system DLLs ({len(imported)})",
                 "also " + ", ".join(foreign))
    at_start = [entry.dll.decode("ascii") for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    searched = [dll for dll in at_start if dll.lower() not in KNOWN_DLLS]
    checks.check(bool(at_start) and not searched,
                 f"imports at start only KnownDLLs ({', '.join(sorted(at_start, key=str.lower))})",
                 "searched for beside the program: " + ", ".join(searched))


def check_manifest(checks, records, manifest_path, architecture, assembly, level_wanted):
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
    name, version = assembly
    checks.check(
        identity is not None
        and identity.get("name") == name
        and identity.get("version") == version
        and identity.get("type") == "win32"
        and identity.get("processorArchitecture") == architecture,
        f'assembly identity {name} {version} win32 "{architecture}"',
        "" if identity is None else str(identity.attrib),
    )
    checks.check(
        level is not None and level.get("level") == level_wanted
        and level.get("uiAccess") == "false",
        f"manifest requests {level_wanted} without uiAccess",
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


def version_numbers(version):
    """'1.0' as the fixed part's two 32-bit halves: major.minor and patch.tweak."""
    parts = ([int(p) for p in version.split(".")] + [0, 0, 0])[:4]
    return (parts[0] << 16 | parts[1], parts[2] << 16 | parts[3])


def check_version(checks, pe, records, exe, description, version):
    """pefile parses the version resource along with the resource directory."""
    versions = [(name, language) for (t, name, language, _) in records if t == RT_VERSION]
    if not checks.check(versions == [(1, LANG_DE_DE)] and hasattr(pe, "VS_FIXEDFILEINFO"),
                        "one version resource, ID 1, language 0x0407 (German)", str(versions)):
        return
    fixed = pe.VS_FIXEDFILEINFO[0]
    print(fixed)
    major_minor, patch_tweak = version_numbers(version)
    checks.check(fixed.Signature == VS_FFI_SIGNATURE, "fixed part has the version signature")
    checks.check((fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS, fixed.ProductVersionLS)
                 == (major_minor, patch_tweak) * 2, f"fixed file and product version {version}")
    checks.check(fixed.FileFlags & fixed.FileFlagsMask == 0, "no debug, pre-release or patched flag",
                 hex(fixed.FileFlags))
    checks.check(fixed.FileOS == VOS_NT_WINDOWS32 and fixed.FileType == VFT_APP,
                 "an application for the Win32 API of Windows NT", f"OS {fixed.FileOS:#x}, type {fixed.FileType}")

    string_tables = [table for info in pe.FileInfo[0] if info.Key == b"StringFileInfo"
                     for table in info.StringTable]
    translations = [var.entry.get(b"Translation") for info in pe.FileInfo[0] if info.Key == b"VarFileInfo"
                    for var in info.Var]
    for table in string_tables:
        print(f"StringTable {table.LangID.decode()}:")
        for key, value in table.entries.items():
            print(f"  {key.decode()}: {value.decode()}")
    print(f"Translation: {translations}")
    expected_table = f"{LANG_DE_DE:04x}{CODE_PAGE_UNICODE:04x}"
    if not checks.check(len(string_tables) == 1 and string_tables[0].LangID.decode().lower() == expected_table,
                        f"one string table, {expected_table.upper()} (German, Unicode)",
                        str([t.LangID for t in string_tables])):
        return
    strings = {key.decode(): value.decode() for key, value in string_tables[0].entries.items()}
    name = os.path.basename(exe)
    expected = {
        "CompanyName": COMPANY,
        "ProductName": PRODUCT,
        "FileDescription": description,
        "FileVersion": version,
        "ProductVersion": version,
        "OriginalFilename": name,
        "InternalName": os.path.splitext(name)[0],
    }
    for key, value in expected.items():
        checks.check(strings.get(key) == value, f'{key} "{value}"', repr(strings.get(key)))
    checks.check(COMPANY in strings.get("LegalCopyright", ""), f"LegalCopyright names {COMPANY}",
                 repr(strings.get("LegalCopyright")))
    checks.check(translations == [f"{LANG_DE_DE:#06x} {CODE_PAGE_UNICODE:#06x}"],
                 "translation German (0x0407), Unicode (1200)", str(translations))


def check_same_resources(checks, records, reference):
    expected = read_resources(load(reference))
    checks.check(sorted(records) == sorted(expected),
                 f"every resource as in {os.path.basename(reference)} byte for byte",
                 f"{len(records)} resources here, {len(expected)} there")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--machine", required=True, choices=sorted(MACHINES))
    parser.add_argument("--subsystem", default="gui", choices=sorted(SUBSYSTEMS))
    parser.add_argument("--architecture", help="the manifest's processorArchitecture")
    parser.add_argument("--manifest", help="the manifest file that the program carries")
    parser.add_argument("--assembly", nargs=2, metavar=("NAME", "VERSION"),
                        default=["kormand_repair_tool.myapp", "2.0.0.0"],
                        help="the manifest's assembly identity")
    parser.add_argument("--execution-level", default="requireAdministrator",
                        help="the execution level the manifest asks for")
    parser.add_argument("--icon", help="the .ico file that the program carries as IDI_ICON1")
    parser.add_argument("--description", help="the version resource's FileDescription")
    parser.add_argument("--version", help="the version resource's file and product version")
    parser.add_argument("--same-resources-as", metavar="EXE", help="a program with the same resources")
    parser.add_argument("exe")
    args = parser.parse_args()
    if bool(args.manifest) != bool(args.architecture) or bool(args.description) != bool(args.version):
        parser.error("--manifest goes with --architecture, --description with --version")

    checks = Checks()
    pe = load(args.exe)
    records = read_resources(pe)
    print(f"Resources of {args.exe}: {len(records)}")
    check_program(checks, pe, args.machine, args.subsystem)
    if args.manifest:
        check_manifest(checks, records, args.manifest, args.architecture, args.assembly,
                       args.execution_level)
    if args.icon:
        check_icon(checks, records, args.icon)
    if args.description:
        check_version(checks, pe, records, args.exe, args.description, args.version)
    if args.same_resources_as:
        check_same_resources(checks, records, args.same_resources_as)
    print(f"pe-resources: {checks.passed} passed, {checks.failed} failed")
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())

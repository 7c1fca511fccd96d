#!/usr/bin/python3
"""Packs support's tools twice, from stand-in programs in two folders, and checks the package.

The two packages must be byte for byte the same; msiinfo (msitools) reads the tables back: every
component and registry value in the user's profile and HKEY_CURRENT_USER, no custom action that
runs code, the association and the upgrade as support's documentation describes them.
  check_support_msi.py PACKER VERSION WORK_DIR
"""

import os
import subprocess
import sys

packer, version, work = sys.argv[1:4]
failures = []


def check(what, ok):
    print(("ok    " if ok else "FAIL  ") + what)
    if not ok:
        failures.append(what)


def build(name):
    folder = os.path.join(work, name)
    os.makedirs(folder, exist_ok=True)
    programs = []
    for program in ("viewer.exe", "reader.exe"):
        programs.append(os.path.join(folder, program))
        with open(programs[-1], "w") as stand_in:
            stand_in.write("stand-in for " + program)
    msi = os.path.join(folder, "tools.msi")
    subprocess.run([packer, version, *programs, msi], check=True, env=dict(os.environ, TMPDIR=folder))
    with open(msi, "rb") as package:
        return msi, package.read()


def table(msi, name):
    """The table's rows as dictionaries; msiinfo's first three lines are names, types, key."""
    lines = subprocess.run(["msiinfo", "export", msi, name], check=True, capture_output=True,
                           text=True).stdout.splitlines()
    columns = lines[0].split("\t")
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:] if line]


msi, first = build("one")
check("two packages from the same programs are the same bytes", first == build("a/deeper/two")[1])

directories = {row["Directory"]: row for row in table(msi, "Directory")}


def path(directory):
    """The folder as a path of names below TARGETDIR, a system folder ("." as its name) by its id."""
    row = directories[directory]
    name = row["DefaultDir"].split(":")[-1].split("|")[-1]
    if not row["Directory_Parent"]:
        return directory
    return path(row["Directory_Parent"]) + "/" + (directory if name == "." else name)


properties = {row["Property"]: row["Value"] for row in table(msi, "Property")}
registry = {(row["Key"], row["Name"]): row for row in table(msi, "Registry")}
command = registry.get(("Software\\Classes\\Kormand.SupportLog\\shell\\open\\command", ""), {})
summary = subprocess.run(["msiinfo", "suminfo", msi], check=True, capture_output=True, text=True).stdout
word_count = int(summary.split("Source: ")[1].split()[0])
rows = [
    ("installs below the user's LocalAppData\\Programs",
     path("INSTALLDIR") == "TARGETDIR/LocalAppDataFolder/Programs/Kormand Support Tools"),
    ("no ALLUSERS: a per-user installation", "ALLUSERS" not in properties),
    ("the package asks for no elevation (word count bit 8)", word_count & 8 == 8),
    ("no component outside the user's profile and Start menu",
     all(path(row["Directory_"]).startswith(("TARGETDIR/LocalAppDataFolder/", "TARGETDIR/ProgramMenuFolder"))
         for row in table(msi, "Component"))),
    ("every component's key path a value below HKEY_CURRENT_USER",
     all(int(row["Attributes"]) & 4 for row in table(msi, "Component"))),
    ("every value below HKEY_CURRENT_USER (root 1)", all(row["Root"] == "1" for row in registry.values())),
    ("no value below Software\\Kormand, which the tool empties",
     not any(key.lower().startswith("software\\kormand\\") for key, _ in registry)),
    ("no custom action that runs code",
     all(int(row["Type"]) & 0x3F in (19, 35, 51) for row in table(msi, "CustomAction"))),
    (".kormand_repair's default is Kormand's own ProgID",
     registry.get(("Software\\Classes\\.kormand_repair", ""), {}).get("Value") == "Kormand.SupportLog"),
    ("the ProgID is in OpenWithProgids",
     ("Software\\Classes\\.kormand_repair\\OpenWithProgids", "Kormand.SupportLog") in registry),
    ("open hands the file to the installed viewer",
     command.get("Value") == '"[#KormandLogViewer.exe]" "%1"'),
    ("the version is the project's", properties.get("ProductVersion") == version),
    ("older versions are found and removed",
     any(row["VersionMax"] == version and row["UpgradeCode"] == properties["UpgradeCode"]
         for row in table(msi, "Upgrade"))
     and any(row["Action"] == "RemoveExistingProducts" for row in table(msi, "InstallExecuteSequence"))),
]
for what, ok in rows:
    check(what, ok)
print("support-tools-msi: %d passed, %d failed" % (len(rows) + 1 - len(failures), len(failures)))
sys.exit(1 if failures else 0)

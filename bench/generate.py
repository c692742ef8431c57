#!/usr/bin/env python3
"""Generates the benchmark's synthetic machine: a registry script to import into a fresh Wine
prefix, a folder tree under the prefix's Windows and Program Files folders, and the answer key
(every detail line and deletion-script line the clean run must produce, and nothing more).

Deterministic: the same size and seed give the same machine, byte for byte.

  generate.py SIZE PREFIX OUTDIR [--seed N]

writes OUTDIR/machine.reg (REGEDIT4, ANSI, CRLF), OUTDIR/answer-key.txt and OUTDIR/machine.txt
(the sizes), and creates the files below PREFIX/drive_c.
"""
import argparse
import os
import random
import sys

# Registry sizes follow a real Windows 10/11 machine at "heavy" and its lower end at "typical";
# "lean" is the smoke size. Planted problems scale by `plant`: each unit plants one of every
# kind, about 24 key repairs, each of which starts the registry editor once for its backup.
SIZES = {
    "lean": dict(extensions=120, progids=250, clsids=300, interfaces=500, typelibs=40,
                 uninstall=20, apps=20, win_folders=400, pf_vendors=10, fonts=100,
                 app_paths=20, help_files=5, mui=20, plant=1),
    "typical": dict(extensions=1500, progids=4000, clsids=6000, interfaces=12000, typelibs=250,
                    uninstall=60, apps=200, win_folders=30000, pf_vendors=600, fonts=300,
                    app_paths=60, help_files=20, mui=80, plant=2),
    "heavy": dict(extensions=2500, progids=7500, clsids=10000, interfaces=25000, typelibs=600,
                  uninstall=150, apps=400, win_folders=97000, pf_vendors=1250, fonts=500,
                  app_paths=100, help_files=40, mui=150, plant=3),
}
# A 64-bit Windows keeps a 32-bit copy of the redirected keys; 32-bit programs register about
# this share of the classes, interfaces, uninstall entries and machine-wide Run entries there.
WOW64_SHARE = 0.4
WIN_FILES_PER_FOLDER = 3
PF_FILES_PER_FOLDER = 15
PF_SUBFOLDERS = ("bin", "lib", "res")  # plus the vendor folder itself: 4 folders per vendor
WIN_BRANCHING = 24

CLASSES = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"
CLASSES32 = CLASSES + "\\Wow6432Node"
WOW = "\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\"
UNINSTALL = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
RUN = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\"
APP_PATHS = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\"
FONTS = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
HELP = "\\SOFTWARE\\Microsoft\\Windows\\Help"
HTML_HELP32 = "\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\HTML Help"
MUI_CACHE = "\\Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache"
EXCLUDED_TYPELIB = "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}"
# The windows folder as GetWindowsDirectoryA reports it in a Wine prefix, and the Program Files
# folder as the run reads it (upper-cased from the registry).
WINDOWS_DIR = "C:\\windows\\"
PF_REG = "C:\\Program Files\\"


def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


class Machine:
    def __init__(self, size, seed):
        self.cfg = SIZES[size]
        self.rnd = random.Random(f"{size}:{seed}")
        self.keys = {}  # key path -> list of (name, script data); insertion ordered
        self.details = []  # (category, detail line)
        self.script = []  # deletion-script lines (non-empty)
        self.win_files = []  # (relative folder under drive_c/windows, [file names])
        self.pf_files = []
        self.guids = set()

    def guid(self):
        while True:
            g = "{%08X-%04X-%04X-%04X-%012X}" % (
                self.rnd.getrandbits(32), self.rnd.getrandbits(16), self.rnd.getrandbits(16),
                self.rnd.getrandbits(16), self.rnd.getrandbits(48))
            if g not in self.guids:
                self.guids.add(g)
                return g

    def key(self, path, **values):
        entry = self.keys.setdefault(path, [])
        for name, data in values.items():
            entry.append(("@" if name == "default" else quote(name), data))
        return entry

    def value(self, path, name, data):
        self.keys.setdefault(path, []).append(("@" if name == "" else quote(name), data))

    def found(self, category, line):
        self.details.append((category, line))

    # ----- files -----
    def build_files(self):
        cfg = self.cfg
        # Windows side: a tree of numbered folders below C:\windows\kvx, 3 files each.
        names = []
        for i in range(cfg["win_folders"]):
            parent = (i - 1) // WIN_BRANCHING if i else None
            name = "kvx" if i == 0 else ("Comp%05d" % i if i % 3 else "comp_%05d.x" % i)
            names.append(name if parent is None else names[parent] + "\\" + name)
            files = ["c%06da.dll" % i, "c%06db.mui" % i, "readme.txt"]
            self.win_files.append((names[-1], files))
        # Program Files side: one folder per vendor with its programs and servers, and three
        # subfolders, 15 files each.
        for v in range(cfg["pf_vendors"]):
            top = "Kvx Vendor%04d" % v
            self.pf_files.append((top, ["app%04d.exe" % v] + ["lib%04d_%02d.dll" % (v, k)
                                                             for k in range(14)]))
            for sub in PF_SUBFOLDERS:
                self.pf_files.append((top + "\\" + sub, ["%s%04d_%02d.dat" % (sub, v, k)
                                                         for k in range(PF_FILES_PER_FOLDER)]))

    def server(self):
        v = self.rnd.randrange(self.cfg["pf_vendors"])
        return PF_REG + "Kvx Vendor%04d\\lib%04d_%02d.dll" % (v, v, self.rnd.randrange(14))

    def program(self):
        v = self.rnd.randrange(self.cfg["pf_vendors"])
        return PF_REG + "Kvx Vendor%04d\\app%04d.exe" % (v, v)

    # ----- sound data -----
    def build_sound(self):
        cfg = self.cfg
        self.typelibs = []
        for i in range(cfg["typelibs"]):
            g = self.guid()
            self.typelibs.append(g)
            base = f"{CLASSES}\\TypeLib\\{g}"
            v = self.rnd.randrange(cfg["pf_vendors"])
            self.key(f"{base}\\1.0", default=quote("Kvx Type Library %d" % i))
            self.key(f"{base}\\1.0\\0\\win64",
                     default=quote(PF_REG + "Kvx Vendor%04d\\lib%04d_00.dll" % (v, v)))
            self.key(f"{base}\\1.0\\FLAGS", default=quote("0"))
            self.key(f"{base}\\1.0\\HELPDIR", default=quote(PF_REG + "Kvx Vendor%04d" % v))
        self.clsids = []
        for i in range(cfg["clsids"]):
            g = self.guid()
            self.clsids.append(g)
            base = f"{CLASSES}\\CLSID\\{g}"
            self.key(base, default=quote("Kvx Class %d" % i))
            kind = i % 10
            if kind == 0:  # a local server with arguments
                self.key(base + "\\LocalServer32",
                         default=quote('"%s" /automation' % self.program()))
            elif kind == 1:  # a bare system file name, found in System32
                self.key(base + "\\InprocServer32", default=quote("ole32.dll"),
                         ThreadingModel=quote("Both"))
            else:
                self.key(base + "\\InprocServer32", default=quote(self.server()),
                         ThreadingModel=quote("Apartment"))
            if kind in (2, 5):
                self.key(base + "\\TypeLib", default=quote(self.rnd.choice(self.typelibs)))
            self.key(base + "\\ProgID", default=quote("Kvx.Object%d.1" % i))
        self.progids = []
        for i in range(cfg["progids"]):
            name = "Kvx.Document%d" % i
            self.progids.append(name)
            base = f"{CLASSES}\\{name}"
            self.key(base, default=quote("Kvx Document %d" % i))
            if i % 3 == 0:
                self.key(base + "\\CLSID", default=quote(self.rnd.choice(self.clsids)))
            program = self.program()
            self.key(base + "\\DefaultIcon", default=quote(program + ",%d" % (i % 5)))
            self.key(base + "\\shell\\open\\command", default=quote('"%s" "%%1"' % program))
            if i % 4 == 0:
                self.key(base + "\\shell\\edit\\command", default=quote('"%s" /edit "%%1"'
                                                                        % program))
            if i % 7 == 0:  # an icon that names no executable file is never judged
                self.key(base + "\\DefaultIcon", default=quote("C:\\Gone\\doc.ico"))
        for i in range(cfg["extensions"]):
            base = f"{CLASSES}\\.kx%d" % i
            if i % 11 == 0:  # no file type named: left alone
                self.key(base, **{"Content Type": quote("application/x-kvx")})
            else:
                self.key(base, default=quote(self.rnd.choice(self.progids).upper()
                                             if i % 2 else self.rnd.choice(self.progids)))
                self.key(base + "\\OpenWithProgids", **{self.progids[i % len(self.progids)]:
                                                        "hex(0):"})
        for i in range(cfg["interfaces"]):
            g = self.guid()
            base = f"{CLASSES}\\Interface\\{g}"
            kind = i % 6
            if kind == 5:  # no value of its own, one deep inside
                self.key(base + "\\ProxyStubClsid32", default=quote(self.rnd.choice(self.clsids)))
                continue
            self.key(base, default=quote("IKvxInterface%d" % i))
            self.key(base + "\\NumMethods", default=quote(str(3 + i % 20)))
            self.key(base + "\\ProxyStubClsid32", default=quote(self.rnd.choice(self.clsids)))
            if kind == 0:
                self.key(base + "\\TypeLib", default=quote(self.rnd.choice(self.typelibs)),
                         Version=quote("1.0"))
        for i in range(cfg["uninstall"]):
            base = "HKEY_LOCAL_MACHINE" + UNINSTALL + "KvxApp%d" % i
            v = self.rnd.randrange(cfg["pf_vendors"])
            values = dict(DisplayName=quote("Kvx Application %d" % i),
                          DisplayVersion=quote("1.%d" % i),
                          InstallLocation=quote(PF_REG + "Kvx Vendor%04d" % v))
            if i % 5 == 0:
                values["QuietUninstallString"] = quote('"%s" /quiet' % self.program())
            else:
                values["UninstallString"] = quote('"%s" /uninstall' % self.program())
            self.key(base, **values)
        for root in ("HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"):
            self.key(root + RUN, KvxTray=quote('"%s" /tray' % self.program()),
                     KvxSystem=quote("ole32.dll"))
        for i in range(cfg["apps"]):
            base = "HKEY_CURRENT_USER\\Software\\Kvx Vendor%04d\\Application %d" % (i, i)
            v = self.rnd.randrange(cfg["pf_vendors"])
            self.key(base, InstallDir=quote(PF_REG + "Kvx Vendor%04d" % v),
                     Program=quote(self.program()), Version=quote("2.%d.0" % i),
                     Windows=dword(i))
            self.key(base + "\\Settings", Language=quote("English"),
                     Backup=quote("C:\\PROGRA~1\\Kvx\\gone%d.bak" % i),
                     Budget=quote("C:\\$Kvx\\gone%d.txt" % i),
                     Columns=quote("C:\\a,b,c\\gone%d.txt" % i))
        self.build_sound_places()
        self.build_sound_32bit()
        self.key("HKEY_LOCAL_MACHINE\\SOFTWARE\\KvxBench", Marker=quote("bare export"))

    def build_sound_places(self):
        """Fonts in the Fonts folder, application paths and help files of installed programs,
        and the shell's names of programs that are there."""
        cfg = self.cfg
        fonts = ["kvxfont%04d.ttf" % i for i in range(cfg["fonts"])]
        self.win_files.append(("Fonts", fonts))
        for i, f in enumerate(fonts):
            self.value("HKEY_LOCAL_MACHINE" + FONTS, "Kvx Font %d (TrueType)" % i, quote(f))
        for i in range(cfg["app_paths"]):
            program = self.program()
            self.key("HKEY_LOCAL_MACHINE" + APP_PATHS + "kvxapp%d.exe" % i,
                     default=quote('"%s"' % program if i % 2 else program),
                     Path=quote(program[:program.rindex("\\")]))
        helps = ["kvxhelp%03d.chm" % i for i in range(cfg["help_files"])]
        self.win_files.append(("Help", helps))
        for f in helps:
            self.value("HKEY_LOCAL_MACHINE" + HELP, f, quote(WINDOWS_DIR + "Help"))
        for i in range(cfg["mui"]):
            program = self.program()
            self.value("HKEY_CURRENT_USER" + MUI_CACHE, program + ".FriendlyAppName",
                       quote("Kvx Program %d" % i))
            self.value("HKEY_CURRENT_USER" + MUI_CACHE, program + ".ApplicationCompany",
                       quote("Kvx Vendor"))

    def build_sound_32bit(self):
        cfg = self.cfg
        clsids32 = []
        for i in range(int(cfg["clsids"] * WOW64_SHARE)):
            g = self.guid()
            clsids32.append(g)
            base = f"{CLASSES32}\\CLSID\\{g}"
            self.key(base, default=quote("Kvx 32-bit Class %d" % i))
            self.key(base + "\\InprocServer32", default=quote(self.server()),
                     ThreadingModel=quote("Apartment"))
            if i % 5 == 0:  # type libraries are one key for both views
                self.key(base + "\\TypeLib", default=quote(self.rnd.choice(self.typelibs)))
        for i in range(int(cfg["interfaces"] * WOW64_SHARE)):
            base = f"{CLASSES32}\\Interface\\{self.guid()}"
            self.key(base, default=quote("IKvx32Interface%d" % i))
            self.key(base + "\\ProxyStubClsid32", default=quote(self.rnd.choice(clsids32)))
        for i in range(int(cfg["uninstall"] * WOW64_SHARE)):
            self.key("HKEY_LOCAL_MACHINE" + WOW + "Uninstall\\Kvx32App%d" % i,
                     DisplayName=quote("Kvx 32-bit Application %d" % i),
                     UninstallString=quote('"%s" /uninstall' % self.program()))
        self.key("HKEY_LOCAL_MACHINE" + WOW + "Run\\",
                 KvxTray32=quote('"%s" /tray' % self.program()))

    def complete_prefix(self, prefix):
        """Registers the file types that the prefix's own extensions name but that it lacks
        (a fresh Wine prefix has .dll and .xsl without their types; Windows has both), so
        that every finding of the run is one the answer key plants."""
        classes, types = set(), {}
        current = None
        with open(os.path.join(prefix, "system.reg"), encoding="latin-1") as f:
            for line in f:
                if line.startswith("[Software\\\\Classes\\\\"):
                    name = line[len("[Software\\\\Classes\\\\"):line.index("]")]
                    current = None if "\\\\" in name else name
                    # A key holding only subkeys has no line of its own.
                    classes.add(name.split("\\\\")[0].lower())
                elif current and current.startswith(".") and line.startswith('@="'):
                    types[current] = line[3:line.rindex('"')]
        # Windows keeps the file of every font registered by bare name in its Fonts folder; Wine
        # registers its own bitmap fonts so but keeps their files elsewhere (or has none).
        fonts, in_fonts = [], False
        with open(os.path.join(prefix, "system.reg"), encoding="latin-1") as f:
            for line in f:
                if line.startswith("["):
                    in_fonts = line.startswith("[Software\\\\Microsoft\\\\Windows NT\\\\"
                                               "CurrentVersion\\\\Fonts]")
                elif in_fonts and line.startswith('"') and '="' in line:
                    data = line[line.index('="') + 2:line.rindex('"')]
                    if "\\" not in data and ":" not in data:
                        fonts.append(data)
        self.win_files.append(("Fonts", fonts))
        for extension, type_name in sorted(types.items()):
            if type_name and type_name.lower() not in classes:
                self.key(f"{CLASSES}\\{type_name}", default=quote(type_name + " document"))
                classes.add(type_name.lower())

    # ----- planted problems, one unit of each kind per `plant` -----
    def plant(self, unit):
        det = self.found
        # 1. An orphaned extension lives in the machine-wide classes, so both passes find it.
        ext = ".orphan%d" % unit
        self.key(f"{CLASSES}\\{ext}", default=quote("Kvx.MissingType%d" % unit))
        self.key(f"{CLASSES}\\{ext}\\OpenWithList\\a", default=quote("app.exe"))
        det(1, "[HKCR]\\%s ... fixed" % ext)
        det(1, "[HKLM]\\SOFTWARE\\Classes\\%s ... fixed" % ext)
        self.script += ["[-HKEY_CLASSES_ROOT\\%s]" % ext,
                        "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\%s]" % ext]
        # 2. Classes: gone in-process server, gone local server, moved server, unregistered
        # type library, and a class with both problems.
        for kind, sub in (("gone", "InprocServer32"), ("gonelocal", "LocalServer32")):
            g = self.guid()
            f = "%s%d.%s" % (kind, unit, "dll" if sub == "InprocServer32" else "exe")
            self.key(f"{CLASSES}\\CLSID\\{g}", default=quote("Gone class"))
            self.key(f"{CLASSES}\\CLSID\\{g}\\{sub}",
                     default=quote(PF_REG + "Kvx Removed\\" + f))
            det(2, "[HKCR]\\CLSID\\%s\\%s=%s ... fixed" % (g, sub, f.upper()))
            self.script.append("[-HKEY_CLASSES_ROOT\\CLSID\\%s\\%s]" % (g, sub))
        g = self.guid()
        f = "moved%d.dll" % unit
        folder_index = (len(self.win_files) * (2 * unit + 1)) // (2 * self.cfg["plant"] + 1)
        folder, files = self.win_files[folder_index]
        files[2] = f  # the only file of that name in either tree
        self.key(f"{CLASSES}\\CLSID\\{g}", default=quote("Moved class"))
        self.key(f"{CLASSES}\\CLSID\\{g}\\InprocServer32",
                 default=quote(PF_REG + "Kvx Old Place\\" + f))
        found_in = WINDOWS_DIR + folder + "\\"
        det(2, "[HKCR]\\CLSID\\%s\\InprocServer32=%s ... fixed" % (g, f.upper()))
        self.script += ["[HKEY_CLASSES_ROOT\\CLSID\\%s\\InprocServer32]" % g,
                        '@="%s%s"' % (found_in.replace("\\", "\\\\"), f.upper())]
        g, lib = self.guid(), self.guid()
        self.key(f"{CLASSES}\\CLSID\\{g}\\InprocServer32", default=quote(self.server()))
        self.key(f"{CLASSES}\\CLSID\\{g}\\TypeLib", default=quote(lib.lower()))
        det(2, "[HKCR]\\CLSID\\%s\\TypeLib=%s ... deleted" % (g, lib))
        self.script.append("[-HKEY_CLASSES_ROOT\\CLSID\\%s\\TypeLib]" % g)
        g, lib = self.guid(), self.guid()
        self.key(f"{CLASSES}\\CLSID\\{g}\\InprocServer32",
                 default=quote(PF_REG + "Kvx Removed\\both%d.dll" % unit))
        self.key(f"{CLASSES}\\CLSID\\{g}\\TypeLib", default=quote(lib))
        det(2, "[HKCR]\\CLSID\\%s\\InprocServer32=BOTH%d.DLL ... fixed" % (g, unit))
        det(2, "[HKCR]\\CLSID\\%s\\TypeLib=%s ... deleted" % (g, lib))
        self.script += ["[-HKEY_CLASSES_ROOT\\CLSID\\%s\\InprocServer32]" % g,
                        "[-HKEY_CLASSES_ROOT\\CLSID\\%s\\TypeLib]" % g]
        # Not a problem: the excluded type library keeps a class with a missing server.
        g = self.guid()
        self.key(f"{CLASSES}\\CLSID\\{g}\\InprocServer32",
                 default=quote(PF_REG + "Kvx Removed\\excluded%d.dll" % unit))
        self.key(f"{CLASSES}\\CLSID\\{g}\\TypeLib", default=quote(EXCLUDED_TYPELIB.lower()))
        # ProgIDs: unregistered class, missing icon, open and edit programs.
        name = "Kvx.Orphan%d" % unit
        self.key(f"{CLASSES}\\{name}\\CLSID", default=quote(self.guid()))
        self.key(f"{CLASSES}\\{name}\\DefaultIcon", default=quote("C:\\Gone\\x.dll,1"))
        det(2, "[HKCR]\\%s ... deleted" % name)
        self.script.append("[-HKEY_CLASSES_ROOT\\%s]" % name)
        name = "Kvx.Broken%d" % unit
        self.key(f"{CLASSES}\\{name}", default=quote("Broken document"))
        self.key(f"{CLASSES}\\{name}\\DefaultIcon",
                 default=quote(PF_REG + "Kvx Removed\\icons%d.dll,3" % unit))
        self.key(f"{CLASSES}\\{name}\\shell\\open\\command",
                 default=quote('"%sKvx Removed\\viewer%d.exe" "%%1"' % (PF_REG, unit)))
        self.key(f"{CLASSES}\\{name}\\shell\\edit\\command",
                 default=quote('"%sKvx Removed\\editor%d.exe" "%%1"' % (PF_REG, unit)))
        for sub, f in (("DefaultIcon", "ICONS%d.DLL"), ("shell\\open\\command", "VIEWER%d.EXE"),
                       ("shell\\edit\\command", "EDITOR%d.EXE")):
            det(2, "[HKCR]\\%s\\%s=%s ... deleted" % (name, sub, f % unit))
            self.script.append("[-HKEY_CLASSES_ROOT\\%s\\%s]" % (name, sub))
        # Not problems: commands through the DLL runner or Explorer are never tested.
        name = "Kvx.Runner%d" % unit
        self.key(f"{CLASSES}\\{name}\\shell\\open\\command",
                 default=quote(WINDOWS_DIR + "system32\\rundll32.exe C:\\Gone\\x%d.dll,Run"
                               % unit))
        self.key(f"{CLASSES}\\{name}\\shell\\edit\\command",
                 default=quote("C:\\Gone\\explorer%d.exe /e" % unit))
        # Interfaces: empty at every depth, unregistered type library, two missing proxies.
        g = self.guid()
        self.key(f"{CLASSES}\\Interface\\{g}\\ProxyStubClsid32")
        self.key(f"{CLASSES}\\Interface\\{g}\\NumMethods")
        det(2, "[HKCR]\\Interface\\%s ... deleted" % g)
        self.script.append("[-HKEY_CLASSES_ROOT\\Interface\\%s]" % g)
        g = self.guid()
        self.key(f"{CLASSES}\\Interface\\{g}", default=quote("IKvxLost%d" % unit))
        self.key(f"{CLASSES}\\Interface\\{g}\\TypeLib", default=quote(self.guid()))
        self.key(f"{CLASSES}\\Interface\\{g}\\ProxyStubClsid32", default=quote(self.guid()))
        det(2, "[HKCR]\\Interface\\%s ... deleted" % g)
        self.script.append("[-HKEY_CLASSES_ROOT\\Interface\\%s]" % g)
        g, s, s32 = self.guid(), self.guid(), self.guid()
        self.key(f"{CLASSES}\\Interface\\{g}", default=quote("IKvxProxy%d" % unit))
        self.key(f"{CLASSES}\\Interface\\{g}\\ProxyStubClsid", default=quote(s))
        self.key(f"{CLASSES}\\Interface\\{g}\\ProxyStubClsid32", default=quote(s32))
        for sub, c in (("ProxyStubClsid", s), ("ProxyStubClsid32", s32)):
            det(2, "[HKCR]\\Interface\\%s\\%s=%s ... deleted" % (g, sub, c))
            self.script.append("[-HKEY_CLASSES_ROOT\\Interface\\%s\\%s]" % (g, sub))
        # Type libraries: empty shell, and an empty help folder of the first version.
        g = self.guid()
        self.key(f"{CLASSES}\\TypeLib\\{g}\\1.0\\0\\win64")
        det(2, "[HKCR]\\Typelib\\%s ... deleted" % g)
        self.script.append("[-HKEY_CLASSES_ROOT\\Typelib\\%s]" % g)
        g = self.guid()
        self.key(f"{CLASSES}\\TypeLib\\{g}\\1.0", default=quote("Kvx Helpless Library"))
        self.key(f"{CLASSES}\\TypeLib\\{g}\\1.0\\HELPDIR", Other=quote("x"))
        det(2, "[HKCR]\\Typelib\\%s\\1.0\\HELPDIR ... deleted" % g)
        self.script.append("[-HKEY_CLASSES_ROOT\\Typelib\\%s\\1.0\\HELPDIR]" % g)
        # 3. Startup: a missing program in each Run key.
        for root, tag in (("HKEY_CURRENT_USER", "HKCU"), ("HKEY_LOCAL_MACHINE", "HKLM")):
            n = "KvxGone%d" % unit
            self.value(root + RUN, n, quote('"%sKvx Removed\\agent%d.exe" /min' % (PF_REG, unit)))
            det(3, "[%s]%s%s ... deleted" % (tag, RUN, n))
            self.script += ["[%s%s]" % (root, RUN), '"%s"=-' % n]
        # 4. Uninstall: no command at all, and (not a problem) a braced identifier.
        n = "KvxLeftover%d" % unit
        self.key("HKEY_LOCAL_MACHINE" + UNINSTALL + n, DisplayName=quote("Leftover %d" % unit))
        det(4, "[HKLM]%s%s ... deleted" % (UNINSTALL, n))
        self.script.append("[-HKEY_LOCAL_MACHINE%s%s]" % (UNINSTALL, n))
        self.key("HKEY_LOCAL_MACHINE" + UNINSTALL + self.guid(),
                 DisplayName=quote("Kvx Component %d" % unit))
        self.key("HKEY_LOCAL_MACHINE" + UNINSTALL + "KvxSystem%d" % unit,
                 SystemComponent=dword(1))
        self.plant_32bit(unit)
        self.plant_places(unit)
        # 5. History lists (every plain string goes, other types stay) and path-like values
        # naming missing files.
        for path, names in (
                ("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
                 ["a%d" % unit, "b%d" % unit]),
                ("\\SOFTWARE\\Microsoft\\Internet Explorer\\TypedURLs", ["url%d" % unit]),
                ("\\SOFTWARE\\WinRAR\\ArcHistory", [str(unit)])):
            for n in names:
                self.value("HKEY_CURRENT_USER" + path, n, quote("C:\\Kvx\\history%d.txt" % unit))
                det(5, "[HKCU]%s\\%s ... deleted" % (path, n))
            self.value("HKEY_CURRENT_USER" + path, "Count%d" % unit, dword(unit))
        base = "\\Software\\Kvx Vendor%04d\\Application %d\\" % (unit, unit)
        for n in ("LastFile", "Recent%d" % unit):
            self.value("HKEY_CURRENT_USER" + base.rstrip("\\"), n,
                       quote("C:\\users\\Public\\Documents\\kvxlost%d.txt" % unit))
            det(5, "[HKCU]%s%s ... deleted" % (base, n))
        self.value("HKEY_CURRENT_USER\\Software\\KvxMicrosoftTools", "Last",
                   quote("C:\\Kvx\\missing%d.txt" % unit))

    def plant_32bit(self, unit):
        """The 32-bit copies: a gone server, an empty interface, a gone Run program and an
        entry without a command; a server in syswow64 registered under its system32 path stays."""
        det = self.found
        g = self.guid()
        f = "kvxgone32_%d.dll" % unit
        self.key(f"{CLASSES32}\\CLSID\\{g}\\InprocServer32",
                 default=quote("%SystemRoot%\\System32\\" + f))
        det(2, "[HKCR 32-bit]\\CLSID\\%s\\InprocServer32=%s ... fixed" % (g, f.upper()))
        self.script.append("[-HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\%s\\InprocServer32]" % g)
        kept = "kvx32only%d.dll" % unit
        self.win_files.append(("syswow64", [kept]))
        self.key(f"{CLASSES32}\\CLSID\\{self.guid()}\\InprocServer32",
                 default=quote(WINDOWS_DIR + "system32\\" + kept))
        g = self.guid()
        self.key(f"{CLASSES32}\\Interface\\{g}\\ProxyStubClsid32")
        det(2, "[HKCR 32-bit]\\Interface\\%s ... deleted" % g)
        self.script.append("[-HKEY_CLASSES_ROOT\\Wow6432Node\\Interface\\%s]" % g)
        n = "KvxGone32_%d" % unit
        self.value("HKEY_LOCAL_MACHINE" + WOW + "Run\\", n,
                   quote('"%sKvx Removed\\agent32_%d.exe"' % (PF_REG, unit)))
        det(3, "[HKLM 32-bit]%s%s ... deleted" % (RUN, n))
        self.script += ["[HKEY_LOCAL_MACHINE%sRun\\]" % WOW, '"%s"=-' % n]
        n = "KvxLeftover32_%d" % unit
        self.key("HKEY_LOCAL_MACHINE" + WOW + "Uninstall\\" + n,
                 DisplayName=quote("Leftover 32-bit %d" % unit))
        det(4, "[HKLM 32-bit]%s%s ... deleted" % (UNINSTALL, n))
        self.script.append("[-HKEY_LOCAL_MACHINE%sUninstall\\%s]" % (WOW, n))

    def plant_places(self, unit):
        """Category 6 and the program-name cache: gone application paths of the machine (one
        key for both views) and of the user, a gone font of each list, gone help files of both views, a gone program's
        cached name; a font with its file and a 32-bit program's own Program Files stay."""
        det = self.found
        for root, tag in (("HKEY_LOCAL_MACHINE", "HKLM"), ("HKEY_CURRENT_USER", "HKCU")):
            n = "kvxgone%d_%s.exe" % (unit, tag[-2:].lower())
            self.key(root + APP_PATHS + n, default=quote('"%sKvx Removed\\%s" /x' % (PF_REG, n)))
            det(6, "[%s]%s%s ... deleted" % (tag, APP_PATHS, n))
            self.script.append("[-%s%s%s]" % (root, APP_PATHS, n))
        for root, tag, data in (("HKEY_LOCAL_MACHINE", "HKLM", "kvxgone%d.ttf" % unit),
                                ("HKEY_CURRENT_USER", "HKCU",
                                 "C:\\users\\Public\\kvxgone%d.ttf" % unit)):
            n = "Kvx Gone %d (TrueType)" % unit
            self.value(root + FONTS, n, quote(data))
            det(6, "[%s]%s\\%s ... deleted" % (tag, FONTS, n))
            self.script += ["[%s%s]" % (root, FONTS), '"%s"=-' % n]
        for path, tag, shown, n in (
                (HELP, "HKLM", HELP, "kvxgone%d.hlp" % unit),
                (HTML_HELP32, "HKLM 32-bit", "\\SOFTWARE\\Microsoft\\Windows\\HTML Help",
                 "kvxgone%d.chm" % unit)):
            self.value("HKEY_LOCAL_MACHINE" + path, n, quote(PF_REG + "Kvx Removed"))
            det(6, "[%s]%s\\%s ... deleted" % (tag, shown, n))
            self.script += ["[HKEY_LOCAL_MACHINE%s]" % path, '"%s"=-' % n]
        n = PF_REG + "Kvx Removed\\tool%d.exe.FriendlyAppName" % unit
        self.value("HKEY_CURRENT_USER" + MUI_CACHE, n, quote("Kvx Tool"))
        det(5, "[HKCU]%s\\%s ... deleted" % (MUI_CACHE, n))
        # A 32-bit program found in its own Program Files under the variable.
        self.pf_files.append(("..\\Program Files (x86)\\Kvx32", ["kvx32_%d.exe" % unit]))
        self.key("HKEY_LOCAL_MACHINE" + APP_PATHS + "kvx32_%d.exe" % unit,
                 default=quote("%%ProgramFiles%%\\Kvx32\\kvx32_%d.exe" % unit))

    def plant_flood(self, values, dead):
        """A history list grown by a program to many values (under the Microsoft branch, so
        the walk does not judge them a second time) and many leftover uninstall entries."""
        path = "\\SOFTWARE\\Microsoft\\Internet Explorer\\TypedURLs"
        for i in range(values):
            n = "kvxflood%06d" % i
            self.value("HKEY_CURRENT_USER" + path, n, quote("http://kvx.example/flood/%d" % i))
            self.found(5, "[HKCU]%s\\%s ... deleted" % (path, n))
        for i in range(dead):
            n = "KvxDead%05d" % i
            self.key("HKEY_LOCAL_MACHINE" + UNINSTALL + n, DisplayName=quote("Dead %d" % i))
            self.found(4, "[HKLM]%s%s ... deleted" % (UNINSTALL, n))
            self.script.append("[-HKEY_LOCAL_MACHINE%s%s]" % (UNINSTALL, n))
        if values or dead:
            self.cfg = dict(self.cfg, flood=values, dead_uninstall=dead)

    def write(self, outdir, prefix):
        os.makedirs(outdir, exist_ok=True)
        with open(os.path.join(outdir, "machine.reg"), "w", encoding="ascii",
                  newline="\r\n") as out:
            out.write("REGEDIT4\n\n")
            for path, values in self.keys.items():
                out.write("[%s]\n" % path)
                for name, data in values:
                    out.write("%s=%s\n" % (name, data))
                out.write("\n")
        with open(os.path.join(outdir, "answer-key.txt"), "w", encoding="ascii") as out:
            for category, line in self.details:
                out.write("detail %d %s\n" % (category, line))
            for line in self.script:
                out.write("script %s\n" % line)
        keys = sum(1 for _ in self.keys)
        files_win = sum(len(f) for _, f in self.win_files)
        files_pf = sum(len(f) for _, f in self.pf_files)
        with open(os.path.join(outdir, "machine.txt"), "w") as out:
            for name, count in self.cfg.items():
                out.write("%s %d\n" % (name, count))
            out.write("registry-keys-written %d\n" % keys)
            out.write("windows-folders %d windows-files %d\n" % (len(self.win_files), files_win))
            out.write("program-files-folders %d program-files-files %d\n"
                      % (len(self.pf_files), files_pf))
            out.write("planted-findings %d key-backups %d\n" % (
                len(self.details),
                len([d for d in self.details if d[0] in (1, 2, 4) or "App Paths" in d[1]])))
        drive = os.path.join(prefix, "drive_c")
        for top, folders in (("windows", self.win_files), ("Program Files", self.pf_files)):
            for folder, files in folders:
                where = os.path.join(drive, top, *folder.split("\\"))
                os.makedirs(where, exist_ok=True)
                for name in files:
                    open(os.path.join(where, name), "wb").close()


def dword(n):
    return "dword:%08x" % n


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("size", choices=sorted(SIZES))
    parser.add_argument("prefix")
    parser.add_argument("outdir")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--flood", type=int, default=0,
                        help="history values in one key, all found and deleted")
    parser.add_argument("--dead-uninstall", type=int, default=0,
                        help="uninstall entries without a command, all found and deleted")
    args = parser.parse_args()
    machine = Machine(args.size, args.seed)
    machine.build_files()
    machine.build_sound()
    machine.complete_prefix(args.prefix)
    for unit in range(machine.cfg["plant"]):
        machine.plant(unit)
    machine.plant_flood(args.flood, args.dead_uninstall)
    machine.write(args.outdir, args.prefix)
    return 0


if __name__ == "__main__":
    sys.exit(main())

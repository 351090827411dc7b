#!/usr/bin/python3
"""Reads and saves the workbook part of every package in a folder with the binding and checks the
saved part against tools nobody here wrote:

    check_workbook_roundtrip.py ROUNDTRIP FOLDER

ROUNDTRIP is the binding's round-trip program (in.xml out.xml). For each FOLDER/*.xlsx:
  - xmllint --noout accepts the saved part;
  - the saved part equals the original under exclusive C14N after the normalisation below;
  - the saved part, put back into a copy of the package, is read by openpyxl with the same sheet
    list and states, defined names (text, scope, hidden), workbook protection and calculation mode;
  - LibreOffice, when installed, converts each such package to .ods.

Normalisation, applied to both sides alike (what the binding may legitimately write otherwise):
  - blank text between elements is dropped;
  - boolean values "true"/"false" become "1"/"0";
  - attributes holding their schema default are removed (DEFAULTS);
  - the content of an "ext" element is dropped (the binding keeps its "uri" only);
  - an element of LEAVES left with neither attributes nor content is removed (the binding writes
    such an element only when something in it is set).
"""
import io
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

import openpyxl
from lxml import etree

MAIN = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"

DEFAULTS = {
    "workbookPr": {"date1904": "0", "showObjects": "all", "showBorderUnselectedTables": "1",
                   "filterPrivacy": "0", "promptedSolutions": "0", "showInkAnnotation": "1",
                   "backupFile": "0", "saveExternalLinkValues": "1", "updateLinks": "userSet",
                   "hidePivotFieldList": "0", "showPivotChartFilter": "0", "allowRefreshQuery": "0",
                   "publishItems": "0", "checkCompatibility": "0", "autoCompressPictures": "1",
                   "refreshAllConnections": "0"},
    "fileSharing": {"readOnlyRecommended": "0"},
    "workbookProtection": {"lockStructure": "0", "lockWindows": "0", "lockRevision": "0"},
    "workbookView": {"visibility": "visible", "minimized": "0", "showHorizontalScroll": "1",
                     "showVerticalScroll": "1", "showSheetTabs": "1", "tabRatio": "600", "firstSheet": "0",
                     "activeTab": "0", "autoFilterDateGrouping": "1"},
    "sheet": {"state": "visible"},
    "definedName": {"hidden": "0", "function": "0", "vbProcedure": "0", "xlm": "0", "publishToServer": "0",
                    "workbookParameter": "0"},
    "calcPr": {"calcMode": "auto", "fullCalcOnLoad": "0", "refMode": "A1", "iterate": "0",
               "iterateCount": "100", "fullPrecision": "1", "calcCompleted": "1", "calcOnSave": "1",
               "concurrentCalc": "1", "forceFullCalc": "0"},
    "webPublishing": {"css": "1", "thicket": "1", "longFileNames": "1", "vml": "0", "allowPng": "0",
                      "targetScreenSize": "800x600", "dpi": "96"},
}
LEAVES = {"fileVersion", "fileSharing", "workbookPr", "workbookProtection", "calcPr", "oleSize", "smartTagPr",
          "webPublishing"}


def normalised(data):
    root = etree.parse(io.BytesIO(data), etree.XMLParser(remove_blank_text=True)).getroot()
    for element in list(root.iter()):
        if not isinstance(element.tag, str):
            continue
        local = etree.QName(element).localname
        defaults = DEFAULTS.get(local, {})
        for name, value in list(element.attrib.items()):
            value = {"true": "1", "false": "0"}.get(value, value)
            element.set(name, value)
            if defaults.get(name) == value:
                del element.attrib[name]
        if local == "ext":
            for child in list(element):
                element.remove(child)
    for element in list(root):
        if etree.QName(element).localname in LEAVES and not element.attrib and len(element) == 0:
            root.remove(element)
    return etree.tostring(root, method="c14n", exclusive=True)


def book_facts(path):
    book = openpyxl.load_workbook(path)
    names = sorted((n.name, n.attr_text, n.localSheetId, bool(n.hidden)) for n in book.defined_names.definedName)
    for sheet in book.worksheets:
        # openpyxl moves print areas and titles of sheet-local names onto the sheets.
        names.append((sheet.title, "print", str(sheet.print_area), str(sheet.print_title_rows)))
    security = book.security
    protection = None if security is None else (security.workbookPassword, security.lockStructure,
                                                 security.workbookHashValue, security.workbookSpinCount)
    # An empty workbookProtection element protects nothing; the binding does not write it.
    if protection == (None, None, None, None):
        protection = None
    return {
        "sheets": [(s.title, s.sheet_state) for s in book.worksheets],
        "names": names,
        "protection": protection,
        "calcMode": book.calculation.calcMode if book.calculation is not None else None,
        "views": [(v.activeTab, v.xWindow, v.windowWidth, v.showSheetTabs) for v in book.views],
    }


def replaced(package, part, path):
    with zipfile.ZipFile(package) as source, zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as target:
        for item in source.infolist():
            target.writestr(item, part if item.filename == "xl/workbook.xml" else source.read(item.filename))


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    roundtrip, folder = argv[1], argv[2]
    failures = []
    with tempfile.TemporaryDirectory() as tmp:
        resaved = []
        for name in sorted(os.listdir(folder)):
            if not name.endswith(".xlsx"):
                continue
            package = os.path.join(folder, name)
            with zipfile.ZipFile(package) as z:
                original = z.read("xl/workbook.xml")
            source = os.path.join(tmp, name + ".in.xml")
            saved = os.path.join(tmp, name + ".out.xml")
            with open(source, "wb") as f:
                f.write(original)
            subprocess.run([roundtrip, source, saved], check=True)
            with open(saved, "rb") as f:
                written = f.read()
            lint = subprocess.run(["xmllint", "--noout", saved], capture_output=True, text=True)
            if lint.returncode != 0:
                failures.append("%s: xmllint: %s" % (name, lint.stderr.strip()))
            if normalised(original) != normalised(written):
                failures.append("%s: differs under C14N\n  original: %s\n  saved:    %s"
                                % (name, normalised(original).decode(), normalised(written).decode()))
            copy = os.path.join(tmp, "resaved-" + name)
            replaced(package, written, copy)
            resaved.append(copy)
            before, after = book_facts(package), book_facts(copy)
            if before != after:
                failures.append("%s: openpyxl reads\n  %s\nfrom the original and\n  %s\nafter saving"
                                % (name, before, after))
        if shutil.which("soffice"):
            out = os.path.join(tmp, "ods")
            subprocess.run(["soffice", "-env:UserInstallation=file://" + tmp + "/profile", "--headless",
                            "--convert-to", "ods", "--outdir", out] + resaved,
                           check=True, capture_output=True, timeout=600)
            for copy in resaved:
                made = os.path.join(out, os.path.basename(copy)[:-5] + ".ods")
                if not os.path.exists(made) or os.path.getsize(made) == 0:
                    failures.append("%s: LibreOffice did not convert it to .ods" % os.path.basename(copy))
        else:
            print("LibreOffice is not installed: the .ods conversion is skipped")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

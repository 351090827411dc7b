#!/usr/bin/python3
"""Makes the .xlsx packages whose workbook parts the binding's outside checks read, with
producers other than ours: openpyxl and libxlsxwriter directly, LibreOffice and gnumeric from the
openpyxl package. Each holds several sheets with states, global, sheet-local and hidden defined
names, several book views and calculation settings; openpyxl's and LibreOffice's also a protected
workbook with a password.

    gen_workbook_parts.py OUTDIR           writes OUTDIR/<producer>.xlsx
    gen_workbook_parts.py --check OUTDIR   makes them again in a temporary folder and checks that
                                           every workbook part equals the committed one under C14N
                                           (producers missing here are skipped and named)
"""
import base64
import hashlib
import io
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

import openpyxl
from lxml import etree
from openpyxl.workbook.defined_name import DefinedName
from openpyxl.workbook.properties import CalcProperties
from openpyxl.workbook.protection import WorkbookProtection
from openpyxl.workbook.views import BookView

PASSWORD = "温度2026"


def sha512_hash(password, salt, spin):
    """The iterated password hash of the later protection attributes."""
    digest = hashlib.sha512(salt + password.encode("utf-16-le")).digest()
    for i in range(spin):
        digest = hashlib.sha512(digest + i.to_bytes(4, "little")).digest()
    return base64.b64encode(digest).decode("ascii")


def make_openpyxl(path):
    book = openpyxl.Workbook()
    data = book.active
    data.title = "数据"
    data["A1"] = 21.5
    data["A2"] = 63
    book.create_sheet("Hidden").sheet_state = "hidden"
    book.create_sheet("VeryHidden").sheet_state = "veryHidden"
    book.create_sheet("Last")["B2"] = "x"
    book.defined_names.append(DefinedName("Rate", attr_text="'数据'!$A$1", comment="the rate"))
    book.defined_names.append(DefinedName("Local0", localSheetId=0, attr_text="'数据'!$A$2"))
    book.defined_names.append(DefinedName("Local3", localSheetId=3, attr_text="Last!$B$2"))
    book.defined_names.append(DefinedName("Secret", hidden=True, attr_text="Hidden!$A$1:$C$3"))
    book.defined_names.append(DefinedName("_xlnm.Print_Area", localSheetId=0, attr_text="'数据'!$A$1:$D$20"))
    book.views = [
        BookView(xWindow=0, yWindow=0, windowWidth=16000, windowHeight=9000, tabRatio=750, activeTab=3),
        BookView(xWindow=240, yWindow=120, windowWidth=8000, windowHeight=6000, firstSheet=0,
                 showSheetTabs=False),
    ]
    book.calculation = CalcProperties(calcId=191029, calcMode="manual", iterate=True, iterateCount=50,
                                      iterateDelta=0.01, fullCalcOnLoad=False)
    salt = bytes(range(16))
    book.security = WorkbookProtection(
        workbookPassword=PASSWORD, lockStructure=True, lockWindows=True,
        workbookAlgorithmName="SHA-512", workbookSaltValue=base64.b64encode(salt).decode("ascii"),
        workbookSpinCount=100000, workbookHashValue=sha512_hash(PASSWORD, salt, 100000))
    book.save(path)


LIBXLSXWRITER = r"""
#include <xlsxwriter.h>
int main(int argc, char** argv) {
    (void)argc;
    lxw_workbook* book = workbook_new(argv[1]);
    lxw_worksheet* first = workbook_add_worksheet(book, "Messwerte");
    lxw_worksheet* second = workbook_add_worksheet(book, "Archiv");
    lxw_worksheet* third = workbook_add_worksheet(book, "Leer");
    worksheet_write_number(first, 0, 0, 25.25, NULL);
    worksheet_write_string(second, 1, 1, "\xe6\xb9\xbf\xe5\xba\xa6", NULL);
    worksheet_hide(second);
    worksheet_activate(third);
    worksheet_set_first_sheet(first);
    worksheet_print_area(first, 0, 0, 9, 3);
    worksheet_repeat_rows(third, 0, 1);
    worksheet_autofilter(first, 0, 0, 5, 2);
    workbook_define_name(book, "Limit", "=Messwerte!$A$1");
    workbook_define_name(book, "Messwerte!Local", "=Messwerte!$A$1:$B$2");
    workbook_define_name(book, "Archiv!Other", "=Archiv!$B$2");
    workbook_define_name(book, "Const", "=0.5");
    workbook_read_only_recommended(book);
    return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}
"""


def make_libxlsxwriter(path):
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "make.c")
        program = os.path.join(tmp, "make")
        with open(source, "w", encoding="utf-8") as f:
            f.write(LIBXLSXWRITER)
        subprocess.run(["cc", "-o", program, source, "-lxlsxwriter"], check=True)
        subprocess.run([program, path], check=True)


def convert(tool, source, path):
    """Reads the openpyxl package with an office program and lets it write its own."""
    with tempfile.TemporaryDirectory() as tmp:
        if tool == "libreoffice":
            subprocess.run(["soffice", "-env:UserInstallation=file://" + tmp + "/profile", "--headless",
                            "--convert-to", "xlsx:Calc MS Excel 2007 XML", "--outdir", tmp + "/out", source],
                           check=True, capture_output=True, timeout=300)
            made = os.path.join(tmp, "out", os.path.basename(source))
        else:
            made = os.path.join(tmp, "out.xlsx")
            subprocess.run(["ssconvert", "-T", "Gnumeric_Excel:xlsx2", source, made], check=True,
                           capture_output=True, timeout=300)
        shutil.copyfile(made, path)


PRODUCERS = {
    "openpyxl": (None, make_openpyxl),
    "libxlsxwriter": ("cc", make_libxlsxwriter),
    "libreoffice": ("soffice", None),
    "gnumeric": ("ssconvert", None),
}


def make_all(outdir):
    """Makes every package whose producer is installed; returns the names of the others."""
    os.makedirs(outdir, exist_ok=True)
    missing = []
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "openpyxl.xlsx")
        make_openpyxl(source)
        for name, (tool, make) in PRODUCERS.items():
            if tool and shutil.which(tool) is None:
                missing.append(name)
                continue
            path = os.path.join(outdir, name + ".xlsx")
            if make is not None:
                make(path)
            else:
                convert(name, source, path)
    return missing


def workbook_part(path):
    with zipfile.ZipFile(path) as package:
        data = package.read("xl/workbook.xml")
    return etree.tostring(etree.parse(io.BytesIO(data)), method="c14n")


def main(argv):
    if len(argv) == 2:
        missing = make_all(argv[1])
        if missing:
            sys.exit("not installed: " + ", ".join(missing))
        return 0
    if len(argv) != 3 or argv[1] != "--check":
        sys.exit(__doc__)
    committed = argv[2]
    with tempfile.TemporaryDirectory() as tmp:
        missing = make_all(tmp)
        failed = []
        for name in PRODUCERS:
            if name in missing:
                continue
            if workbook_part(os.path.join(tmp, name + ".xlsx")) != workbook_part(os.path.join(committed, name + ".xlsx")):
                failed.append(name)
    if missing:
        print("skipped, not installed: " + ", ".join(missing))
    if failed:
        sys.exit("workbook part differs from the committed one: " + ", ".join(failed))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

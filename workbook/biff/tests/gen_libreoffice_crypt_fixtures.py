#!/usr/bin/python3
"""Makes two .xls fixtures with LibreOffice through UNO: a workbook saved with the password
"ombrix-lo" (libreoffice_password.xls) and one with a Basic module (libreoffice_macros.xls).

Usage: gen_libreoffice_crypt_fixtures.py OUTDIR
"""
import os
import subprocess
import sys
import tempfile
import time

import uno
from com.sun.star.beans import PropertyValue

PASSWORD = "ombrix-lo"
MACRO = 'Sub Greet\n    MsgBox "from the fixture"\nEnd Sub\n'


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def connect(pipe):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
    for _ in range(120):
        try:
            return resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
        except Exception:
            time.sleep(0.5)
    raise RuntimeError("LibreOffice did not answer")


def fill(doc):
    sheet = doc.Sheets.getByIndex(0)
    sheet.getCellByPosition(0, 0).setString("Temperatur")
    sheet.getCellByPosition(1, 0).setValue(21.5)
    for row in range(1, 200):
        sheet.getCellByPosition(0, row).setString("Zeile %d" % row)
        sheet.getCellByPosition(1, row).setValue(row * 0.5)


def main(outdir):
    outdir = os.path.abspath(outdir)
    with tempfile.TemporaryDirectory() as profile:
        pipe = "ombrix_crypt_%d" % os.getpid()
        office = subprocess.Popen(["soffice", "-env:UserInstallation=file://" + profile, "--headless", "--norestore",
                                   "--accept=pipe,name=%s;urp;" % pipe])
        try:
            ctx = connect(pipe)
            desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
            doc = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (prop("Hidden", True),))
            fill(doc)
            doc.storeToURL(uno.systemPathToFileUrl(os.path.join(outdir, "libreoffice_password.xls")),
                           (prop("FilterName", "MS Excel 97"), prop("Password", PASSWORD)))
            libraries = doc.BasicLibraries
            if not libraries.hasByName("Standard"):
                libraries.createLibrary("Standard")
            libraries.getByName("Standard").insertByName("Module1", MACRO)
            doc.storeToURL(uno.systemPathToFileUrl(os.path.join(outdir, "libreoffice_macros.xls")),
                           (prop("FilterName", "MS Excel 97"),))
            doc.close(True)
            try:
                desktop.terminate()
            except Exception:
                pass
        finally:
            try:
                office.wait(timeout=30)
            except subprocess.TimeoutExpired:
                office.kill()


if __name__ == "__main__":
    main(sys.argv[1])

#!/usr/bin/python3
"""Seed corpora for the workbook fuzzers, made by programs nobody here wrote.

ZIP seeds (workbook/ooxml/fuzz/zip_corpus): Python's zipfile (stored, deflated, data
descriptors, empty and folder entries, UTF-8 names, ZIP64), openpyxl and LibreOffice
packages, and hostile shapes built from zipfile output (a deflate bomb, central records that
share or misname one local entry, a size that lies).
Compound-file seeds (platform/fuzz/compound_file_corpus, also the BIFF fuzzer's): xlwt and
LibreOffice workbooks, and a file of storages and streams made by the npm cfb package.

    make_seeds.py            writes the seeds
    make_seeds.py --check    makes them again in a temporary folder and fails unless every
                             committed seed is there and the reproducible ones are unchanged

The npm cfb package is found through CFB_MODULE (its folder); LibreOffice through soffice on
PATH. Without either, their seeds are left as committed (and --check says so).
"""
import io
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
ZIP_DIR = os.path.join(ROOT, "workbook", "ooxml", "fuzz", "zip_corpus")
CFB_DIR = os.path.join(ROOT, "platform", "fuzz", "compound_file_corpus")
STAMP = (2026, 1, 2, 3, 4, 6)
SHEET = b'<?xml version="1.0"?><worksheet><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c>' \
        b'<c r="B1"><v>21.5</v></c></row></sheetData></worksheet>'

# Seeds that another run of the same producer makes byte for byte again.
REPRODUCIBLE = set()


def entry(name, method=zipfile.ZIP_DEFLATED):
    info = zipfile.ZipInfo(name, STAMP)
    info.compress_type = method
    info.external_attr = 0o644 << 16
    return info


def plain_zip(method, comment=b""):
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        z.comment = comment
        z.writestr(entry("[Content_Types].xml", method), b'<?xml version="1.0"?><Types/>')
        z.writestr(entry("xl/worksheets/sheet1.xml", method), SHEET * 20)
        z.writestr(entry("xl/media/noise.bin", method), bytes((i * 131 + i // 7) & 0xFF for i in range(3000)))
    return out.getvalue()


class Unseekable(io.RawIOBase):
    """A write-only stream: zipfile must put sizes and CRC in data descriptors after the data."""

    def __init__(self):
        self.data = bytearray()

    def writable(self):
        return True

    def write(self, b):
        self.data += b
        return len(b)


def descriptor_zip():
    sink = Unseekable()
    with zipfile.ZipFile(sink, "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in (("xl/workbook.xml", b"<workbook/>" * 10), ("xl/worksheets/sheet1.xml", SHEET)):
            with z.open(entry(name), "w") as f:
                f.write(data)
    return bytes(sink.data)


def odd_entries_zip():
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        z.writestr(entry("xl/", zipfile.ZIP_STORED), b"")
        z.writestr(entry("xl/empty.xml"), b"")
        z.writestr(entry("数据/表一.xml"), "<a>温度</a>".encode("utf-8"))
    return out.getvalue()


def zip64_zip():
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        with z.open(entry("xl/worksheets/sheet1.xml"), "w", force_zip64=True) as f:
            f.write(SHEET)
    return out.getvalue()


def bomb_zip():
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as z:
        info = entry("xl/worksheets/sheet1.xml")
        z.writestr(info, bytes(16 << 20), compresslevel=9)
    return out.getvalue()


def directory_of(data):
    """(offset of the central directory, its records as (fixed, name, extra, comment), end record)."""
    end = data.rindex(b"PK\x05\x06")
    count, size, offset = struct.unpack_from("<HII", data, end + 10)
    records, at = [], offset
    for _ in range(count):
        fixed = bytearray(data[at:at + 46])
        n, e, c = struct.unpack_from("<HHH", fixed, 28)
        records.append([fixed, data[at + 46:at + 46 + n], data[at + 46 + n:at + 46 + n + e],
                        data[at + 46 + n + e:at + 46 + n + e + c]])
        at += 46 + n + e + c
    return offset, records, bytearray(data[end:])


def with_directory(data, offset, records, end):
    body = bytearray(data[:offset])
    for fixed, name, extra, comment in records:
        struct.pack_into("<HHH", fixed, 28, len(name), len(extra), len(comment))
        body += fixed + name + extra + comment
    struct.pack_into("<HHII", end, 8, len(records), len(records), len(body) - offset, offset)
    return bytes(body + end)


def overlap_zip():
    data = plain_zip(zipfile.ZIP_DEFLATED)
    offset, records, end = directory_of(data)
    copies = [[bytearray(records[1][0]), records[1][1], records[1][2], records[1][3]] for _ in range(8)]
    return with_directory(data, offset, copies, end)


def misnamed_zip():
    data = plain_zip(zipfile.ZIP_STORED)
    offset, records, end = directory_of(data)
    records[1][1] = b"xl/worksheets/sheet9.xml"
    return with_directory(data, offset, records, end)


def lying_size_zip():
    data = plain_zip(zipfile.ZIP_DEFLATED)
    offset, records, end = directory_of(data)
    struct.pack_into("<I", records[1][0], 24, 300 << 20)
    return with_directory(data, offset, records, end)


def openpyxl_xlsx():
    import openpyxl
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "记录"
    sheet.append(["No.", "温度", "湿度", "时间"])
    for row in range(1, 30):
        sheet.append([row, 20 + row / 10, 40 + row / 3, "2026-12-%02d 08:00:00" % (1 + row % 28)])
    out = io.BytesIO()
    book.save(out)
    return out.getvalue()


def xlwt_xls():
    import xlwt
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet("记录")
    sheet.write(0, 0, "No.")
    sheet.write(0, 1, "温度")
    for row in range(1, 40):
        sheet.write(row, 0, row)
        sheet.write(row, 1, 20 + row / 10)
        sheet.write(row, 2, "text %d" % row)
    # Strings long enough that the shared-string table goes on in CONTINUE records, one of
    # them changing width across the boundary.
    sheet.write(41, 0, "x" * 9000)
    sheet.write(42, 0, "y" * 8000 + "中文" * 600)
    out = io.BytesIO()
    book.save(out)
    return out.getvalue()


CFB_SCRIPT = r"""
const CFB = require(process.argv[1]);
const cfb = CFB.utils.cfb_new();
const bytes = (n, k) => Buffer.from(Array.from({length: n}, (_, i) => (i * k + 7) & 0xFF));
CFB.utils.cfb_add(cfb, "/Workbook", bytes(6000, 13));
CFB.utils.cfb_add(cfb, "/\u0005SummaryInformation", bytes(200, 3));
CFB.utils.cfb_add(cfb, "/_VBA_PROJECT_CUR/VBA/dir", bytes(90, 5));
CFB.utils.cfb_add(cfb, "/_VBA_PROJECT_CUR/VBA/Module1", bytes(5000, 11));
CFB.utils.cfb_add(cfb, "/Small", bytes(64, 17));
CFB.utils.cfb_add(cfb, "/Empty", Buffer.alloc(0));
process.stdout.write(CFB.write(cfb, {type: "buffer"}));
"""


def cfb_file(module):
    return subprocess.run(["node", "-e", CFB_SCRIPT, module], check=True, capture_output=True).stdout


def libreoffice_files(folder):
    """The openpyxl workbook converted by LibreOffice to .xls and .xlsx."""
    source = os.path.join(folder, "source.xlsx")
    with open(source, "wb") as f:
        f.write(openpyxl_xlsx())
    made = {}
    for target, name in (("xls", "libreoffice.xls"), ("xlsx", "libreoffice.xlsx")):
        out = os.path.join(folder, target)
        subprocess.run(["soffice", "--headless", "-env:UserInstallation=file://" + os.path.join(folder, "profile"),
                        "--convert-to", target, "--outdir", out, source], check=True, capture_output=True, timeout=300)
        with open(os.path.join(out, "source." + target), "rb") as f:
            made[name] = f.read()
    return made


def make_all(folder):
    """Writes every seed into folder/zip and folder/cfb; returns what could not be made."""
    skipped = []
    zips = {
        "python-stored.zip": plain_zip(zipfile.ZIP_STORED, b"seed archive"),
        "python-deflated.zip": plain_zip(zipfile.ZIP_DEFLATED),
        "python-descriptors.zip": descriptor_zip(),
        "python-odd-entries.zip": odd_entries_zip(),
        "python-zip64.zip": zip64_zip(),
        "hostile-bomb.zip": bomb_zip(),
        "hostile-overlap.zip": overlap_zip(),
        "hostile-misnamed.zip": misnamed_zip(),
        "hostile-lying-size.zip": lying_size_zip(),
    }
    REPRODUCIBLE.update(zips)
    zips["openpyxl.xlsx"] = openpyxl_xlsx()
    cfbs = {"xlwt.xls": xlwt_xls()}
    REPRODUCIBLE.add("xlwt.xls")
    module = os.environ.get("CFB_MODULE", "")
    if module:
        cfbs["npm-cfb.cfb"] = cfb_file(module)
        REPRODUCIBLE.add("npm-cfb.cfb")
    else:
        skipped.append("npm-cfb.cfb (CFB_MODULE not set)")
    if shutil.which("soffice"):
        made = libreoffice_files(folder)
        cfbs["libreoffice.xls"] = made["libreoffice.xls"]
        zips["libreoffice.xlsx"] = made["libreoffice.xlsx"]
    else:
        skipped.append("libreoffice.xls, libreoffice.xlsx (soffice not installed)")
    for sub, files in (("zip", zips), ("cfb", cfbs)):
        os.makedirs(os.path.join(folder, sub), exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, sub, name), "wb") as f:
                f.write(data)
    return skipped


def main():
    check = "--check" in sys.argv[1:]
    with tempfile.TemporaryDirectory() as folder:
        skipped = make_all(folder)
        failures = []
        for sub, target in (("zip", ZIP_DIR), ("cfb", CFB_DIR)):
            for name in sorted(os.listdir(os.path.join(folder, sub))):
                with open(os.path.join(folder, sub, name), "rb") as f:
                    data = f.read()
                committed = os.path.join(target, name)
                if not check:
                    os.makedirs(target, exist_ok=True)
                    with open(committed, "wb") as f:
                        f.write(data)
                elif not os.path.exists(committed):
                    failures.append("missing: " + committed)
                elif name in REPRODUCIBLE and open(committed, "rb").read() != data:
                    failures.append("changed: " + committed)
        for what in skipped:
            print("not made: " + what)
        for failure in failures:
            print(failure)
        return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

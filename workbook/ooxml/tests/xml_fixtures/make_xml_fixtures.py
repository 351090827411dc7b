#!/usr/bin/python3
"""Packages made by programs nobody here wrote, for the XML reader's outside checks, and the
lxml event dump they are compared with.

  make_xml_fixtures.py              writes openpyxl.xlsx, libreoffice.xlsx and (where gnumeric's
                                    ssconvert is installed) gnumeric.xlsx next to this script
  make_xml_fixtures.py --check      makes them again in a temporary folder and checks that every
                                    part (apart from the dated document properties) reads the same
                                    under lxml as the committed ones, but for what the machine's
                                    fonts decide (font names, column widths, the header's font):
                                    the tests compare our reader's events with lxml's on the
                                    committed files, so only the parts' structure and texts matter
  make_xml_fixtures.py --dump X     prints the lxml event dump of every XML part of package X
  make_xml_fixtures.py --dump-xml F [F ...]   the same for XML files
  make_xml_fixtures.py --same-c14n A B [A B ...]
                                    succeeds when each pair of XML files is equal under
                                    canonical XML without comments and processing instructions

The dump walks each part's tree: "S qname", one "A name=value" per attribute (namespace
declarations included, in document order), "T text" when the element has text before its first
child, then the children, "E qname", and "L tail" for text after the element (not after the
document element). Names keep the prefixes of the file; texts are escaped with \\\\, \\n, \\r, \\t.
"""
import csv
import datetime
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

from lxml import etree

HERE = os.path.dirname(os.path.abspath(__file__))
VOLATILE = {"docProps/core.xml", "docProps/app.xml", "docProps/custom.xml"}


def escape(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n").replace("\r", "\\r").replace("\t", "\\t")


def qualified(name, prefixes):
    if not name.startswith("{"):
        return name
    uri, local = name[1:].split("}", 1)
    if uri == "http://www.w3.org/XML/1998/namespace":
        return "xml:" + local
    prefix = prefixes.get(uri)
    return prefix + ":" + local if prefix else local


def dump_element(element, lines, depth, declarations):
    prefixes = {uri: prefix for prefix, uri in element.nsmap.items()}
    lines.append("S " + qualified(element.tag, prefixes))
    for prefix, uri in declarations.get(element, []):
        lines.append("A " + ("xmlns:" + prefix if prefix else "xmlns") + "=" + escape(uri))
    for name, value in element.attrib.items():
        lines.append("A " + qualified(name, prefixes) + "=" + escape(value))
    if element.text:
        lines.append("T " + escape(element.text))
    for child in element:
        if isinstance(child.tag, str):
            dump_element(child, lines, depth + 1, declarations)
        elif child.tail:  # comments and instructions leave only the text after them
            lines.append("T " + escape(child.tail))
    lines.append("E " + qualified(element.tag, prefixes))
    if depth > 1 and element.tail:
        lines.append("L " + escape(element.tail))


def dump_part(data):
    # Namespace declarations in document order, per element, from the start-ns events.
    declarations = {}
    pending = []
    for event, item in etree.iterparse(__import__("io").BytesIO(data), events=("start-ns", "start")):
        if event == "start-ns":
            pending.append(item)
        else:
            declarations[item] = pending
            pending = []
            root = item
    while root.getparent() is not None:
        root = root.getparent()
    lines = []
    dump_element(root, lines, 1, declarations)
    return "\n".join(lines)


def xml_parts(package):
    with zipfile.ZipFile(package) as z:
        for name in z.namelist():
            if name.endswith(".xml") or name.endswith(".rels") or name.endswith(".vml"):
                yield name, z.read(name)


def dump_package(package):
    out = []
    for name, data in xml_parts(package):
        out.append("== " + name)
        out.append(dump_part(data))
    return "\n".join(out) + "\n"


def make_openpyxl(target):
    from openpyxl import Workbook
    from openpyxl.comments import Comment
    from openpyxl.worksheet.datavalidation import DataValidation
    from openpyxl.workbook.defined_name import DefinedName
    from openpyxl.chart import BarChart, Reference

    wb = Workbook()
    ws = wb.active
    ws.title = "数据"
    ws["A1"] = "温度 (°C)"
    ws["B1"] = "a<b & \"c\" 'd'"
    ws["C1"] = "  leading and trailing  "
    ws["D1"] = "two\nlines"
    ws["E1"] = "\u4e3b\u4e3b"
    for row in range(2, 30):
        ws.cell(row=row, column=1, value=row * 1.5)
        ws.cell(row=row, column=2, value=row)
        ws.cell(row=row, column=3, value="=A%d*2" % row)
    ws["A1"].comment = Comment("备注 <note> & more", "作者")
    ws.merge_cells("F1:G2")
    ws["H1"].hyperlink = "https://example.com/a?b=1&c=2"
    validation = DataValidation(type="list", formula1='"是,否"', allow_blank=True)
    ws.add_data_validation(validation)
    validation.add("I1:I10")
    wb.defined_names.append(DefinedName("范围", attr_text="'数据'!$A$1:$B$5"))
    chart = BarChart()
    chart.add_data(Reference(ws, min_col=1, min_row=2, max_row=10))
    ws.add_chart(chart, "K2")
    second = wb.create_sheet("Other")
    second.append(["x", 1, True, datetime.datetime(2024, 3, 5, 7, 8, 9)])
    wb.properties.created = wb.properties.modified = datetime.datetime(2024, 1, 1)
    wb.save(target)


def make_libreoffice(target, work):
    source = os.path.join(work, "libreoffice.csv")
    with open(source, "w", newline="", encoding="utf-8") as f:
        w = csv.writer(f)
        w.writerow(["名称", "值", "备注"])
        w.writerow(["温度", "21.5", 'a<b & "c"'])
        w.writerow(["湿度", "45", "  spaced  "])
        w.writerow(["日期", "2024-03-05", "line\nbreak"])
        for i in range(20):
            w.writerow(["row%d" % i, str(i * 0.25), "=B%d*2" % (i + 5)])
    profile = "file://" + os.path.join(work, "profile")
    made = os.path.join(work, "libreoffice.xlsx")
    run = subprocess.run(["soffice", "-env:UserInstallation=" + profile, "--headless", "--convert-to", "xlsx",
                          "--infilter=CSV:44,34,76", "--outdir", work, source],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    # soffice can exit 0 without writing anything: the file it made is the proof that it ran.
    if run.returncode != 0 or not os.path.exists(made) or os.path.getsize(made) == 0:
        sys.exit("LibreOffice did not convert the CSV file (is libreoffice-calc installed?):\n" +
                 run.stdout.decode("utf-8", "replace"))
    shutil.move(made, target)


def make_gnumeric(target, source):
    # gnumeric reads openpyxl's package (comments, hyperlinks, a chart) and writes its own.
    run = subprocess.run(["ssconvert", source, target], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         timeout=300)
    if run.returncode != 0 or not os.path.exists(target) or os.path.getsize(target) == 0:
        sys.exit("gnumeric did not convert openpyxl.xlsx:\n" + run.stdout.decode("utf-8", "replace"))


def made_names():
    names = ["openpyxl.xlsx", "libreoffice.xlsx"]
    if shutil.which("ssconvert"):
        names.append("gnumeric.xlsx")
    return names


def make(folder, work):
    make_openpyxl(os.path.join(folder, "openpyxl.xlsx"))
    make_libreoffice(os.path.join(folder, "libreoffice.xlsx"), work)
    if "gnumeric.xlsx" in made_names():
        make_gnumeric(os.path.join(folder, "gnumeric.xlsx"), os.path.join(folder, "openpyxl.xlsx"))


FONT_DEPENDENT = re.compile(r"^A (width|defaultColWidth)=")
HEADER_FONT = re.compile(r'&"[^"]*"')


def font_free(dump):
    """The dump with the values the machine's fonts decide masked."""
    lines = dump.split("\n")
    for i, line in enumerate(lines):
        if FONT_DEPENDENT.match(line) or (line.startswith("A val=") and lines[i - 1] == "S name"):
            lines[i] = line.split("=", 1)[0] + "=*"
        elif line.startswith("T "):
            lines[i] = HEADER_FONT.sub('&"*"', line)
    return "\n".join(lines)


def stable_dumps(package):
    return {name: font_free(dump_part(data)) for name, data in xml_parts(package) if name not in VOLATILE}


def main():
    if len(sys.argv) >= 4 and len(sys.argv) % 2 == 0 and sys.argv[1] == "--same-c14n":
        failed = 0
        for first, second in zip(sys.argv[2::2], sys.argv[3::2]):
            forms = []
            for name in (first, second):
                tree = etree.parse(name)
                # The simple tree keeps no processing instructions.
                etree.strip_elements(tree, etree.ProcessingInstruction, with_tail=False)
                forms.append(etree.tostring(tree, method="c14n", with_comments=False))
            if forms[0] != forms[1]:
                print("%s and %s differ:\n%s\n%s" % (first, second, forms[0][:2000].decode("utf-8", "replace"),
                                                     forms[1][:2000].decode("utf-8", "replace")))
                failed = 1
        return failed
    if len(sys.argv) >= 3 and sys.argv[1] == "--dump-xml":
        for name in sys.argv[2:]:
            with open(name, "rb") as f:
                sys.stdout.write("== " + name + "\n" + dump_part(f.read()) + "\n")
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "--dump":
        sys.stdout.write(dump_package(sys.argv[2]))
        return 0
    with tempfile.TemporaryDirectory() as work:
        if len(sys.argv) == 2 and sys.argv[1] == "--check":
            made = os.path.join(work, "made")
            os.mkdir(made)
            make(made, work)
            for name in made_names():
                if stable_dumps(os.path.join(made, name)) != stable_dumps(os.path.join(HERE, name)):
                    print(name + " is not what the script makes now; run it to refresh the fixtures")
                    return 1
            return 0
        make(HERE, work)
    return 0


if __name__ == "__main__":
    sys.exit(main())

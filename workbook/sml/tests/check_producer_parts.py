#!/usr/bin/python3
"""Re-saves the styles and shared-string parts of the producers' workbooks through the binding.

    check_producer_parts.py RESAVE FOLDER [--libreoffice]

For every workbook in FOLDER: each part is re-saved by RESAVE; xmllint accepts what it wrote;
it equals the original as canonical XML after the normalisation below; the workbook with the
re-saved parts put back shows openpyxl the same fonts, fills, borders, number formats, cell
formats, named styles, sheets and cell values as the original. With --libreoffice, LibreOffice
also converts every re-packed workbook to .ods.

Normalisation (both sides, what the binding by design does not keep or writes another way):
- the content of "ext" elements (other schemas) and attributes of other namespaces on elements
  below the document element (x14ac:knownFonts and the like) are dropped;
- attributes holding their schema default are dropped (the binding writes none of them; "xfId"
  0, which it writes on every cell format, counts as one), as is
  an on/off font property that is off, and "val" of one that is on;
- font and run property children are sorted (the schema lets them come in any order);
- numbers are compared as numbers, hexadecimal colours in upper case with eight digits;
- xml:space="preserve" counts only where the text starts or ends with a blank;
- whitespace between elements is ignored, and namespace declarations nothing uses.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

import lxml.etree as etree
import openpyxl

MAIN = '{http://schemas.openxmlformats.org/spreadsheetml/2006/main}'
XML_SPACE = '{http://www.w3.org/XML/1998/namespace}space'
PARTS = ('xl/styles.xml', 'xl/sharedStrings.xml')
ONOFF = {'b', 'i', 'strike', 'outline', 'shadow', 'condense', 'extend'}
PROPERTIES = ONOFF | {'name', 'rFont', 'charset', 'family', 'color', 'sz', 'u', 'vertAlign', 'scheme'}
# (element, attribute): schema default, as written in the schema.
DEFAULTS = {
    ('border', 'outline'): '1', ('gradientFill', 'type'): 'linear', ('gradientFill', 'degree'): '0',
    ('gradientFill', 'left'): '0', ('gradientFill', 'right'): '0', ('gradientFill', 'top'): '0',
    ('gradientFill', 'bottom'): '0', ('protection', 'locked'): '1', ('protection', 'hidden'): '0',
    ('alignment', 'textRotation'): '0', ('alignment', 'wrapText'): '0', ('alignment', 'indent'): '0',
    ('alignment', 'relativeIndent'): '0', ('alignment', 'justifyLastLine'): '0',
    ('alignment', 'shrinkToFit'): '0', ('alignment', 'readingOrder'): '0', ('tableStyle', 'pivot'): '1',
    ('tableStyle', 'table'): '1', ('tableStyleElement', 'size'): '1', ('color', 'tint'): '0',
    ('fgColor', 'tint'): '0', ('bgColor', 'tint'): '0', ('left', 'style'): 'none', ('right', 'style'): 'none',
    ('top', 'style'): 'none', ('bottom', 'style'): 'none', ('diagonal', 'style'): 'none',
    ('vertical', 'style'): 'none', ('horizontal', 'style'): 'none', ('phoneticPr', 'type'): 'fullwidthKatakana',
    ('phoneticPr', 'alignment'): 'left', ('u', 'val'): 'single', ('xf', 'xfId'): '0',
    ('start', 'style'): 'none', ('end', 'style'): 'none',
}
BOOLEANS = {'true': '1', 'false': '0'}


def number(text):
    try:
        value = float(text)
    except ValueError:
        return text
    return repr(round(value, 12))


def normalise(root):
    for ext in root.iter(MAIN + 'ext'):
        for child in list(ext):
            ext.remove(child)
    off = []
    for element in root.iter():
        if not isinstance(element.tag, str):
            continue
        local = etree.QName(element).localname
        for name in list(element.attrib):
            value = element.attrib[name]
            if element is not root and name.startswith('{') and name != XML_SPACE:
                del element.attrib[name]
                continue
            value = BOOLEANS.get(value, value)
            if name == 'rgb':
                value = value.upper().zfill(8)
            elif name != 'formatCode':
                value = number(value)
            if DEFAULTS.get((local, name)) is not None and number(DEFAULTS[(local, name)]) == number(value):
                del element.attrib[name]
                continue
            element.attrib[name] = value
        if local in ONOFF and element.getparent() is not None and \
                etree.QName(element.getparent()).localname in ('font', 'rPr'):
            if element.attrib.get('val', '1') in ('0', '0.0'):
                off.append(element)
            element.attrib.pop('val', None)
        if element.attrib.get(XML_SPACE) == 'preserve':
            text = element.text or ''
            if not text or (text[0] not in ' \t\r\n' and text[-1] not in ' \t\r\n'):
                del element.attrib[XML_SPACE]
        if len(element) and element.text and not element.text.strip():
            element.text = None
        if element.tail and not element.tail.strip():
            element.tail = None
    for element in off:
        element.getparent().remove(element)
    # Reordered after the walk above, which must not see the tree change under it.
    for element in list(root.iter(MAIN + 'font', MAIN + 'rPr')):
        children = sorted(element, key=lambda e: etree.QName(e).localname)
        for child in children:
            element.remove(child)
        element.extend(children)
    return etree.tostring(root, method='c14n', exclusive=True)


def canonical(data):
    parser = etree.XMLParser(remove_blank_text=True)
    return normalise(etree.fromstring(data, parser))


SUMMARY_PARTS = ('sheets and cells', 'named styles', 'fonts', 'fills', 'borders', 'number formats', 'cell formats')


def summary(path):
    """What openpyxl sees of a workbook's styles, sheets and values."""
    wb = openpyxl.load_workbook(path)
    sheets = []
    for ws in wb.worksheets:
        cells = []
        for row in ws.iter_rows():
            for cell in row:
                if cell.value is not None or cell.has_style:
                    cells.append((cell.coordinate, repr(cell.value), repr(cell.font), repr(cell.fill),
                                  repr(cell.border), cell.number_format, repr(cell.alignment),
                                  repr(cell.protection)))
        sheets.append((ws.title, ws.sheet_state, cells))
    named = sorted((s.name, repr(s.font), repr(s.fill), repr(s.border), s.number_format)
                   for s in wb._named_styles)
    return sheets, named, [repr(f) for f in wb._fonts], [repr(f) for f in wb._fills], \
        [repr(b) for b in wb._borders], sorted(wb._number_formats), [repr(x) for x in wb._cell_styles]


def main():
    args = sys.argv[1:]
    libreoffice = '--libreoffice' in args
    args = [a for a in args if a != '--libreoffice']
    if len(args) != 2:
        sys.exit(__doc__)
    resave, folder = args
    failures = []
    with tempfile.TemporaryDirectory() as work:
        for name in sorted(os.listdir(folder)):
            source = os.path.join(folder, name)
            repacked = os.path.join(work, name)
            replaced = {}
            with zipfile.ZipFile(source) as z:
                for part in PARTS:
                    if part not in z.namelist():
                        continue
                    original = os.path.join(work, 'original.xml')
                    saved = os.path.join(work, 'saved.xml')
                    with open(original, 'wb') as f:
                        f.write(z.read(part))
                    run = subprocess.run([resave, original, saved], capture_output=True, text=True)
                    if run.returncode != 0:
                        failures.append('%s %s: re-save failed: %s' % (name, part, run.stderr.strip()))
                        continue
                    lint = subprocess.run(['xmllint', '--noout', saved], capture_output=True, text=True)
                    if lint.returncode != 0:
                        failures.append('%s %s: xmllint: %s' % (name, part, lint.stderr.strip()))
                    with open(saved, 'rb') as f:
                        replaced[part] = f.read()
                    want, got = canonical(z.read(part)), canonical(replaced[part])
                    if want != got:
                        failures.append('%s %s differs:\n  original %s\n  re-saved %s' % (name, part, want, got))
                with zipfile.ZipFile(repacked, 'w', zipfile.ZIP_DEFLATED) as out:
                    for item in z.infolist():
                        out.writestr(item, replaced.get(item.filename, z.read(item.filename)))
            try:
                want, got = summary(source), summary(repacked)
                for index, (a, b) in enumerate(zip(want, got)):
                    if a != b:
                        failures.append('%s: openpyxl reads another workbook after the re-save (%s):\n  %s\n  %s'
                                        % (name, SUMMARY_PARTS[index], a, b))
            except Exception as error:  # openpyxl refusing the re-packed workbook is a failure
                failures.append('%s: openpyxl cannot read the re-packed workbook: %r' % (name, error))
            if libreoffice:
                outdir = os.path.join(work, 'ods')
                run = subprocess.run(['soffice', '-env:UserInstallation=file://' + os.path.join(work, 'profile'),
                                      '--headless', '--convert-to', 'ods', '--outdir', outdir, repacked],
                                     capture_output=True, text=True)
                if not os.path.exists(os.path.join(outdir, os.path.splitext(name)[0] + '.ods')):
                    failures.append('%s: LibreOffice did not convert the re-packed workbook: %s' % (name, run.stderr))
    for failure in failures:
        print(failure)
    sys.exit(1 if failures else 0)


if __name__ == '__main__':
    main()

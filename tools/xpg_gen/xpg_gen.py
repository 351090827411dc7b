#!/usr/bin/python3
"""Generates the C++ binding classes of one unit from its table file.

Table format, one statement per line ("#" starts a comment; indented lines belong to the
class above):

  unit NAME                  C++ namespace xpg::NAME
  namespace URI              the unit's XML namespace (a prefix bound to it counts as none)
  document CLASS             the part document class
  enum ST_Type PREFIX V...   an enumeration: registered as PREFIX+V with ordinals 0, 1, ...
  class CLASS [OPTION...]    an element class; options:
                               hashrs       attributes switch on the RS hash
                               firstletter  children told apart by their name's first letter
                                            alone (the frequent children of rows and cells)
                               quiet        unknown attributes are not reported (extensions)
    text                     the element carries a text value beside its attributes
    attr NAME KIND ... [always]
                             KIND: string | int DEFAULT | bool DEFAULT | float
                                   | enum ST_Type DEFAULT | list | hex DEFAULT DIGITS
                             always: written whenever the element's attributes are
    child NAME CLASS         a child that occurs at most once (owned object)
    list NAME CLASS          a repeated child (owned list)
    textchild NAME           a child holding only text, kept in a string field
    stream NAME CLASS        a repeated child read and written through events, one reused object
  root NAME CLASS            an element that may be the document element

Children are written in the order listed, attributes in the order listed.
"""

import argparse
import re
import sys


def name_hash(name):
    return sum(name.encode('utf-8'))


def name_hash_rs(name):
    h, a = 0, 63689
    for b in name.encode('utf-8'):
        h = (h * a + b) & 0xFFFFFFFF
        a = (a * 378551) & 0xFFFFFFFF
    return h


def ident(name):
    return re.sub(r'[^A-Za-z0-9_]', '_', name)


class Attr:
    def __init__(self, words, where):
        self.name = words[0]
        self.kind = words[1]
        rest = words[2:]
        self.always = 'always' in rest
        rest = [w for w in rest if w != 'always']
        self.field = ident(self.name)
        self.enum = None
        self.digits = 8
        need = {'string': 0, 'int': 1, 'bool': 1, 'float': 0, 'enum': 2, 'list': 0, 'hex': 2}
        if self.kind not in need or len(rest) != need[self.kind]:
            sys.exit('%s: bad attribute "%s"' % (where, ' '.join(words)))
        self.default = {'string': None, 'float': '0', 'list': None}.get(self.kind)
        if self.kind in ('int', 'bool'):
            self.default = rest[0]
        elif self.kind == 'enum':
            self.enum, self.default = rest
        elif self.kind == 'hex':
            self.default, self.digits = rest[0], int(rest[1])

    def ctype(self):
        return {'string': 'std::u16string', 'int': 'int32_t', 'bool': 'bool', 'float': 'double',
                'enum': 'uint8_t', 'list': 'xls::TStringXpgList', 'hex': 'uint32_t'}[self.kind]

    def init(self):
        if self.kind == 'bool':
            return ' = %s' % ('true' if self.default in ('1', 'true') else 'false')
        return '' if self.default is None else ' = %s' % self.default

    def default_expr(self):
        return self.init()[3:]

    def assigned(self):
        f = self.field
        if self.kind == 'string':
            return '!%s.empty()' % f
        if self.kind == 'list':
            return '%s.GetCount() > 0' % f
        return '%s != %s' % (f, self.default_expr())

    def read(self, value):
        f = self.field
        return {
            'string': '%s = %s;' % (f, value),
            'int': '%s = xls::XmlStrToIntDef(%s, 0);' % (f, value),
            'bool': '%s = xls::XmlStrToBoolDef(%s, false);' % (f, value),
            'float': '%s = xls::XmlStrToFloatDef(%s, 0);' % (f, value),
            'enum': '%s = Registry().StrToEnum(std::u16string(u"%s") + %s);' % (f, '%s', value),
            'list': '%s.SetDelimitedText(%s);' % (f, value),
            'hex': '%s = XpgHexToUInt(%s);' % (f, value),
        }[self.kind]

    def write(self):
        f = self.field
        if self.kind == 'enum':
            cond = '%s < std::size(%sTexts)' % (f, self.enum)
            if not self.always:
                cond = '%s && %s' % (self.assigned(), cond)
            return ('if (%s) writer.AddAttribute("%s", %sTexts[%s]);'
                    % (cond, self.name, self.enum, f))
        value = {
            'string': f,
            'int': 'xls::XmlIntToStr(%s)' % f,
            'bool': 'xls::XmlBoolToStr(%s)' % f,
            'float': 'xls::XmlFloatToStr(%s)' % f,
            'list': '%s.GetDelimitedText()' % f,
            'hex': 'xls::XmlIntToHex(static_cast<int32_t>(%s), %d)' % (f, self.digits),
        }[self.kind]
        return 'writer.AddAttribute("%s", %s);' % (self.name, value)

    def reset(self):
        if self.kind in ('string', 'list'):
            return '%s.Clear();' % self.field if self.kind == 'list' else '%s.clear();' % self.field
        return '%s = %s;' % (self.field, self.default_expr())


class Child:
    def __init__(self, kind, name, cls=None):
        self.kind, self.name, self.cls = kind, name, cls
        self.field = ident(name)


class Class:
    def __init__(self, name, options):
        self.name = name
        self.hashrs = 'hashrs' in options
        self.firstletter = 'firstletter' in options
        self.quiet = 'quiet' in options
        self.text = False
        self.attrs = []
        self.children = []

    def has_streams(self):
        return any(c.kind == 'stream' for c in self.children)


class Unit:
    def __init__(self):
        self.name = None
        self.namespace = ''
        self.document = None
        self.enums = []
        self.classes = []
        self.roots = []


def parse(path):
    unit = Unit()
    current = None
    with open(path, encoding='utf-8') as f:
        for number, line in enumerate(f, 1):
            where = '%s:%d' % (path, number)
            text = line.split('#', 1)[0]
            words = text.split()
            if not words:
                continue
            indented = text[0] in ' \t'
            key, args = words[0], words[1:]
            if indented:
                if current is None:
                    sys.exit('%s: indented line outside a class' % where)
                if key == 'text' and not args:
                    current.text = True
                elif key == 'attr' and len(args) >= 2:
                    current.attrs.append(Attr(args, where))
                elif key in ('child', 'list', 'stream') and len(args) == 2:
                    current.children.append(Child(key, args[0], args[1]))
                elif key == 'textchild' and len(args) == 1:
                    current.children.append(Child(key, args[0]))
                else:
                    sys.exit('%s: unknown class line "%s"' % (where, text.strip()))
                continue
            current = None
            if key == 'unit' and len(args) == 1:
                unit.name = args[0]
            elif key == 'namespace' and len(args) == 1:
                unit.namespace = args[0]
            elif key == 'document' and len(args) == 1:
                unit.document = args[0]
            elif key == 'enum' and len(args) >= 3:
                unit.enums.append((args[0], args[1], args[2:]))
            elif key == 'class' and len(args) >= 1:
                current = Class(args[0], args[1:])
                unit.classes.append(current)
            elif key == 'root' and len(args) == 2:
                unit.roots.append(Child('child', args[0], args[1]))
            else:
                sys.exit('%s: unknown line "%s"' % (where, text.strip()))
    if not unit.name or not unit.document:
        sys.exit('%s: unit and document are required' % path)
    check(unit, path)
    return unit


def check(unit, path):
    names = {c.name for c in unit.classes}
    enums = {e[0] for e in unit.enums}
    for cls in unit.classes + [Class('T__ROOT__', [])]:
        children = unit.roots if cls.name == 'T__ROOT__' else cls.children
        for child in children:
            if child.cls is not None and child.cls not in names:
                sys.exit('%s: %s: unknown class %s' % (path, cls.name, child.cls))
        hashes = [name_hash(c.name) for c in children]
        if len(hashes) > 1 and len(set(hashes)) != len(hashes):
            sys.exit('%s: %s: two children with the same name hash' % (path, cls.name))
        if cls.firstletter and len({c.name[0] for c in children}) != len(children):
            sys.exit('%s: %s: two children with the same first letter' % (path, cls.name))
        attr_hashes = [(name_hash_rs if cls.hashrs else name_hash)(a.name) for a in cls.attrs]
        if len(set(attr_hashes)) != len(attr_hashes):
            sys.exit('%s: %s: two attributes with the same name hash (use hashrs)' % (path, cls.name))
        for a in cls.attrs:
            if a.enum is not None and a.enum not in enums:
                sys.exit('%s: %s: unknown enumeration %s' % (path, cls.name, a.enum))


def order_classes(unit):
    """Classes ordered so that each one follows the classes it owns by value or in lists."""
    by_name = {c.name: c for c in unit.classes}
    done, result = set(), []

    def visit(cls, path):
        if cls.name in done:
            return
        if cls.name in path:
            sys.exit('class %s contains itself' % cls.name)
        for child in cls.children:
            if child.cls:
                visit(by_name[child.cls], path | {cls.name})
        done.add(cls.name)
        result.append(cls)

    for cls in unit.classes:
        visit(cls, set())
    return result


def emit_header(unit):
    out = []
    w = out.append
    w('// Generated by tools/xpg_gen/xpg_gen.py from the unit\'s table file; do not edit.')
    w('#pragma once\n')
    w('#include <cstdint>\n#include <functional>\n#include <memory>\n#include <string>\n'
      '#include <string_view>\n')
    w('#include "workbook/sml/xpg_runtime.h"\n')
    w('namespace xpg::%s {\n' % unit.name)
    for enum, prefix, values in unit.enums:
        for i, value in enumerate(values):
            w('constexpr uint8_t %s%s = %d;' % (prefix, ident(value), i))
        w('inline constexpr std::u16string_view %sTexts[] = {%s};\n'
          % (enum, ', '.join('u"%s"' % v for v in values)))
    w('// The unit\'s enumeration registry.')
    w('const TXPGEnumRegistry& Registry();\n')
    for cls in order_classes(unit):
        emit_class_decl(cls, w)
    emit_root_decl(unit, w)
    d = unit.document
    w('class %s : public TXPGDocBase {\npublic:' % d)
    w('    %s();' % d)
    w('    void LoadFromStream(base::TStream& stream);')
    w('    void SaveToStream(base::TStream& stream);')
    w('    T__ROOT__& Root() { return *Root_; }')
    for r in unit.roots:
        w('    %s& %s() { return *Root_->%s; }' % (r.cls, r.field, r.field))
    w('\nprivate:')
    w('    std::unique_ptr<T__ROOT__> Root_;')
    w('    std::unique_ptr<TXPGReader> Reader_;')
    w('    xls::TXpgWriteXML Writer_;')
    w('};\n')
    w('}  // namespace xpg::%s' % unit.name)
    return '\n'.join(out) + '\n'


def member_decls(children, w):
    for c in children:
        if c.kind == 'child':
            w('    std::unique_ptr<%s> %s;' % (c.cls, c.field))
        elif c.kind == 'list':
            w('    TXPGBaseObjectList<%s> %s;' % (c.cls, c.field))
        elif c.kind == 'textchild':
            w('    std::u16string %s;' % c.field)
        elif c.kind == 'stream':
            w('    // The reused %s item; OnRead%s gets each one read, OnWrite%s fills the next one'
              % (c.name, c.field, c.field))
            w('    // to write and returns false when there is none.')
            w('    %s %sItem;' % (c.cls, c.field))
            w('    std::function<void(%s&)> OnRead%s;' % (c.cls, c.field))
            w('    std::function<bool(%s&)> OnWrite%s;' % (c.cls, c.field))


def emit_class_decl(cls, w):
    w('class %s : public TXPGBase {\npublic:' % cls.name)
    w('    explicit %s(TXPGDocBase* document);' % cls.name)
    w('    int CheckAssigned() override;')
    w('    TXPGBase* HandleElement(TXPGReader& reader) override;')
    if cls.attrs:
        w('    void HandleAttributes(const xls::TXpgXMLAttributeList& attributes) override;')
    if cls.has_streams():
        w('    void AfterTag() override;')
    w('    void WriteAttributes(xls::TXpgWriteXML& writer) const;')
    w('    void WriteElements(xls::TXpgWriteXML& writer);')
    w('    void Clear();\n')
    for a in cls.attrs:
        w('    %s %s%s;' % (a.ctype(), a.field, a.init()))
    if cls.text:
        w('    std::u16string Text;')
    member_decls(cls.children, w)
    if cls.has_streams():
        w('\nprivate:')
        w('    // The streamed child handed out last, delivered when it closes.')
        w('    int PendingStream_ = -1;')
    w('};\n')


def emit_root_decl(unit, w):
    w('// The document level: the elements that may be the document element, and the attributes')
    w('// of the document element as read (written back on save).')
    w('class T__ROOT__ : public TXPGBase {\npublic:')
    w('    explicit T__ROOT__(TXPGDocBase* document);')
    w('    int CheckAssigned() override;')
    w('    TXPGBase* HandleElement(TXPGReader& reader) override;')
    w('    void Write(xls::TXpgWriteXML& writer);\n')
    w('    xls::TStringXpgList Attributes;')
    member_decls(unit.roots, w)
    w('};\n')


def emit_constructor(name, children, element_count, attribute_count, w, extra_init=()):
    inits = ['TXPGBase(document, %d, %d)' % (element_count, attribute_count)]
    for c in children:
        if c.kind == 'child':
            inits.append('%s(std::make_unique<%s>(document))' % (c.field, c.cls))
        elif c.kind == 'list':
            inits.append('%s(document)' % c.field)
        elif c.kind == 'stream':
            inits.append('%sItem(document)' % c.field)
    w('%s::%s(TXPGDocBase* document)\n    : %s {}\n' % (name, name, ', '.join(inits)))


def emit_handle_child(c, w, indent):
    p = ' ' * indent
    if c.kind == 'child':
        w(p + 'if (reader.HasText()) SetChildText(*%s, reader);' % c.field)
        w(p + 'return %s.get();' % c.field)
    elif c.kind == 'list':
        w(p + 'auto& item = %s.Add();' % c.field)
        w(p + 'if (reader.HasText()) SetChildText(item, reader);')
        w(p + 'return &item;')
    elif c.kind == 'textchild':
        w(p + '%s = reader.Text();' % c.field)
        w(p + 'return this;')
    elif c.kind == 'stream':
        w(p + '%sItem.Clear();' % c.field)
        w(p + 'PendingStream_ = %d;' % c.index)
        w(p + 'return &%sItem;' % c.field)


def emit_handle_element(name, children, w, report, firstletter=False):
    w('TXPGBase* %s::HandleElement(TXPGReader& reader) {' % name)
    if firstletter:
        w('    switch (reader.ElementName().front()) {')
        for c in children:
            w("        case '%s': {  // %s" % (c.name[0], c.name))
            emit_handle_child(c, w, 12)
            w('        }')
        w('    }')
    elif len(children) == 1:
        c = children[0]
        w('    if (reader.ElementName() == "%s") {' % c.name)
        emit_handle_child(c, w, 8)
        w('    }')
    elif children:
        w('    switch (reader.ElementHash()) {')
        for c in children:
            w('        case %d: {  // %s' % (name_hash(c.name), c.name))
            emit_handle_child(c, w, 12)
            w('        }')
        w('    }')
    if report:
        w('    ReportUnknownElement(reader);')
    else:
        w('    (void)reader;')
    w('    return nullptr;\n}\n')


def emit_write_children(children, w, owner):
    for c in children:
        if c.kind == 'child':
            w('    WriteChild(writer, *%s%s, "%s");' % (owner, c.field, c.name))
        elif c.kind == 'list':
            w('    %s%s.Write(writer, "%s");' % (owner, c.field, c.name))
        elif c.kind == 'textchild':
            w('    if (!%s%s.empty()) writer.TextElement("%s", %s%s);' % (owner, c.field, c.name, owner, c.field))
        elif c.kind == 'stream':
            w('    while (OnWrite%s && OnWrite%s(%sItem)) {' % (c.field, c.field, c.field))
            w('        %sItem.CheckAssigned();' % c.field)
            w('        WriteChild(writer, %sItem, "%s");' % (c.field, c.name))
            w('    }')


def emit_check_children(children, w, owner):
    for c in children:
        if c.kind == 'child':
            w('    c += %s%s->CheckAssigned();' % (owner, c.field))
        elif c.kind == 'list':
            w('    c += %s%s.CheckAssigned();' % (owner, c.field))
        elif c.kind == 'textchild':
            w('    if (!%s%s.empty()) ++c;' % (owner, c.field))
        elif c.kind == 'stream':
            w('    if (OnWrite%s) ++c;' % c.field)


def emit_class_def(cls, w):
    n = cls.name
    for i, c in enumerate(cls.children):
        c.index = i
    emit_constructor(n, cls.children, len(cls.children), len(cls.attrs), w)
    w('int %s::CheckAssigned() {' % n)
    w('    Flags = 0;')
    w('    int a = 0;')
    for a in cls.attrs:
        w('    if (%s) ++a;' % a.assigned())
    w('    int c = 0;')
    emit_check_children(cls.children, w, '')
    w('    if (c > 0) Flags |= XpgChildren;')
    w('    if (a > 0) Flags |= XpgAttributes;')
    if cls.text:
        w('    if (!Text.empty()) {\n        Flags |= XpgText;\n        ++c;\n    }')
    w('    return a + c;\n}\n')
    emit_handle_element(n, cls.children, w, report=bool(cls.children), firstletter=cls.firstletter)
    if cls.attrs:
        w('void %s::HandleAttributes(const xls::TXpgXMLAttributeList& attributes) {' % n)
        w('    for (int i = 0; i < attributes.Count(); ++i) {')
        w('        const std::u16string& value = attributes.GetValue(i);')
        if len(cls.attrs) == 1:
            a = cls.attrs[0]
            w('        if (attributes.GetRawName(i) == "%s") {' % a.name)
            w('            ' + (a.read('value') % a.enum_prefix if a.kind == 'enum' else a.read('value')))
            if not cls.quiet:
                w('        } else {')
                w('            ReportUnknownAttribute(attributes.GetName(i));')
            w('        }')
        else:
            fn = 'NameHashRS' if cls.hashrs else 'NameHash'
            hf = name_hash_rs if cls.hashrs else name_hash
            w('        switch (attributes.%s(i)) {' % fn)
            for a in cls.attrs:
                code = a.read('value') % a.enum_prefix if a.kind == 'enum' else a.read('value')
                w('            case %du:  // %s' % (hf(a.name), a.name) if cls.hashrs else
                  '            case %d:  // %s' % (hf(a.name), a.name))
                w('                ' + code)
                w('                break;')
            if not cls.quiet:
                w('            default:')
                w('                ReportUnknownAttribute(attributes.GetName(i));')
            w('        }')
        w('    }\n}\n')
    if cls.has_streams():
        w('void %s::AfterTag() {' % n)
        w('    const int pending = PendingStream_;')
        w('    PendingStream_ = -1;')
        for c in cls.children:
            if c.kind == 'stream':
                w('    if (pending == %d && OnRead%s) OnRead%s(%sItem);' % (c.index, c.field, c.field, c.field))
        w('}\n')
    w('void %s::WriteAttributes(xls::TXpgWriteXML& writer) const {' % n)
    if not cls.attrs:
        w('    (void)writer;')
    for a in cls.attrs:
        if a.always or a.kind == 'enum':
            w('    ' + a.write())
        else:
            w('    if (%s) %s' % (a.assigned(), a.write()))
    w('}\n')
    w('void %s::WriteElements(xls::TXpgWriteXML& writer) {' % n)
    if not cls.children:
        w('    (void)writer;')
    emit_write_children(cls.children, w, '')
    w('}\n')
    w('void %s::Clear() {' % n)
    w('    Flags = 0;')
    for a in cls.attrs:
        w('    ' + a.reset())
    if cls.text:
        w('    Text.clear();')
    for c in cls.children:
        if c.kind == 'child':
            w('    %s->Clear();' % c.field)
        elif c.kind == 'list':
            w('    %s.Clear();' % c.field)
        elif c.kind == 'textchild':
            w('    %s.clear();' % c.field)
        elif c.kind == 'stream':
            w('    %sItem.Clear();' % c.field)
    if cls.has_streams():
        w('    PendingStream_ = -1;')
    w('}\n')


def emit_source(unit, header_name):
    out = []
    w = out.append
    prefixes = {e[0]: e[1] for e in unit.enums}
    for cls in unit.classes:
        for a in cls.attrs:
            if a.kind == 'enum':
                a.enum_prefix = prefixes[a.enum]
    w('// Generated by tools/xpg_gen/xpg_gen.py from the unit\'s table file; do not edit.')
    w('#include "%s"\n' % header_name)
    w('#include <iterator>\n')
    w('#include "base/text_encoding.h"\n')
    w('namespace xpg::%s {\n' % unit.name)
    w('namespace {\n')
    w('// The text of a child that carries one, when its class keeps text.')
    w('template <class T>\nvoid SetChildText(T& child, const TXPGReader& reader) {')
    w('    if constexpr (requires { child.Text; }) child.Text = reader.Text();')
    w('    else (void)child, (void)reader;\n}\n')
    w('// A single child, written when assigned: its attributes, then a start tag with its')
    w('// children or a leaf.')
    w('template <class T>\nvoid WriteChild(xls::TXpgWriteXML& writer, T& child, std::string_view name) {')
    w('    if (!child.Assigned()) return;')
    w('    if constexpr (requires { child.Text; }) {')
    w('        if (child.Flags & XpgText) writer.Text = child.Text;')
    w('    }')
    w('    child.WriteAttributes(writer);')
    w('    if (child.Flags & XpgChildren) {')
    w('        writer.BeginElement(name);')
    w('        child.WriteElements(writer);')
    w('        writer.EndElement();')
    w('    } else {')
    w('        writer.SimpleElement(name);')
    w('    }\n}\n')
    w('}  // namespace\n')
    w('const TXPGEnumRegistry& Registry() {')
    w('    static const TXPGEnumRegistry registry = [] {')
    w('        TXPGEnumRegistry result;')
    for enum, prefix, values in unit.enums:
        for i, value in enumerate(values):
            w('        result.Register("%s%s", %d);' % (prefix, value, i))
    w('        return result;')
    w('    }();')
    w('    return registry;\n}\n')
    for cls in unit.classes:
        emit_class_def(cls, w)
    # The root.
    for i, c in enumerate(unit.roots):
        c.index = i
    emit_constructor('T__ROOT__', unit.roots, len(unit.roots), 0, w)
    w('int T__ROOT__::CheckAssigned() {')
    w('    Flags = 0;')
    w('    int c = 0;')
    emit_check_children(unit.roots, w, '')
    w('    if (c > 0) Flags |= XpgChildren;')
    w('    return c;\n}\n')
    w('TXPGBase* T__ROOT__::HandleElement(TXPGReader& reader) {')
    w('    const auto& attributes = reader.Attributes();')
    w('    for (int i = 0; i < attributes.Count(); ++i) Attributes.Add(attributes.GetNameValueText(i));')
    w('    switch (reader.ElementHash()) {')
    for c in unit.roots:
        w('        case %d: {  // %s' % (name_hash(c.name), c.name))
        emit_handle_child(c, w, 12)
        w('        }')
    w('    }')
    w('    ReportUnknownElement(reader);')
    w('    return nullptr;\n}\n')
    w('void T__ROOT__::Write(xls::TXpgWriteXML& writer) {')
    w('    writer.AddRawAttributes(base::Utf16ToUtf8(Attributes.GetText()));')
    emit_write_children(unit.roots, w, '')
    w('}\n')
    d = unit.document
    w('%s::%s()' % (d, d))
    w('    : Root_(std::make_unique<T__ROOT__>(this)),')
    w('      Reader_(std::make_unique<TXPGReader>(Errors, *Root_, "%s")) {}\n' % unit.namespace)
    w('void %s::LoadFromStream(base::TStream& stream) {' % d)
    w('    Reader_->LoadFromStream(stream);\n}\n')
    w('void %s::SaveToStream(base::TStream& stream) {' % d)
    w('    Writer_.BeginDocument(stream);')
    w('    Root_->CheckAssigned();')
    w('    Root_->Write(Writer_);')
    w('    Writer_.Flush();\n}\n')
    w('}  // namespace xpg::%s' % unit.name)
    return '\n'.join(out) + '\n'


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('table')
    parser.add_argument('header')
    parser.add_argument('source')
    parser.add_argument('--include', required=True, help='the header as the source includes it')
    args = parser.parse_args()
    unit = parse(args.table)
    header = emit_header(unit)
    source = emit_source(unit, args.include)
    for path, text in ((args.header, header), (args.source, source)):
        try:
            with open(path, encoding='utf-8') as f:
                if f.read() == text:
                    continue
        except OSError:
            pass
        with open(path, 'w', encoding='utf-8') as f:
            f.write(text)


if __name__ == '__main__':
    main()

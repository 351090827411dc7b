#!/usr/bin/python3
"""Generates the C++ binding classes of one unit from its table file.

Table format, one statement per line ("#" starts a comment; indented lines belong to the
class above):

  unit NAME [CPPNS]          header workbook/sml/NAME.h, C++ namespace xpg::CPPNS (default NAME)
  use UNIT                   classes and enumerations of another unit's table (same folder) may
                             be named; its header is included (a unit used only for roots is
                             included by the source, so two units may use each other)
  namespace URI              a main namespace of the unit (the first one is written); an element
                             of a main namespace is known by its local name whatever its prefix
  prefix P URI               attribute names written "P:name" mean that namespace, whatever
                             prefix a file binds to it; the writer declares it on the root
  exact                      element and attribute names are compared in full once their hash
                             or first letter matched: another name of that hash is unknown
  document CLASS [strict]    the part document class; strict: a document element that is no
                             root raises instead of reading as an empty part
  enum ST_Type PREFIX V...   an enumeration: constants PREFIX+V with ordinals 0, 1, ..., a write
                             table ST_TypeTexts and registry names PREFIX+V
  enum ST_Type PREFIX [capital] : V...
                             the same; capital: the first letter of V upper-cased in the
                             constant and registry names ("stbs" + "thin" gives stbsThin)
                             A value written V=NAME takes NAME as its constant and registry
                             name (two types sharing a prefix and a value). An enumeration has
                             at most 255 values: 255 is "not set".
  class CLASS [OPTION...]    an element class; options:
                               hashrs       attributes switch on the RS hash
                               firstletter  children told apart by their name's first letter
                                            alone (the frequent children of rows and cells)
                               quiet        unknown attributes are not reported (extensions)
                               assigned     never unassigned: its "always" attributes are
                                            written whenever it is, even when nothing is set
                               present      an element read from a file is written back, as an
                                            empty element when nothing in it is set
    text                     the element carries a text value beside its attributes
    attr NAME KIND ... [OPTION...]
                             KIND: string | int DEFAULT | bool DEFAULT | float [DEFAULT]
                                   | enum ST_Type DEFAULT | list | hex DEFAULT DIGITS
                                   | int? | bool? | float? | hex? DIGITS
                             A kind ending in "?" has an explicit unset state (std::optional):
                             for values where the default is itself a legal value (0, white).
                             An enumeration DEFAULT is an ordinal or a value name; 255 is the
                             usual "not set". hex is written with at least DIGITS digits.
                             Attributes count as assigned when they differ from the default
                             (or are set). Options:
                               always    written whenever the element's attributes are
                               skip=V    not written while it holds V (still assigned)
                               start=V   the value it takes when its element starts, before
                                         the element's own attributes are read
                             Unknown enumeration texts are reported and leave the field as it is.
    child NAME CLASS [FIELD] [fresh] [required]
                             a child that occurs at most once (owned object); fresh: each
                             occurrence starts from the defaults (cleared when it starts);
                             required: always written, as an empty element when nothing in it
                             is set, so its parent is never without it
    list NAME CLASS [FIELD]  a repeated child (owned list); every item is written
    textchild NAME [required|fallback] [preserve]
                             a child holding only text, kept in a string field; required: an
                             empty text is written as an empty element; fallback: likewise, but
                             only when the element writes no other child; preserve: a text with
                             a leading or trailing blank gets xml:space="preserve"
    stream NAME CLASS [FIELD] [assigned]
                             a repeated child read and written through events, one reused object
                             (FIELDItem, events OnReadFIELD and OnWriteFIELD); every item the
                             write event gives is written, or with the option assigned only
                             those with something set
  FIELD, where given, names the C++ field; by default it is the element name.
  root NAME CLASS [FIELD]    an element that may be the document element (FIELD: its field name)

Children are written in the order listed, attributes in the order listed. The generator fails
when two children or two attributes of a class have the same name hash.
"""

import argparse
import os
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


CPP_KEYWORDS = set('''alignas alignof and asm auto bool break case catch char class concept const
    constexpr continue default delete do double else enum explicit export extern false float for
    friend goto if inline int long mutable namespace new noexcept not operator or private
    protected public register requires return short signed sizeof static struct switch template
    this throw true try typedef typename union unsigned using virtual void volatile while
    xor'''.split())


def ident(name):
    """The C++ name of an XML name: a keyword gets a trailing underscore ("auto_")."""
    result = re.sub(r'[^A-Za-z0-9_]', '_', name)
    return result + '_' if result in CPP_KEYWORDS else result


def cpp_string(text):
    return text.replace('\\', '\\\\').replace('"', '\\"')


class Enum:
    def __init__(self, name, prefix, values, capital, where):
        self.name, self.prefix, self.capital = name, prefix, capital
        self.values, self.names = enum_values(values, where)

    def constant(self, value):
        if value in self.names:
            return self.names[value]
        return self.prefix + (value[0].upper() + value[1:] if self.capital else value)

    def ordinal(self, text, where):
        if re.fullmatch(r'-?\d+', text):
            return int(text)
        if text not in self.values:
            sys.exit('%s: %s has no value "%s"' % (where, self.name, text))
        return self.values.index(text)


def enum_values(words, where):
    """The values of an enumeration line and the constant names some of them are given."""
    values, names = [], {}
    for word in words:
        value, _, name = word.partition('=')
        values.append(value)
        if name:
            names[value] = name
    if len(values) > 255:
        sys.exit('%s: more than 255 enumeration values' % where)
    return values, names


ATTR_OPTIONS = ('always',)


class Attr:
    def __init__(self, words, where):
        self.name = words[0]
        self.kind = words[1]
        rest = words[2:]
        self.always = 'always' in rest
        self.skip = self.start = None
        positional = []
        for w in rest:
            if w.startswith('skip='):
                self.skip = w[5:]
            elif w.startswith('start='):
                self.start = w[6:]
            elif w not in ATTR_OPTIONS:
                positional.append(w)
        self.where = where
        self.field = ident(self.name)
        self.enum = None
        self.digits = 8
        self.optional = self.kind.endswith('?')
        base = self.kind.rstrip('?')
        need = {'string': (0,), 'int': (1,), 'bool': (1,), 'float': (0, 1), 'enum': (2,), 'list': (0,),
                'hex': (2,)}
        if self.optional:
            need = {'int': (0,), 'bool': (0,), 'float': (0,), 'hex': (1,)}
        if base not in need or len(positional) not in need[base]:
            sys.exit('%s: bad attribute "%s"' % (where, ' '.join(words)))
        self.base = base
        self.default = {'string': None, 'float': '0', 'list': None}.get(base)
        if self.optional:
            self.default = None
            if base == 'hex':
                self.digits = int(positional[0])
        elif base in ('int', 'bool'):
            self.default = positional[0]
        elif base == 'float' and positional:
            self.default = positional[0]
        elif base == 'enum':
            self.enum, self.default = positional
        elif base == 'hex':
            self.default, self.digits = positional[0], int(positional[1])

    def resolve(self, enums):
        """Turns enumeration value names into ordinals once the enumerations are known."""
        if self.enum is None:
            return
        if self.enum not in enums:
            sys.exit('%s: unknown enumeration %s' % (self.where, self.enum))
        e = enums[self.enum]
        self.enum_obj = e
        self.default = str(e.ordinal(self.default, self.where))
        if self.skip is not None:
            self.skip = str(e.ordinal(self.skip, self.where))
        if self.start is not None:
            self.start = str(e.ordinal(self.start, self.where))

    def value_type(self):
        return {'string': 'std::u16string', 'int': 'int32_t', 'bool': 'bool', 'float': 'double',
                'enum': 'uint8_t', 'list': 'xls::TStringXpgList', 'hex': 'uint32_t'}[self.base]

    def ctype(self):
        t = self.value_type()
        return 'std::optional<%s>' % t if self.optional else t

    def literal(self, text):
        if self.base == 'bool':
            return 'true' if text in ('1', 'true') else 'false'
        if self.base == 'hex':
            return '0x%Xu' % int(text, 16)
        if self.base == 'string':
            return 'u"%s"' % cpp_string(text)
        return text

    def init(self):
        if self.optional or self.default is None:
            return ''
        return ' = %s' % self.literal(self.default)

    def default_expr(self):
        return self.literal(self.default)

    def assigned(self):
        f = self.field
        if self.optional:
            return '%s.has_value()' % f
        if self.base == 'string':
            return '!%s.empty()' % f
        if self.base == 'list':
            return '%s.GetCount() > 0' % f
        return '%s != %s' % (f, self.default_expr())

    def read(self, value):
        f = self.field
        if self.base == 'enum':
            if self.optional:
                sys.exit('%s: an enumeration uses 255 for "not set"' % self.where)
            return 'ReadEnum(%sTexts, %s, u"%s", %s);' % (self.enum, f, self.name, value)
        return {
            'string': '%s = %s;' % (f, value),
            'int': '%s = xls::XmlStrToIntDef(%s, 0);' % (f, value),
            'bool': '%s = xls::XmlStrToBoolDef(%s, false);' % (f, value),
            'float': '%s = xls::XmlStrToFloatDef(%s, 0);' % (f, value),
            'list': '%s.SetDelimitedText(%s);' % (f, value),
            'hex': '%s = XpgHexToUInt(%s);' % (f, value),
        }[self.base]

    def value(self):
        return '*' + self.field if self.optional else self.field

    def write(self):
        v = self.value()
        if self.base == 'enum':
            return 'writer.AddAttribute("%s", %sTexts[%s]);' % (self.name, self.enum, v)
        text = {
            'string': v,
            'int': 'xls::XmlIntToStr(%s)' % v,
            'bool': 'xls::XmlBoolToStr(%s)' % v,
            'float': 'xls::XmlFloatToStr(%s)' % v,
            'list': '%s.GetDelimitedText()' % v,
            'hex': 'xls::XmlIntToHex(static_cast<int32_t>(%s), %d)' % (v, self.digits),
        }[self.base]
        return 'writer.AddAttribute("%s", %s);' % (self.name, text)

    def write_condition(self):
        """The condition under which the attribute is written, or None for always."""
        if self.always and not self.optional:
            cond = None
        else:
            cond = self.assigned()
        if self.base == 'enum':
            bound = '%s < std::size(%sTexts)' % (self.value(), self.enum)
            cond = bound if cond is None else '%s && %s' % (cond, bound)
        if self.skip is not None:
            cond = '%s && %s != %s' % (cond or 'true', self.value(), self.literal(self.skip))
        return cond

    def reset(self):
        if self.optional:
            return '%s.reset();' % self.field
        if self.base == 'list':
            return '%s.Clear();' % self.field
        if self.base == 'string':
            return '%s.clear();' % self.field
        return '%s = %s;' % (self.field, self.default_expr())


class Child:
    def __init__(self, kind, name, cls=None, options=()):
        self.kind, self.name, self.cls = kind, name, cls
        self.options = set(options)
        self.field = ident(name)
        self.fresh = 'fresh' in self.options


class Class:
    def __init__(self, name, options):
        self.name = name
        self.hashrs = 'hashrs' in options
        self.firstletter = 'firstletter' in options
        self.quiet = 'quiet' in options
        self.always_assigned = 'assigned' in options
        self.present = 'present' in options
        self.text = False
        self.attrs = []
        self.children = []
        self.unit = None

    def has_streams(self):
        return any(c.kind == 'stream' for c in self.children)

    def has_start(self):
        return any(a.start is not None for a in self.attrs)


class Unit:
    def __init__(self):
        self.name = None
        self.cppns = None
        self.uses = []
        self.namespaces = []
        self.prefixes = []
        self.document = None
        self.strict = False
        self.exact = False
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
                elif key in ('child', 'list', 'stream') and len(args) >= 2:
                    allowed = {'child': {'fresh', 'required'}, 'stream': {'assigned'}}.get(key, set())
                    options = [a for a in args[2:] if a in allowed]
                    fields = [a for a in args[2:] if a not in allowed]
                    if len(fields) > 1:
                        sys.exit('%s: unknown options %s' % (where, ' '.join(fields)))
                    child = Child(key, args[0], args[1], options)
                    if fields:
                        child.field = fields[0]
                    current.children.append(child)
                elif key == 'textchild' and len(args) >= 1:
                    if set(args[1:]) - {'required', 'fallback', 'preserve'}:
                        sys.exit('%s: unknown textchild option' % where)
                    current.children.append(Child(key, args[0], None, args[1:]))
                else:
                    sys.exit('%s: unknown class line "%s"' % (where, text.strip()))
                continue
            current = None
            if key == 'unit' and len(args) in (1, 2):
                unit.name = args[0]
                unit.cppns = args[1] if len(args) == 2 else args[0]
            elif key == 'use' and len(args) == 1:
                unit.uses.append(args[0])
            elif key == 'exact' and not args:
                unit.exact = True
            elif key == 'namespace' and len(args) == 1:
                unit.namespaces.append(args[0])
            elif key == 'prefix' and len(args) == 2:
                unit.prefixes.append((args[0], args[1]))
            elif key == 'document' and len(args) in (1, 2) and args[1:] in ([], ['strict']):
                unit.document = args[0]
                unit.strict = args[1:] == ['strict']
            elif key == 'enum' and len(args) >= 3:
                if ':' in args:
                    colon = args.index(':')
                    options, values = args[2:colon], args[colon + 1:]
                    if set(options) - {'capital'}:
                        sys.exit('%s: unknown enumeration option' % where)
                    unit.enums.append(Enum(args[0], args[1], values, 'capital' in options, where))
                else:
                    unit.enums.append(Enum(args[0], args[1], args[2:], False, where))
            elif key == 'class' and len(args) >= 1:
                current = Class(args[0], args[1:])
                current.unit = unit
                unit.classes.append(current)
            elif key == 'root' and len(args) in (2, 3):
                root = Child('child', args[0], args[1])
                if len(args) == 3:
                    root.field = args[2]
                unit.roots.append(root)
            else:
                sys.exit('%s: unknown line "%s"' % (where, text.strip()))
    if not unit.name:
        sys.exit('%s: unit is required' % path)
    if unit.roots and not unit.document:
        sys.exit('%s: roots need a document' % path)
    return unit


class World:
    """A unit with the units it uses: every class and enumeration it may name."""

    def __init__(self, unit, path):
        self.unit = unit
        self.used = []
        folder = os.path.dirname(path)
        for name in unit.uses:
            other_path = os.path.join(folder, name + '.xpg')
            if not os.path.exists(other_path):
                sys.exit('%s: used unit %s has no table %s' % (path, name, other_path))
            self.used.append(parse(other_path))
        self.classes = {}
        self.enums = {}
        for u in [unit] + self.used:
            for c in u.classes:
                self.classes.setdefault(c.name, c)
            for e in u.enums:
                self.enums.setdefault(e.name, e)
        for c in unit.classes:
            for a in c.attrs:
                a.resolve(self.enums)
        for u in self.used:
            for c in u.classes:
                for a in c.attrs:
                    if a.enum is not None and a.enum in self.enums:
                        a.resolve(self.enums)

    def qualified(self, name):
        cls = self.classes[name]
        if cls.unit is self.unit or cls.unit.cppns == self.unit.cppns:
            return name
        return '::xpg::%s::%s' % (cls.unit.cppns, name)

    def class_units(self):
        """Used units whose classes the unit's own classes contain (the header needs them)."""
        needed = set()
        for c in self.unit.classes:
            for child in c.children:
                if child.cls and self.classes[child.cls].unit is not self.unit:
                    needed.add(self.classes[child.cls].unit.name)
            for a in c.attrs:
                if a.enum is not None and a.enum not in {e.name for e in self.unit.enums}:
                    for u in self.used:
                        if a.enum in {e.name for e in u.enums}:
                            needed.add(u.name)
        return [u for u in self.used if u.name in needed]


def check(world, path):
    unit = world.unit
    names = set(world.classes)
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
    constants = {}
    for e in unit.enums:
        for v in e.values:
            c = e.constant(v)
            if c in constants:
                sys.exit('%s: enumeration constant %s of %s and %s' % (path, c, constants[c], e.name))
            constants[c] = e.name


def order_classes(world):
    """Classes ordered so that each one follows the classes it owns by value or in lists."""
    unit = world.unit
    by_name = {c.name: c for c in unit.classes}
    done, result = set(), []

    def visit(cls, path):
        if cls.name in done:
            return
        if cls.name in path:
            sys.exit('class %s contains itself' % cls.name)
        for child in cls.children:
            if child.cls and child.cls in by_name:
                visit(by_name[child.cls], path | {cls.name})
        done.add(cls.name)
        result.append(cls)

    for cls in unit.classes:
        visit(cls, set())
    return result


def emit_header(world):
    unit = world.unit
    out = []
    w = out.append
    w('// Generated by tools/xpg_gen/xpg_gen.py from the unit\'s table file; do not edit.')
    w('#pragma once\n')
    w('#include <cstdint>\n#include <functional>\n#include <memory>\n#include <optional>\n#include <string>\n'
      '#include <string_view>\n')
    w('#include "workbook/sml/xpg_runtime.h"')
    for u in world.class_units():
        w('#include "workbook/sml/%s.h"' % u.name)
    w('')
    w('namespace xpg::%s {\n' % unit.cppns)
    for e in unit.enums:
        for i, value in enumerate(e.values):
            w('constexpr uint8_t %s = %d;' % (ident(e.constant(value)), i))
        w('inline constexpr std::u16string_view %sTexts[] = {%s};\n'
          % (e.name, ', '.join('u"%s"' % v for v in e.values)))
    if unit.enums:
        w('// The unit\'s enumeration registry.')
        w('const TXPGEnumRegistry& Registry();\n')
        w('struct TXPGEnumeration {')
        w('    std::string_view Name;')
        w('    std::string_view Prefix;')
        w('    std::span<const std::u16string_view> Texts;')
        w('};')
        w('// Every enumeration of the unit.')
        w('inline constexpr TXPGEnumeration Enumerations[] = {')
        for e in unit.enums:
            w('    {"%s", "%s", %sTexts},' % (e.name, e.prefix, e.name))
        w('};\n')
    own = {c.name for c in unit.classes}
    for r in unit.roots:
        if r.cls not in own:
            if world.classes[r.cls].unit.cppns != unit.cppns:
                sys.exit('root %s: a root of another unit must share the C++ namespace' % r.cls)
            w('class %s;' % r.cls)
    if unit.roots:
        w('')
    for cls in order_classes(world):
        emit_class_decl(world, cls, w)
    if unit.document:
        emit_root_decl(world, w)
        d = unit.document
        w('class %s : public TXPGDocBase {\npublic:' % d)
        w('    %s();' % d)
        w('    void LoadFromStream(base::TStream& stream);')
        w('    // Writes every assigned root.')
        w('    void SaveToStream(base::TStream& stream);')
        w('    // Writes the one root asked for, also when nothing in it is assigned.')
        w('    void SaveToStream(base::TStream& stream, TXPGRoot root);')
        w('    T__ROOT__& Root() { return *Root_; }')
        for r in unit.roots:
            w('    %s& %s();' % (world.qualified(r.cls), r.field))
        w('\nprivate:')
        w('    std::unique_ptr<T__ROOT__> Root_;')
        w('    std::unique_ptr<TXPGReader> Reader_;')
        w('    xls::TXpgWriteXML Writer_;')
        w('};\n')
    w('}  // namespace xpg::%s' % unit.cppns)
    return '\n'.join(out) + '\n'


def member_decls(world, children, w):
    for c in children:
        q = world.qualified(c.cls) if c.cls else None
        if c.kind == 'child':
            w('    std::unique_ptr<%s> %s;' % (q, c.field))
        elif c.kind == 'list':
            w('    TXPGBaseObjectList<%s> %s;' % (q, c.field))
        elif c.kind == 'textchild':
            w('    std::u16string %s;' % c.field)
        elif c.kind == 'stream':
            w('    // The reused %s item; OnRead%s gets each one read, OnWrite%s fills the next one'
              % (c.name, c.field, c.field))
            w('    // to write and returns false when there is none.')
            w('    %s %sItem;' % (q, c.field))
            w('    std::function<void(%s&)> OnRead%s;' % (q, c.field))
            w('    std::function<bool(%s&)> OnWrite%s;' % (q, c.field))


def emit_class_decl(world, cls, w):
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
    w('    void Clear();')
    if cls.has_start():
        w('    // The values an element starts from before its attributes are read.')
        w('    void Begin();')
    w('')
    for a in cls.attrs:
        w('    %s %s%s;' % (a.ctype(), a.field, a.init()))
    if cls.text:
        w('    std::u16string Text;')
    member_decls(world, cls.children, w)
    if cls.has_streams():
        w('\nprivate:')
        w('    // The streamed child handed out last, delivered when it closes.')
        w('    int PendingStream_ = -1;')
    w('};\n')


def emit_root_decl(world, w):
    unit = world.unit
    w('// The roots a document may be saved as.')
    w('enum class TXPGRoot : uint8_t { %s };\n' % ', '.join(r.field for r in unit.roots))
    w('// The document level: the elements that may be the document element, and the attributes')
    w('// of the document element as read (written back on save).')
    w('class T__ROOT__ : public TXPGBase {\npublic:')
    w('    explicit T__ROOT__(TXPGDocBase* document);')
    w('    ~T__ROOT__() override;')
    w('    int CheckAssigned() override;')
    w('    TXPGBase* HandleElement(TXPGReader& reader) override;')
    w('    void Write(xls::TXpgWriteXML& writer);')
    w('    void Write(xls::TXpgWriteXML& writer, TXPGRoot root);\n')
    w('    TXPGRootAttributes RootAttributes;')
    member_decls(world, unit.roots, w)
    w('};\n')


def emit_constructor(world, name, children, element_count, attribute_count, w):
    inits = ['TXPGBase(document, %d, %d)' % (element_count, attribute_count)]
    for c in children:
        if c.kind == 'child':
            inits.append('%s(std::make_unique<%s>(document))' % (c.field, world.qualified(c.cls)))
        elif c.kind == 'list':
            inits.append('%s(document)' % c.field)
        elif c.kind == 'stream':
            inits.append('%sItem(document)' % c.field)
    w('%s::%s(TXPGDocBase* document)\n    : %s {}\n' % (name, name, ', '.join(inits)))


def begin_call(world, c, obj):
    cls = world.classes.get(c.cls) if c.cls else None
    return ['%s.Begin();' % obj] if cls is not None and cls.has_start() else []


def emit_handle_child(world, c, w, indent):
    p = ' ' * indent
    if c.kind == 'child':
        if c.fresh:
            w(p + '%s->Clear();' % c.field)
        for line in begin_call(world, c, '(*%s)' % c.field):
            w(p + line)
        w(p + 'XpgSetChildText(*%s, reader);' % c.field)
        w(p + 'return %s.get();' % c.field)
    elif c.kind == 'list':
        w(p + 'auto& item = %s.Add();' % c.field)
        for line in begin_call(world, c, 'item'):
            w(p + line)
        w(p + 'XpgSetChildText(item, reader);')
        w(p + 'return &item;')
    elif c.kind == 'textchild':
        w(p + '%s = reader.HasText() ? reader.Text() : std::u16string();' % c.field)
        w(p + 'return reader.TextSink();')
    elif c.kind == 'stream':
        w(p + '%sItem.Clear();' % c.field)
        for line in begin_call(world, c, '%sItem' % c.field):
            w(p + line)
        w(p + 'XpgSetChildText(%sItem, reader);' % c.field)
        w(p + 'PendingStream_ = %d;' % c.index)
        w(p + 'return &%sItem;' % c.field)


def emit_exact_name(world, c, w, indent):
    """With exact names the hash or first letter only narrows the search."""
    if world.unit.exact:
        w(' ' * indent + 'if (reader.ElementName() != "%s") break;' % cpp_string(c.name))


def emit_handle_element(world, name, children, w, firstletter=False):
    w('TXPGBase* %s::HandleElement(TXPGReader& reader) {' % name)
    if firstletter:
        w('    if (reader.InMainNamespace()) {')
        w('        switch (reader.ElementName().front()) {')
        for c in children:
            w("            case '%s': {  // %s" % (c.name[0], c.name))
            emit_exact_name(world, c, w, 16)
            emit_handle_child(world, c, w, 16)
            w('            }')
        w('        }')
        w('    }')
    elif len(children) == 1:
        c = children[0]
        w('    if (reader.ElementName() == "%s") {' % c.name)
        emit_handle_child(world, c, w, 8)
        w('    }')
    elif children:
        w('    switch (reader.ElementHash()) {')
        for c in children:
            w('        case %d: {  // %s' % (name_hash(c.name), c.name))
            emit_exact_name(world, c, w, 12)
            emit_handle_child(world, c, w, 12)
            w('        }')
        w('    }')
    if children:
        w('    ReportUnknownElement(reader);')
    else:
        w('    (void)reader;')
    w('    return nullptr;\n}\n')


def emit_write_children(children, w, owner):
    for i, c in enumerate(children):
        if c.kind == 'child':
            emit_write_child(c, w, owner)
        elif c.kind == 'list':
            w('    %s%s.Write(writer, "%s");' % (owner, c.field, c.name))
        elif c.kind == 'textchild':
            keep = 'true' if 'required' in c.options else 'false'
            if 'fallback' in c.options:
                others = []
                for o in children:
                    if o is c:
                        continue
                    if o.kind == 'child':
                        others.append('!%s->Assigned()' % o.field)
                    elif o.kind == 'list':
                        others.append('%s.Count() == 0' % o.field)
                    elif o.kind == 'textchild':
                        others.append('%s.empty()' % o.field)
                keep = ' && '.join(others) or 'true'
            w('    XpgWriteTextChild(writer, "%s", %s%s, %s, %s);'
              % (c.name, owner, c.field, keep, 'true' if 'preserve' in c.options else 'false'))
        elif c.kind == 'stream':
            w('    while (OnWrite%s && OnWrite%s(%sItem)) {' % (c.field, c.field, c.field))
            if 'assigned' in c.options:
                w('        if (%sItem.CheckAssigned() > 0) XpgWriteItem(writer, %sItem, "%s");'
                  % (c.field, c.field, c.name))
            else:
                w('        %sItem.CheckAssigned();' % c.field)
                w('        XpgWriteItem(writer, %sItem, "%s");' % (c.field, c.name))
            w('    }')


def emit_check_child(c, w, owner):
    if 'required' in c.options:
        w('    c += 1 + %s%s->CheckAssigned();  // %s is written also when empty' % (owner, c.field, c.name))
    else:
        w('    c += %s%s->CheckAssigned();' % (owner, c.field))


def emit_write_child(c, w, owner):
    w('    XpgWriteChild(writer, *%s%s, "%s");' % (owner, c.field, c.name))
    if 'required' in c.options:
        w('    if (!%s%s->Assigned()) writer.EmptyElement("%s");' % (owner, c.field, c.name))


def emit_check_children(children, w, owner):
    for c in children:
        if c.kind == 'child':
            emit_check_child(c, w, owner)
        elif c.kind == 'list':
            w('    c += %s%s.CheckAssigned();' % (owner, c.field))
        elif c.kind == 'textchild':
            if c.options & {'required', 'fallback'}:
                w('    ++c;  // %s is written also when empty' % c.name)
            else:
                w('    if (!%s%s.empty()) ++c;' % (owner, c.field))
        elif c.kind == 'stream':
            w('    if (OnWrite%s) ++c;' % c.field)


def emit_attribute_cases(cls, w):
    fn = 'NameHashRS' if cls.hashrs else 'NameHash'
    hf = name_hash_rs if cls.hashrs else name_hash
    w('        switch (attributes.%s(i)) {' % fn)
    for a in cls.attrs:
        w('            case %d%s:  // %s' % (hf(a.name), 'u' if cls.hashrs else '', a.name))
        if cls.unit.exact:
            w('                if (attributes.GetName(i) != u"%s") break;' % cpp_string(a.name))
        w('                ' + a.read('value'))
        w('                continue;')
    w('        }')
    if not cls.quiet:
        w('        ReportUnknownAttribute(attributes.GetName(i));')


def emit_class_def(world, cls, w):
    n = cls.name
    for i, c in enumerate(cls.children):
        c.index = i
    emit_constructor(world, n, cls.children, len(cls.children), len(cls.attrs), w)
    w('int %s::CheckAssigned() {' % n)
    if cls.present:
        w('    const bool present = WasRead();')
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
    if cls.present:
        w('    if (a + c == 0 && present) {')
        w('        Flags = XpgRead;')
        w('        return 1;')
        w('    }')
    if cls.always_assigned:
        w('    Flags |= XpgAttributes;')
        w('    if (a + c == 0) return 1;')
    w('    return a + c;\n}\n')
    emit_handle_element(world, n, cls.children, w, firstletter=cls.firstletter)
    if cls.attrs:
        w('void %s::HandleAttributes(const xls::TXpgXMLAttributeList& attributes) {' % n)
        w('    for (int i = 0; i < attributes.Count(); ++i) {')
        w('        const std::u16string& value = attributes.GetValue(i);')
        emit_attribute_cases(cls, w)
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
        cond = a.write_condition()
        w('    ' + (a.write() if cond is None else 'if (%s) %s' % (cond, a.write())))
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
    if cls.has_start():
        w('void %s::Begin() {' % n)
        for a in cls.attrs:
            if a.start is not None:
                w('    %s = %s;' % (a.field, a.literal(a.start)))
        w('}\n')


def all_prefixes(world):
    seen, result = set(), []
    for u in [world.unit] + world.used:
        for p in u.prefixes:
            if p[0] not in seen:
                seen.add(p[0])
                result.append(p)
    return result


def emit_root_def(world, w):
    unit = world.unit
    for i, c in enumerate(unit.roots):
        c.index = i
    emit_constructor(world, 'T__ROOT__', unit.roots, len(unit.roots), 0, w)
    w('T__ROOT__::~T__ROOT__() = default;\n')
    w('int T__ROOT__::CheckAssigned() {')
    w('    Flags = 0;')
    w('    int c = 0;')
    emit_check_children(unit.roots, w, '')
    w('    if (c > 0) Flags |= XpgChildren;')
    w('    return c;\n}\n')
    w('TXPGBase* T__ROOT__::HandleElement(TXPGReader& reader) {')
    w('    const auto& attributes = reader.Attributes();')
    w('    // Declarations and attributes of other namespaces; the root\'s own go to the root.')
    w('    for (int i = 0; i < attributes.Count(); ++i)')
    w('        if (attributes.GetRawName(i).find(\':\') != std::string_view::npos || attributes.GetRawName(i) == "xmlns")')
    w('            RootAttributes.Add(attributes.GetRawName(i), attributes.GetValue(i));')
    w('    const std::string_view name = reader.ElementName();')
    for c in unit.roots:
        w('    if (name == "%s") {' % c.name)
        emit_handle_child(world, c, w, 8)
        w('    }')
    if unit.strict:
        w('    throw base::Exception("Unknown document element \\"" + std::string(reader.RawQName()) + "\\"");')
    else:
        w('    ReportUnknownElement(reader);')
        w('    return nullptr;')
    w('}\n')
    w('namespace {\n')
    pre = all_prefixes(world)
    w('constexpr std::pair<std::string_view, std::string_view> Prefixes[] = {%s};' %
      ', '.join('{"%s", "%s"}' % p for p in pre) if pre else
      'constexpr std::span<const std::pair<std::string_view, std::string_view>> Prefixes;')
    w('')
    w('const TXPGNamespaces& Namespaces() {')
    w('    static const TXPGNamespaces namespaces{{%s}, {std::begin(Prefixes), std::end(Prefixes)}};'
      % ', '.join('"%s"' % n for n in unit.namespaces))
    w('    return namespaces;\n}\n')
    w('}  // namespace\n')
    main = unit.namespaces[0] if unit.namespaces else ''
    w('void T__ROOT__::Write(xls::TXpgWriteXML& writer) {')
    w('    RootAttributes.Write(writer, "", {});')
    emit_write_children(unit.roots, w, '')
    w('}\n')
    w('void T__ROOT__::Write(xls::TXpgWriteXML& writer, TXPGRoot root) {')
    w('    RootAttributes.Write(writer, "%s", Prefixes);' % main)
    w('    switch (root) {')
    for c in unit.roots:
        w('        case TXPGRoot::%s:' % c.field)
        w('            XpgWriteItem(writer, *%s, "%s");' % (c.field, c.name))
        w('            break;')
    w('    }\n}\n')
    d = unit.document
    w('%s::%s()' % (d, d))
    w('    : Root_(std::make_unique<T__ROOT__>(this)),')
    w('      Reader_(std::make_unique<TXPGReader>(Errors, *Root_, Namespaces())) {}\n')
    for r in unit.roots:
        w('%s& %s::%s() { return *Root_->%s; }\n' % (world.qualified(r.cls), d, r.field, r.field))
    w('void %s::LoadFromStream(base::TStream& stream) {' % d)
    w('    Reader_->LoadFromStream(stream);\n}\n')
    w('void %s::SaveToStream(base::TStream& stream) {' % d)
    w('    Writer_.BeginDocument(stream);')
    w('    if (Root_->CheckAssigned() > 0) Root_->Write(Writer_);')
    w('    Writer_.Flush();\n}\n')
    w('void %s::SaveToStream(base::TStream& stream, TXPGRoot root) {' % d)
    w('    Writer_.BeginDocument(stream);')
    w('    Root_->CheckAssigned();')
    w('    Root_->Write(Writer_, root);')
    w('    Writer_.Flush();\n}\n')


def emit_source(world, header_name):
    unit = world.unit
    out = []
    w = out.append
    w('// Generated by tools/xpg_gen/xpg_gen.py from the unit\'s table file; do not edit.')
    w('#include "%s"\n' % header_name)
    w('#include <iterator>\n')
    w('#include "base/exception.h"')
    w('#include "base/text_encoding.h"')
    header_units = {u.name for u in world.class_units()}
    for u in world.used:
        if u.name not in header_units:
            w('#include "workbook/sml/%s.h"' % u.name)
    w('')
    w('namespace xpg::%s {\n' % unit.cppns)
    if unit.enums:
        w('namespace {\n')
        w('// The registry\'s names, as data: one loop fills it.')
        w('constexpr std::pair<std::string_view, uint8_t> RegistryNames[] = {')
        for e in unit.enums:
            w('    ' + ' '.join('{"%s", %d},' % (e.constant(value), i) for i, value in enumerate(e.values)))
        w('};\n')
        w('}  // namespace\n')
        w('const TXPGEnumRegistry& Registry() {')
        w('    static const TXPGEnumRegistry registry = [] {')
        w('        TXPGEnumRegistry result;')
        w('        for (const auto& [name, ordinal] : RegistryNames) result.Register(name, ordinal);')
        w('        return result;')
        w('    }();')
        w('    return registry;\n}\n')
    for cls in unit.classes:
        emit_class_def(world, cls, w)
    if unit.document:
        emit_root_def(world, w)
    w('}  // namespace xpg::%s' % unit.cppns)
    return '\n'.join(out) + '\n'


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('table')
    parser.add_argument('header')
    parser.add_argument('source')
    parser.add_argument('--include', required=True, help='the header as the source includes it')
    args = parser.parse_args()
    unit = parse(args.table)
    world = World(unit, args.table)
    check(world, args.table)
    header = emit_header(world)
    source = emit_source(world, args.include)
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

#!/usr/bin/python3
"""Independent view of an OPC package, with zipfile and lxml only.

  opc_oracle.py list FILE    every relationship and content type, one sorted line each
  opc_oracle.py check FILE   every relationship target exists, every part has a content type,
                             every part but the package's own is the target of a relationship
"""

import posixpath
import sys
import urllib.parse
import zipfile

from lxml import etree

RELS_NS = '{http://schemas.openxmlformats.org/package/2006/relationships}'
CT_NS = '{http://schemas.openxmlformats.org/package/2006/content-types}'


def rels_source(name):
    folder, file = posixpath.split(name)
    return posixpath.join(posixpath.dirname(folder), file[:-len('.rels')]) if file != '.rels' else ''


def relationships(z):
    for name in z.namelist():
        if not name.endswith('.rels'):
            continue
        source = rels_source(name)
        for rel in etree.fromstring(z.read(name)).iter(RELS_NS + 'Relationship'):
            mode = rel.get('TargetMode', 'Internal')
            target = rel.get('Target')
            if mode != 'External':
                path = urllib.parse.unquote(target)
                if path.startswith('/'):
                    path = path[1:]
                else:
                    path = posixpath.join(posixpath.dirname(source), path)
                target = posixpath.normpath(path)
            yield source, rel.get('Id'), rel.get('Type'), target, mode


def content_types(z):
    root = etree.fromstring(z.read('[Content_Types].xml'))
    defaults = {d.get('Extension').lower(): d.get('ContentType') for d in root.iter(CT_NS + 'Default')}
    overrides = {urllib.parse.unquote(o.get('PartName')): o.get('ContentType') for o in root.iter(CT_NS + 'Override')}
    return defaults, overrides


def main():
    command, path = sys.argv[1], sys.argv[2]
    with zipfile.ZipFile(path) as z:
        defaults, overrides = content_types(z)
        rels = list(relationships(z))
        if command == 'list':
            lines = ['rel %s|%s|%s|%s|%s' % r for r in rels]
            lines += ['default %s|%s' % d for d in defaults.items()]
            lines += ['override %s|%s' % o for o in overrides.items()]
            print('\n'.join(sorted(set(lines))))
            return 0
        problems = []
        names = set(z.namelist())
        targets = {r[3] for r in rels if r[4] != 'External'}
        for r in rels:
            if r[4] != 'External' and r[3] not in names:
                problems.append('missing target %s of %s' % (r[3], r[0] or '/'))
        for name in names:
            if name == '[Content_Types].xml' or name.endswith('/'):
                continue
            base = posixpath.basename(name)
            ext = base.rsplit('.', 1)[1].lower() if '.' in base else ''
            if '/' + name not in overrides and ext not in defaults:
                problems.append('no content type for %s' % name)
            if not name.endswith('.rels') and name not in targets:
                problems.append('no relationship to %s' % name)
        print('\n'.join(problems) if problems else 'ok')
        return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())

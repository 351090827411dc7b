#include "pdf/tests/pdf_oracle.h"

#include "pdf/tests/test_support.h"

namespace pdf::test {

bool QpdfCheck(const std::string& fileName, std::string& output) {
    const TCommandResult result = RunCommand("qpdf --check '" + fileName + "'");
    output = result.Output;
    return result.ExitCode == 0;
}

std::string QpdfObjects(const std::string& fileName) {
    static const char* const Script = R"(
import json, subprocess, sys
out = subprocess.run(['qpdf', '--json=2', '--json-key=qpdf', sys.argv[1]], capture_output=True, check=True).stdout
objects = json.loads(out)['qpdf'][1]
def render(v):
    if isinstance(v, bool):
        return 'true' if v else 'false'
    if isinstance(v, dict):
        return '<<' + ' '.join(k + ' ' + ('*' if k in ('/CreationDate', '/ID') else render(x)) for k, x in sorted(v.items())) + '>>'
    if isinstance(v, list):
        return '[' + ' '.join(render(x) for x in v) + ']'
    return str(v)
lines = []
for key in sorted((k for k in objects if k.startswith('obj:')), key=lambda k: int(k[4:].split()[0])):
    o = objects[key]
    number = key[4:].split()[0]
    if 'stream' in o:
        lines.append(number + ' stream ' + render(o['stream']['dict']))
    else:
        lines.append(number + ' ' + render(o['value']))
lines.append('trailer ' + render(objects['trailer']['value']))
print('\n'.join(lines))
)";
    const TCommandResult result = RunPython(Script, "'" + fileName + "'");
    return result.ExitCode == 0 ? result.Output : "error: " + result.Output;
}

}  // namespace pdf::test

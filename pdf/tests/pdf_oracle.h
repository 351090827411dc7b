#pragma once

#include <string>

namespace pdf::test {

// Runs qpdf --check on a file; returns its exit code and output.
bool QpdfCheck(const std::string& fileName, std::string& output);
// qpdf's JSON view of the file, reduced to one line per object ("N <<...>>", streams as
// "N stream <<...>>") and a last line for the trailer; dates read "*".
std::string QpdfObjects(const std::string& fileName);

}  // namespace pdf::test

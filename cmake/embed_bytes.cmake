# cmake -DINPUT=FILE -DOUTPUT=FILE.cpp -DNAMESPACE=NS -DNAME=FUNCTION -P embed_bytes.cmake
# Writes a C++ source whose function NS::NAME() returns the input file's bytes.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Generated from ${INPUT} by cmake/embed_bytes.cmake.\n#include <cstdint>\n#include <span>\n\n"
  "namespace ${NAMESPACE} {\n\nnamespace {\nconst uint8_t Bytes[${size} + 1] = {\n${bytes}0};\n}  // namespace\n\n"
  "std::span<const uint8_t> ${NAME}() { return {Bytes, ${size}}; }\n\n}  // namespace ${NAMESPACE}\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)

# Writes the bytes of INPUT as a C++ array named NAME into OUTPUT: the page's text
# reaches the program untouched by the compiler's execution character set.
#   cmake -DINPUT=... -DOUTPUT=... -DNAME=... -P embed.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('\\\\x..',){24})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Generated from ${INPUT} by embed.cmake.\n#include <cstddef>\n"
  "namespace Vantorn {\nextern const char ${NAME}[] = {\n${bytes}};\n"
  "extern const std::size_t ${NAME}Size = ${size};\n}\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)

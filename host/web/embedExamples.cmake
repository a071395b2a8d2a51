# Writes OUTPUT, a C++ file that holds the example scripts given in EXAMPLES
# (a list of paths) as examples.h declares them.
set(arrays "")
set(table "")
set(n 0)
foreach(path IN LISTS EXAMPLES)
  file(READ ${path} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  get_filename_component(name ${path} NAME)
  string(APPEND arrays "const char example${n}[] = {${bytes}};\n")
  string(APPEND table "    {\"${name}\", example${n}, sizeof example${n}},\n")
  math(EXPR n "${n} + 1")
endforeach()
file(WRITE ${OUTPUT}.new "// Generated at build time from the example scripts; edit those instead.
#include \"host/web/examples.h\"

namespace korvel::web {
namespace {

${arrays}
} // namespace

const Example examples[] = {
${table}};
const size_t exampleCount = ${n};

} // namespace korvel::web
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)

# Turns a resource text into a C source of the tables in ResourceTable.h.
# Input lines: "# comment", "Translation=<language hex> <code page hex>",
# "<identifier>=<text>" for the string table, "<name>=<text>" for a version string.
# Run as: cmake -DINPUT=... -DOUTPUT=... -P GenerateResources.cmake
file(STRINGS ${INPUT} lines ENCODING UTF-8)
set(language 0409)
set(codepage 04b0)
set(strings)
set(versions)
foreach(line IN LISTS lines)
  if(line MATCHES "^#" OR NOT line MATCHES "=")
    continue()
  endif()
  string(FIND "${line}" "=" eq)
  string(SUBSTRING "${line}" 0 ${eq} key)
  math(EXPR start "${eq} + 1")
  string(SUBSTRING "${line}" ${start} -1 text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  if(key STREQUAL "Translation")
    separate_arguments(pair UNIX_COMMAND "${text}")
    list(GET pair 0 language)
    list(GET pair 1 codepage)
  elseif(key MATCHES "^[0-9]+$")
    # Zero-padded so that sorting the texts sorts the identifiers.
    string(LENGTH "${key}" width)
    math(EXPR pad "10 - ${width}")
    string(REPEAT "0" ${pad} zeros)
    list(APPEND strings "${zeros}${key}|${text}")
  else()
    string(APPEND versions "    \"${key}\", \"${text}\",\n")
  endif()
endforeach()
list(SORT strings)
set(table "")
list(LENGTH strings count)
foreach(entry IN LISTS strings)
  string(FIND "${entry}" "|" bar)
  string(SUBSTRING "${entry}" 0 ${bar} id)
  math(EXPR start "${bar} + 1")
  string(SUBSTRING "${entry}" ${start} -1 text)
  math(EXPR id "${id}")
  string(APPEND table "    {${id}u, \"${text}\"},\n")
endforeach()
if(count EQUAL 0)
  set(table "    {0u, 0},\n")
endif()
file(WRITE ${OUTPUT}.tmp "/* Generated from ${INPUT}. */
#include \"platform/reslib/ResourceTable.h\"
#define EXPORT __attribute__((visibility(\"default\")))
EXPORT const struct VxResourceString vxResourceStrings[] = {
${table}};
EXPORT const uint32_t vxResourceStringCount = ${count}u;
static const char* const versionStrings[] = {
${versions}    0};
EXPORT const struct VxVersionInfo vxVersionInfo = {0x${language}, 0x${codepage}, versionStrings};
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)

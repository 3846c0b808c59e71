# Turns a data file into a C++ source that holds its bytes, so that the tool carries its
# defaults with it and an installed binary needs no data directory.
# Usage: cmake -DINPUT=file -DOUTPUT=source.cpp -DHEADER=header.hpp -DFUNCTION=name
#        -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
if(hex_length EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Keep the generated lines short enough for editors and diff tools.
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT} by embed_file.cmake; do not edit.
#include \"${HEADER}\"

namespace vornmac::tool {
namespace {
constexpr unsigned char bytes[] = {
${bytes}};
} // namespace

std::string_view ${FUNCTION}() {
    return {reinterpret_cast<const char *>(bytes), sizeof bytes};
}

} // namespace vornmac::tool
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")

// How the tool names a source of program text in error lines and trace lines: the main
// program as the command line gave it (its file name, -e or -), an included file by its
// name, a macro body as %NAME, a variable's text as &NAME. A name loses the white space
// that followed it in the program (a macro's name keeps it in the library's records).
#pragma once
#include <string>
#include <string_view>

namespace vornmac::tool {

enum class SourceKind { main_program, file, macro, variable };

std::string source_label(const std::string &program_label, SourceKind kind, std::string_view name);

} // namespace vornmac::tool

// How the tool names a source of program text in error lines and trace lines: the main
// program as the command line gave it (its file name, -e or -), an included file by its
// name, a macro body as %NAME, a variable's text as &NAME. A name loses the white space
// that followed it in the program (a macro's name keeps it in the library's records).
//
// The source at the bottom of the input is the main program, unless a %goto went on in
// another file: that file is named by its own name, as the library opened it.
//
// The library counts lines and columns in 16 bits, so past 32767 they come as negative
// numbers; shown_position reads them as the unsigned counts they are (exact up to 65535).
#pragma once
#include <string>
#include <string_view>

namespace vornmac::tool {

int shown_position(int position);

enum class SourceKind { file, macro, variable, program_text };

class SourceNames {
  public:
    // `main_program_file`: the name the library opened the main program under, "" when
    // it is text or the terminal.
    SourceNames(std::string program_label, std::string_view main_program_file);

    // `name` is "" for the terminal.
    std::string label(SourceKind kind, std::string_view name, bool bottom) const;

  private:
    std::string program_label_;
    std::string main_program_file_; // white space as blanks, as the library's trace has it
};

} // namespace vornmac::tool

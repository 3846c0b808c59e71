// %mactable and %macprint: listings of the definition file on the put file. %mactable
// writes one summary line per macro (display name padded to 50 columns, date and time of
// definition); %macprint adds the label, the parameters and the body. Lines end in CR LF.
#pragma once
#include "macro/library_format.hpp"

#include <cstdint>
#include <string>

namespace vornmac {

class BufferedFile;
class ParserContext;

// The name as shown: quoting markers resolved, white space as blanks, exactly 50 columns.
std::string display_name(const std::string &name);
// "NAME    M/ D/YYYY: H. M", the numbers at least two wide.
std::string summary_line(const maclib::MacroRecord &record);
// The summary line; with the label, also the label and parameter lines and an empty line.
void list_macro_line(BufferedFile &out, const maclib::MacroRecord &record, bool with_label);
// The full listing of one macro: list_macro_line with the label, then the body read from
// `file` (end marker left out), two line ends, and a flush.
void print_macro(BufferedFile &out, const maclib::LibraryFile &file,
                 const maclib::MacroRecord &record);

void mactable_statement(ParserContext &context, int16_t index);
void macprint_statement(ParserContext &context, int16_t index);

} // namespace vornmac

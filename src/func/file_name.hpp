// File names taken from program text. The original platform ignored white space at the end
// of a file name, and program text often has some there (`%file out.txt ;`), so it is
// dropped before a name reaches this system's file calls or `_file`.
#pragma once
#include <string>

namespace vornmac {

std::string file_name_from_text(std::string text);

} // namespace vornmac

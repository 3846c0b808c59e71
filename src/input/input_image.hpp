// An input slot as the variable file keeps it: the packed 33-byte little-endian image
// (handle, offset, length, line, column, kind, level, end blanks, two name addresses that
// mean nothing in a file, the read buffer, the buffer position) and its two names.
#pragma once
#include "input/input_source.hpp"
#include "vars/variable_file.hpp"

namespace vornmac {

SavedInputRecord image_of(const InputSource &source);
InputSource source_from_image(const SavedInputRecord &record);

} // namespace vornmac

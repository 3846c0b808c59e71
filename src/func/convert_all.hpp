// %convertall(pattern, input-extension, output-directory, output-extension); pushes, as
// the input to read next, a loop that lists the pattern's files without their extensions
// and emits for each one `compute` step of the host's command language:
//
//   %let _directory_list = %dirlist(PATTERN,|,1);%do _dir_num = 1 %to ...;%let _dir_dbs = ...;
//   compute;
//   in=^DIRECTORY/&_dir_dbs..INEXT^
//       out=^OUTDIR/&_dir_dbs..OUTEXT^;
//   run;
//   %end;
//
// DIRECTORY is the pattern without its last component. The extensions are single tokens,
// taken as scanned; the output directory is made plain (quoting markers dropped, quoted
// characters restored); "/" joins directory and name. The ";" after the ")" is not read
// here: it follows the generated text.
#pragma once
#include <cstdint>
#include <string>

namespace vornmac {

class ParserContext;

void convertall_statement(ParserContext &context, int16_t index);

struct ConversionRequest {
    std::string pattern;
    std::string input_extension;
    std::string output_directory;
    std::string output_extension;
};

std::string conversion_loop_text(const ConversionRequest &request);

} // namespace vornmac

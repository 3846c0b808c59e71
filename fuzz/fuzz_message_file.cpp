// Any bytes as the error message file. The search reads them through readers that hand
// over a few bytes at a time (so lines and CR LF pairs straddle every refill), every entry
// found is formatted with text and integer arguments in every order a raising site may
// give them, and with none, and a program then runs and raises errors of its own through
// a parser that logs them. Every message is found or reported missing, formatted without
// reading past its arguments, never a crash or a hang.
#include "error/message_file.hpp"
#include "error/message_format.hpp"
#include "fuzz_host.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

// A fresh variable file for each input: a program may save variables into it.
void write_home(const uint8_t *data, size_t size) {
    const std::string &home = fuzz_host::scratch_home();
    std::ofstream(home + "fuzz.msg", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    const char *names[] = {"_errorfile", "_errorlog"};
    const char *values[] = {"fuzz.msg", "yes"};
    vornmac_write_variable_file((home + "vorn_opt.dat").c_str(), 2, names, values);
}

// Looks up `numbers`, `piece` bytes per read, and gives the entries it found.
std::vector<std::string> search_in_pieces(const uint8_t *data, size_t size, int32_t piece,
                                          std::initializer_list<int16_t> numbers) {
    std::vector<std::string> formats;
    for (const int16_t number : numbers) {
        size_t at = 0;
        const vornmac::ReadBytes read = [&](char *buffer, int32_t count) {
            const size_t n =
                std::min({size - at, static_cast<size_t>(count), static_cast<size_t>(piece)});
            std::memcpy(buffer, data + at, n);
            at += n;
            return static_cast<int32_t>(n);
        };
        if (const auto line = vornmac::find_message(read, number)) formats.push_back(line->format);
    }
    return formats;
}

// Typed arguments as raising sites give them: texts, integers, mixed, none. The reporter
// formats an entry so once it has found it; finding each anew would only read the file
// again.
void format_with_arguments(const std::vector<std::string> &formats) {
    using vornmac::ErrorArg;
    const std::vector<std::vector<ErrorArg>> argument_sets = {
        {},
        {"name"},
        {"%macinstall", 7, 8},
        {-32768, "a text with %s and %d in it", 2147483647L},
        {"", "", "", "", ""},
    };
    for (const std::string &format : formats)
        for (const auto &arguments : argument_sets)
            (void)vornmac::format_message(format, arguments);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // A number the file names and a few it may not. One byte a read is the slowest reader
    // there is: its one search that reads the whole file meets every boundary there is.
    const std::initializer_list<int16_t> numbers = {2076, 32000, -1};
    (void)search_in_pieces(data, size, 1, {-1});
    (void)search_in_pieces(data, size, 7, numbers);
    format_with_arguments(search_in_pieces(data, size, 4096, numbers));
    write_home(data, size);
    const std::string &home = fuzz_host::scratch_home();
    const std::string options = home + "vorn_opt.dat";
    // Errors of the program itself: an unknown reference, a slot outside 1-7, a missing ).
    const char *program = "&nosuch. %macinstall 9 x; %eval((1+2); %substr(a;\n";
    parser_context *ctx =
        init_parser(nullptr, 0, nullptr, program, home.c_str(), VORNMAC_OPTIONS_TAG,
                    options.c_str(), VORNMAC_LOG_TAG, "/dev/null");
    if (ctx == nullptr) return 0;
    fuzz_host::run_to_end(ctx);
    finish_parser(ctx, 2);
    return 0;
}

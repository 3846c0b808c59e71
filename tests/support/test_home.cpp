#include "support/test_home.hpp"

#include "host/parser_context.hpp"
#include "support/fast_paths.hpp"
#include "vornmac/vornmac.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vornmac::testing {

const char *const test_messages = "42 1 missing ) in an expression\n"
                                  "159 3 cannot open log %s\n"
                                  "160 1 cannot open program file %s\n"
                                  "162 1 sys_ must be followed by c\n"
                                  "163 1 sys_c must be followed by 1 to 5\n"
                                  "172 3 cannot reopen %s\n"
                                  "173 4 input exhausted\n"
                                  "2009 1 no macro %s\n"
                                  "2010 1 %s needs ( but found %s\n"
                                  "2011 1 %s needs ) but found %s\n"
                                  "2021 1 undefined variable %s\n"
                                  "2033 1 = expected but found %s\n"
                                  "2034 1 , or ) expected but found %s\n"
                                  "2039 1 not a number: %s\n"
                                  "2040 1 not a number literal: %s\n"
                                  "2042 3 cannot %s %s\n"
                                  "4504 3 cannot find program %s\n"
                                  "4604 1 nesting too deep at %s\n"
                                  "4608 3 program text of %d\n"
                                  "4609 1 reference cycle at %s after %d\n"
                                  "4610 3 program file %s too large\n"
                                  "4622 3 Variable %s at level %d is not saved\n"
                                  "4630 1 division fault %d %s %d\n"
                                  "4631 3 %s: text too long\n"
                                  "4641 3 if nested too deep\n"
                                  "4642 3 nested deeper than %d\n"
                                  "4643 3 expression nested deeper than %d\n"
                                  "4680 1 The input ended inside %s before its %s\n"
                                  "4681 1 The input ended in the middle of %s, which is lost\n"
                                  "7000 5 host says %s and %d\n"
                                  "7001 5 host gives %x then %s, %5.2s and %ld\n"
                                  "32000 0 end\n";

TestHome::TestHome(const Options &options) {
    char pattern[] = "/tmp/vornmac_test_XXXXXX";
    if (mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
    dir_ = std::string(pattern) + "/";
    std::vector<const char *> names{"_errorfile"};
    std::vector<const char *> values{"test.msg"};
    for (const auto &[name, value] : options) {
        names.push_back(name.c_str());
        values.push_back(value.c_str());
    }
    if (vornmac_write_variable_file(options_file().c_str(), static_cast<int>(names.size()),
                                    names.data(), values.data()) != 0)
        throw std::runtime_error("cannot write the variable file");
    write("test.msg", test_messages);
}

TestHome::~TestHome() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

parser_context *TestHome::create(const char *file, const char *text) const {
    const std::string options = options_file();
    parser_context *ctx = init_parser(file, 0, nullptr, text, dir_.c_str(), VORNMAC_OPTIONS_TAG,
                                      options.c_str(), 0, nullptr);
    use_test_fast_paths(ctx);
    return ctx;
}

void use_test_fast_paths(parser_context *ctx) {
    if (ctx != nullptr)
        static_cast<ParserContext *>(ctx)->input.fast_paths = new_context_fast_paths;
}

void TestHome::write(const std::string &name, const std::string &bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
}

std::string TestHome::read(const std::string &name) const {
    std::ifstream in(path(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace vornmac::testing

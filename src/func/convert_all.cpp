#include "func/convert_all.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"
#include "input/argument_list.hpp"
#include "input/quoting_bytes.hpp"

namespace vornmac {

namespace {
constexpr const char *label = "Convertall";
constexpr const char *too_few_text = "insufficent number of parameters on %convertall";

// A token as next_token delivers it: a quoting marker is dropped, a quoted character
// becomes the character it stands for.
std::string plain_token(const char *token) {
    const auto first = static_cast<unsigned char>(token[0]);
    if (first == marker_byte) return "";
    const char quoted =
        first == quoted_byte ? quoted_character(static_cast<unsigned char>(token[1])) : '\0';
    return quoted != '\0' ? quoted + std::string(token + 2) : std::string(token);
}

// The pattern up to its last directory separator; a pattern without one stays whole.
std::string directory_part(const std::string &pattern) {
    const size_t separator = pattern.find_last_of("\\/");
    return separator == std::string::npos ? pattern : pattern.substr(0, separator);
}

// The ending of an argument other than the last: a ")" there means arguments are missing.
void expect_more(ParserContext &context, ArgumentList &list) {
    if (list.ended())
        context.errors.raise(error::too_few_arguments, {too_few_text});
    else
        advance(context);
}
} // namespace

std::string conversion_loop_text(const ConversionRequest &request) {
    return "%let _directory_list = %dirlist(" + request.pattern + ",|,1);" +
           "%do _dir_num = 1 %to %indexvarcount(_directory_list);" +
           "%let _dir_dbs = %scanvar(_directory_list,&_dir_num,|);" + "\ncompute;\nin=^" +
           directory_part(request.pattern) + "/&_dir_dbs.." + request.input_extension +
           "^\n    out=^" + request.output_directory + "/&_dir_dbs.." + request.output_extension +
           "^;\nrun;\n%end;\n";
}

void convertall_statement(ParserContext &context, int16_t) {
    ArgumentList list(context, error::open_parenthesis_expected, label,
                      ArgumentList::Start::found_token_first, {1});
    ConversionRequest request;
    request.pattern = list.collect(TokenForm::cleaned, false);
    expect_more(context, list);

    request.input_extension = token_text(context);
    advance(context);
    if (token_begins_with(context, ','))
        advance(context);
    else
        context.errors.raise(error::too_few_arguments, {too_few_text});

    list.each_token(false,
                    [&](const char *token) { request.output_directory += plain_token(token); });
    expect_more(context, list);

    request.output_extension = token_text(context);
    advance(context);
    if (!list.ended())
        context.errors.raise(error::parenthesis_missing, {label, token_text(context)});
    list.deliver(conversion_loop_text(request));
}

} // namespace vornmac

#include "stmt/statement_text.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"

#include <memory>
#include <string>

namespace vornmac {

StatementText::StatementText(ParserContext &context)
    : context_(context), chain_(context.segments) {}

void StatementText::append(const char *text) {
    if (overflowed_) return;
    overflowed_ = !chain_.append(text);
}

bool StatementText::report_overflow(const char *keyword) {
    if (!overflowed_) return false;
    const std::string label = std::string("%") + keyword;
    context_.errors.raise(error::text_too_long, {label.c_str()});
    return true;
}

void StatementText::store(int16_t level, const char *name) {
    BlockPool &pool = context_.pool;
    const auto release = [&pool](char *block) { pool.free(block); };
    const std::unique_ptr<char, decltype(release)> joined(chain_.flatten(), release);
    context_.vars.save(level, name, joined.get());
}

void StatementText::push(SourcePosition at, int16_t end_blanks) {
    InputStack &in = context_.input;
    in.reread_text(in.top, &chain_, end_blanks, at.line, at.column, "");
}

void push_text_back(ParserContext &context, const char *text, SourcePosition at) {
    InputStack &in = context.input;
    in.reread_text(in.top, nullptr, 0, at.line, at.column, text);
}

} // namespace vornmac

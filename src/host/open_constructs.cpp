#include "host/open_constructs.hpp"

#include "host/parser_context.hpp"
#include "vars/name_compare.hpp"

#include <limits>
#include <string_view>

namespace vornmac {

OpenAt OpenAt::trigger(const ParserContext &context) {
    // The trigger is noted once it has been read, so the column counts it: the construct
    // begins one character before, where an error raised at the trigger points.
    const InputStack &in = context.input;
    return {in.trigger.top, in.trigger.line, static_cast<int16_t>(in.trigger.column - 1)};
}

OpenAt OpenAt::token(const ParserContext &context) {
    const Scanner &scanner = context.scanner;
    return {scanner.token_start_top, scanner.token_start_line, scanner.token_start_column};
}

OpenConstruct::OpenConstruct(ParserContext &context, OpenAt at, const char *prefix,
                             const char *name, const char *suffix, const char *closing)
    : context_(context), outer_(context.open_constructs.innermost_), prefix_(prefix), name_(name),
      suffix_(suffix), closing_(closing), at_(at) {
    context.open_constructs.innermost_ = this;
}

OpenConstruct::~OpenConstruct() {
    context_.open_constructs.innermost_ = outer_;
}

void OpenConstructs::name_sources_above(const InputStack &in, int16_t top) {
    for (OpenConstruct *open = innermost_; open != nullptr; open = open->outer_)
        if (!open->began_ && open->at_.top > top)
            open->began_ = source_place(in, open->at_.top, open->at_.line, open->at_.column);
}

void OpenConstructs::input_ended(const ParserContext &context) {
    at_end_.clear();
    name_sources_above(context.input, std::numeric_limits<int16_t>::min()); // every one left
    const Scanner &scanner = context.scanner;
    const std::string token = without_trailing_white(
        std::string(scanner.next_token_text, static_cast<size_t>(scanner.next_length)));
    bool only_names = true;
    bool innermost = true;
    for (const OpenConstruct *open = innermost_; open != nullptr; open = open->outer_) {
        if (open->settled_) continue;
        const char *closing = open->closing_;
        if (closing != nullptr) {
            only_names = false;
            // The token being scanned closes it: the input ended in the white space after
            // its ";", ")" or "]". A statement is then complete; a function's result or a
            // macro's body, which would have come after, is lost.
            const bool closed_by_token = innermost && !token.empty() && token == closing;
            innermost = false;
            if (closed_by_token && *open->suffix_ == '\0') continue;
            if (closed_by_token) closing = nullptr;
        }
        at_end_.push_back(
            {without_trailing_white(std::string(open->prefix_) + open->name_) + open->suffix_,
             closing != nullptr ? closing : "", *open->began_});
    }
    // Text being scanned into a token is lost with it, unless it belongs to a construct
    // that is reported for itself (a statement reading its words).
    if (only_names && !token.empty()) {
        const OpenAt at = OpenAt::token(context);
        at_end_.push_back({token, "", source_place(context.input, at.top, at.line, at.column)});
    }
}

OpenConstructs::Expecting::Expecting(ParserContext &context, const char *closing)
    : construct_(context.open_constructs.innermost_),
      held_(construct_ != nullptr ? construct_->closing_ : nullptr) {
    if (construct_ != nullptr) construct_->closing_ = closing;
}

OpenConstructs::Expecting::~Expecting() {
    if (construct_ != nullptr) construct_->closing_ = held_;
}

OpenConstructs::Settled::Settled(ParserContext &context)
    : construct_(context.open_constructs.innermost_) {
    if (construct_ == nullptr) return;
    held_ = construct_->settled_;
    construct_->settled_ = true;
}

OpenConstructs::Settled::~Settled() {
    if (construct_ != nullptr) construct_->settled_ = held_;
}

} // namespace vornmac

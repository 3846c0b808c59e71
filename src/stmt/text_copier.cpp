#include "stmt/text_copier.hpp"

#include "error/error_numbers.hpp"
#include "host/open_constructs.hpp"
#include "host/parser_context.hpp"
#include "input/quoting_bytes.hpp"
#include "stmt/keyword_table.hpp"

#include <optional>
#include <string>

namespace vornmac {

namespace {
// ")" and a marker token, which no operator begins with: evaluation stops there.
constexpr char condition_end[] = {')', marker_byte, 1, '\0'};
constexpr char loop_rewind[] = "%doend## ";
} // namespace

bool opens_block(const char *word) {
    return is_word(word, "do") || is_word(word, "dowhile") || is_word(word, "case") ||
           is_word(word, "otherwise") || is_word(word, "switch");
}

const char *TextCopier::block_name(const char *word) const {
    for (const char *name : {"case", "otherwise", "switch"})
        if (is_word(word, name)) return name;
    return "do"; // a loop's %dowhile header stands for the %do %while the program wrote
}

void TextCopier::append(CopyMode mode, const char *text) {
    if (mode != CopyMode::skip) out_.append(text);
}

void TextCopier::append_word(CopyMode mode, const char *word) {
    append(mode, "%");
    append(mode, word);
}

void TextCopier::start_branch() {
    branch_start_ =
        begins_with(statement_token(context_), '%') ? BranchStart::percent : BranchStart::text;
}

const char *TextCopier::branch_terminator() const {
    return branch_start_ != BranchStart::text ? ";" : " ";
}

void TextCopier::note_first_word(const char *word) {
    if (branch_start_ != BranchStart::percent) return;
    branch_start_ = keyword_statement_flag(word) ? BranchStart::statement : BranchStart::text;
}

void TextCopier::statement(CopyMode mode, bool in_branch) {
    while (!begins_with(statement_token(context_), ';')) {
        const char *token = statement_token(context_);
        if (begins_with(token, '(')) {
            parenthesised(mode);
        } else if (begins_with(token, '%')) {
            const OpenAt percent = OpenAt::token(context_);
            const char *word = take_token(context_);
            note_first_word(word);
            if (opens_block(word)) {
                // A loop's body is its %do's own: the loop statement expects the %end.
                std::optional<OpenConstruct> open;
                if (mode != CopyMode::loop_body && guards_blocks_)
                    open.emplace(context_, percent, "%", block_name(word), "", "%end");
                block(mode, in_branch);
                return;
            }
            if (is_word(word, "if")) {
                nested_if(mode);
                return;
            }
            append_word(mode, word);
            take_token(context_);
        } else {
            append(mode, token);
            take_token(context_);
        }
    }
}

void TextCopier::parenthesised(CopyMode mode) {
    int depth = 0;
    do {
        const char *token = statement_token(context_);
        if (begins_with(token, '('))
            ++depth;
        else if (begins_with(token, ')'))
            --depth;
        append(mode, token);
        take_token(context_);
    } while (depth != 0);
}

void TextCopier::nested_if(CopyMode mode) {
    // Nested %if statements are copied recursively: one level each, counted across copiers.
    const NestingLevel level(context_.nesting.copied_if);
    if (level.beyond(NestingDepths::copied_if_bound)) {
        // Too deep to follow: the rest of the statement is read as ordinary text.
        context_.errors.raise(error::if_too_deep);
        take_token(context_);
        return;
    }
    append(mode, "%if ");
    take_token(context_);
    statement(mode, true);
    const SourcePosition at = current_position(context_);
    // The nested statement is complete: what follows is read only to see whether it is
    // %else, and the branch being copied is lost should the input end there.
    std::optional<OpenConstructs::Settled> settled;
    std::optional<OpenConstructs::Expecting> branch_lost;
    if (mode == CopyMode::skip)
        settled.emplace(context_);
    else
        branch_lost.emplace(context_, nullptr);
    const char *token = take_token(context_);
    std::string handed_back = token;
    if (is_lone(token, '%')) {
        const char *word = take_token(context_);
        if (is_word(word, "else")) {
            settled.reset();
            branch_lost.reset();
            append(mode, ";%else ");
            take_token(context_);
            statement(mode, true);
            return;
        }
        handed_back = std::string("%") + word;
    }
    push_text_back(context_, handed_back.c_str(), at);
}

void TextCopier::block(CopyMode mode, bool in_branch) {
    int depth = 0;
    const char *word = statement_token(context_);
    for (;;) {
        if (opens_block(word)) {
            append_word(mode, word);
            const char *token;
            do {
                token = take_token(context_);
                append(mode, token);
            } while (!begins_with(token, ';'));
            ++depth;
        } else if (is_word(word, "end")) {
            --depth;
            std::optional<OpenConstructs::Expecting> closing;
            if (depth == 0) closing.emplace(context_, ";");
            const char *token = take_token(context_);
            if (!begins_with(token, ';'))
                context_.errors.raise(error::semicolon_expected, {"%End", token});
            if (mode == CopyMode::copy || (mode != CopyMode::skip && depth != 0))
                out_.append(in_branch && depth == 0 ? "%end " : "%end; ");
            if (mode == CopyMode::loop_body && depth == 0) out_.append(loop_rewind);
            if (depth == 0) return;
        } else if (is_word(word, "doend")) {
            --depth;
            take_token(context_);
            append(mode, loop_rewind);
            if (depth == 0) return;
        } else {
            append_word(mode, word);
        }
        // On to the next word after `%`, copying what stands between.
        for (;;) {
            const char *token = take_token(context_);
            if (begins_with(token, '%')) break;
            append(mode, token);
        }
        word = take_token(context_);
    }
}

CollectedCondition collect_condition(ParserContext &context, StatementText &out, const char *word,
                                     bool stop_at_semicolon) {
    out.append("(");
    for (;;) {
        const char *token = take_token(context);
        if (stop_at_semicolon && begins_with(token, ';')) {
            out.append(condition_end);
            return {true};
        }
        if (begins_with(token, '%')) {
            const char *after = take_token(context);
            if (is_word(after, word)) break;
            out.append("%");
            out.append(after);
        } else {
            out.append(token);
        }
    }
    out.append(condition_end);
    return {false};
}

} // namespace vornmac

#include "input/tokens_in_view.hpp"

namespace vornmac {

[[gnu::always_inline]] inline bool TokensInView::open_view() {
    const InputStack &in = context_.input;
    if (!in.fast_paths.tokens_in_view) return false;
    const std::string_view ready = in.ready();
    if (ready.empty()) return false;
    start_ = at_ = ready.data();
    end_ = ready.data() + ready.size();
    return true;
}

[[gnu::always_inline]] inline bool TokensInView::take_in_view() {
    const std::string_view rest(at_, static_cast<size_t>(end_ - at_));
    PlainToken token;
    if (!plain_token(rest, 0, token)) return false;
    if (token.ends_line || rest[0] == '\n') return false;
    Scanner &scanner = context_.scanner;
    store_token_text(rest, token.length, scanner.next_token_text, context_.flags.upper_case);
    scanner.next_length = static_cast<int16_t>(token.length);
    last_ = at_;
    last_read_after_ = token.read_after;
    at_ += token.length;
    return true;
}

void TokensInView::take_in_view_or_scan() {
    if (at_ == nullptr) {
        if (!open_view()) {
            scan();
            return;
        }
        if (end_ - at_ >= 2 && take_single()) return;
    }
    // take_single has refused the token where a view was open already.
    if (!take_in_view()) scan();
}

// As the takes of each token would leave them: begin_token of the last one where the tokens
// before it ended (none held a line feed), the characters of all of them taken, and the
// character after the last one read when that ended it.
void TokensInView::settle_taken() {
    InputStack &in = context_.input;
    Scanner &scanner = context_.scanner;
    scanner.token_start_column = static_cast<int16_t>(in.live.column + (last_ - start_));
    scanner.token_start_line = in.live.line;
    scanner.token_start_top = in.top;
    in.take(static_cast<size_t>(at_ - start_));
    if (last_read_after_) in.ch = static_cast<unsigned char>(*at_);
    in.token_completed();
}

void TokensInView::scan() {
    settle();
    context_.scanner.scan_token(0, 0);
}

} // namespace vornmac

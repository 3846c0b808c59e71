#include "host/tracer.hpp"

#include "error/error_numbers.hpp"
#include "host/open_constructs.hpp"
#include "host/parser_context.hpp"
#include "input/quoting_bytes.hpp"

#include <algorithm>
#include <exception>
#include <string_view>

namespace vornmac {

TracedAction::TracedAction(ParserContext &context, int kind, std::string name)
    : context_(context), outer_(context.trace.innermost_), kind_(kind),
      name_(without_trailing_white(std::move(name))), raised_before_(context.errors.raised_count()),
      unwinding_before_(std::uncaught_exceptions()) {
    const InputStack &in = context.input;
    depth_ = static_cast<int16_t>(std::max<int16_t>(in.trigger.top, 0) + context.trace.open_);
    // Where the "%" or "&" stood, as error messages and the open constructs count it.
    const OpenAt at = OpenAt::trigger(context);
    place_ = source_place(in, at.top, at.line, at.column);
    context.trace.innermost_ = this;
    ++context.trace.open_;
}

TracedAction::~TracedAction() {
    Tracer &tracer = context_.trace;
    tracer.innermost_ = outer_;
    --tracer.open_;
    int error_number = 0;
    if (context_.errors.raised_count() != raised_before_)
        error_number = context_.errors.last_number();
    else if (std::uncaught_exceptions() > unwinding_before_)
        error_number = error::end_of_input; // only the input running out leaves without an error
    if (!tracer.on()) return;
    try {
        tracer.report(*this, error_number);
    } catch (...) {
        // An event that cannot be built (or a callback that throws) must not end the scan.
    }
}

void Tracer::note_text(std::string_view text) {
    if (innermost_ != nullptr) innermost_->text_ = std::string(text);
}

void Tracer::note_argument(const std::string &name, const std::string &value) {
    if (innermost_ == nullptr) return;
    innermost_->argument_names_.push_back(without_trailing_white(name));
    innermost_->argument_values_.push_back(without_markers(value));
}

void Tracer::rename_innermost(std::string name) {
    if (innermost_ != nullptr) innermost_->name_ = without_trailing_white(std::move(name));
}

void Tracer::report(const TracedAction &action, int error) {
    std::optional<std::string> text;
    if (action.text_) text = without_markers(*action.text_);
    std::vector<const char *> names;
    std::vector<const char *> values;
    for (size_t i = 0; i < action.argument_names_.size(); ++i) {
        names.push_back(action.argument_names_[i].c_str());
        values.push_back(action.argument_values_[i].c_str());
    }
    const vornmac_trace_event event{action.kind_,
                                    action.name_.c_str(),
                                    action.place_.kind,
                                    action.place_.name.c_str(),
                                    action.place_.index,
                                    action.place_.line,
                                    action.place_.column,
                                    action.depth_,
                                    text ? text->c_str() : nullptr,
                                    text ? text->size() : 0,
                                    static_cast<int>(names.size()),
                                    names.data(),
                                    values.data(),
                                    error};
    struct InCallback {
        bool &flag;
        explicit InCallback(bool &f) : flag(f) { flag = true; }
        ~InCallback() { flag = false; }
    } const running(in_callback_);
    callback_(user_, &event);
}

} // namespace vornmac

// Tracing for the host that registered a callback with vornmac_set_trace. Each action
// that reads from the input (a keyword's handler, a macro call, a command variable, an
// &name reference) runs inside a TracedAction, which the hook sites open only while a
// callback is set: with tracing off each site costs one branch on a null pointer.
//
// Protocol. Actions nest as the handlers that run them do; the innermost open action is
// the one the input stack tells (`note_text`) about each text it pushes, and the last text
// pushed is what the action handed back. When the action is
// over, also when an error cuts it short, its event goes to the callback. While the
// callback runs, the exported operations that would change the context refuse to work
// (`in_callback`), so no callback can disturb the scan it is called from.
#pragma once
#include "host/source_place.hpp"
#include "vornmac/vornmac.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornmac {

class ParserContext;
class Tracer;

class TracedAction {
  public:
    TracedAction(ParserContext &context, int kind, std::string name);
    ~TracedAction();
    TracedAction(const TracedAction &) = delete;
    TracedAction &operator=(const TracedAction &) = delete;

  private:
    friend class Tracer;

    ParserContext &context_;
    TracedAction *outer_;
    int kind_;
    std::string name_;
    SourcePlace place_;
    int16_t depth_ = 0;
    std::optional<std::string> text_;
    std::vector<std::string> argument_names_;
    std::vector<std::string> argument_values_;
    int raised_before_;
    int unwinding_before_;
};

class Tracer {
  public:
    bool on() const { return callback_ != nullptr; }
    void set(vornmac_trace_callback callback, void *user) {
        callback_ = callback;
        user_ = user;
    }
    bool in_callback() const { return in_callback_; }

    // What the innermost action handed back: a text (a macro's body among them).
    void note_text(std::string_view text);
    void note_argument(const std::string &name, const std::string &value);
    void rename_innermost(std::string name);

    // Keeps what is pushed while it lives (a line typed at the terminal) from counting as
    // the product of the action that happens to be reading.
    class Detached {
      public:
        explicit Detached(Tracer &tracer) : tracer_(tracer), held_(tracer.innermost_) {
            tracer_.innermost_ = nullptr;
        }
        ~Detached() { tracer_.innermost_ = held_; }
        Detached(const Detached &) = delete;
        Detached &operator=(const Detached &) = delete;

      private:
        Tracer &tracer_;
        TracedAction *held_;
    };

  private:
    friend class TracedAction;
    void report(const TracedAction &action, int error);

    vornmac_trace_callback callback_ = nullptr;
    void *user_ = nullptr;
    TracedAction *innermost_ = nullptr;
    int16_t open_ = 0;
    bool in_callback_ = false;
};

// Runs `work` as one traced action while tracing is on; otherwise just runs it. Context is
// the ParserContext (a parameter here, so that this header need not know it).
template <typename Context, typename Work>
void run_traced(Context &context, int kind, const char *name, Work &&work) {
    if (context.trace.on()) [[unlikely]] {
        const TracedAction action(context, kind, name);
        work();
        return;
    }
    work();
}

} // namespace vornmac

// What was still open when the input ran out. A program whose %do has no %end, whose
// comment or argument list is not closed, or whose last reference is cut off by the end of
// the input ends there without an error of its own: the input running out is how every
// program ends (error 173). So that hosts can still tell the user, each construct that
// can swallow the rest of a program is read inside an OpenConstruct, and when the input
// runs out (`input_ended`, called by the input stack) the constructs open at that moment
// are kept, innermost first, with the text that was being scanned when it is cut off.
//
// Protocol. An OpenConstruct lives exactly as long as its construct is being read; it
// notes where the construct began when it is made. Constructs nest as the handlers that
// read them do. A construct whose own text is complete but which reads one token ahead
// (%if looking for %else) is `settled` while it does when running out there loses nothing,
// or expects no closing (null: what it would hand back is lost) when it does. Nothing here
// changes what the library reads or hands over.
#pragma once
#include "host/source_place.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornmac {

class InputStack;
class ParserContext;

// One construct open at the end of the input.
struct OpenRecord {
    std::string construct; // "%do", "%upcase(", "/*", "&name" ...
    std::string closing;   // what was missing ("%end", ")", "*/"); empty for cut-off text
    SourcePlace began;
};

// Where a construct begins, by slot, line and column; its source is named when the
// construct is opened.
struct OpenAt {
    int16_t top;
    int16_t line;
    int16_t column;

    // At the "%" or "&" just read.
    static OpenAt trigger(const ParserContext &context);
    // At the start of the token just scanned.
    static OpenAt token(const ParserContext &context);
};

class OpenConstruct {
  public:
    // `prefix` + `name` + `suffix` name the construct; `closing` is what ends it, null for
    // text that is lost when the input ends inside it (a name being read). The texts must
    // outlive the construct; `name` may still grow while it is open.
    OpenConstruct(ParserContext &context, OpenAt at, const char *prefix, const char *name,
                  const char *suffix, const char *closing);
    ~OpenConstruct();
    OpenConstruct(const OpenConstruct &) = delete;
    OpenConstruct &operator=(const OpenConstruct &) = delete;

  private:
    friend class OpenConstructs;

    ParserContext &context_;
    OpenConstruct *outer_;
    const char *prefix_;
    const char *name_;
    const char *suffix_;
    const char *closing_;
    bool settled_ = false;
    OpenAt at_;
    // Named only when needed: at the end of the input, or before a push reuses its slot.
    std::optional<SourcePlace> began_;
};

class OpenConstructs {
  public:
    // The input ran out: keeps what is open now.
    void input_ended(const ParserContext &context);
    // A source is about to be pushed above `top`: constructs that began in a slot above it
    // take their source's name now, before the push reuses the slot.
    void before_push(const InputStack &in, int16_t top) {
        if (innermost_ != nullptr) name_sources_above(in, top);
    }
    // What was open when the input last ran out, innermost first.
    const std::vector<OpenRecord> &at_end() const { return at_end_; }

    // The innermost construct now expects `closing` instead, until this is gone.
    class Expecting {
      public:
        Expecting(ParserContext &context, const char *closing);
        ~Expecting();
        Expecting(const Expecting &) = delete;
        Expecting &operator=(const Expecting &) = delete;

      private:
        OpenConstruct *construct_;
        const char *held_;
    };
    // The innermost construct is complete while this lives: it only reads ahead.
    class Settled {
      public:
        explicit Settled(ParserContext &context);
        ~Settled();
        Settled(const Settled &) = delete;
        Settled &operator=(const Settled &) = delete;

      private:
        OpenConstruct *construct_;
        bool held_ = false;
    };

  private:
    friend class OpenConstruct;

    void name_sources_above(const InputStack &in, int16_t top);
    OpenConstruct *innermost_ = nullptr;
    std::vector<OpenRecord> at_end_;
};

} // namespace vornmac

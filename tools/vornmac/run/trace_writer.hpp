// `vornmac run --trace`: one line on standard error for each action the library reports
// through its trace callback, indented by two blanks per level of nesting:
//
//   WHERE:LINE:COLUMN: ACTION[ -> "TEXT"][ (error N)]
//
// WHERE names the source the "%" or "&" stood in: the program as error lines name it (its
// file name, -e or -), an included file by its name, a macro body as %NAME, a variable's
// text as &NAME (source_label.hpp). ACTION is %keyword, %macro[param="value", ...], &name or
// %sys_cN. TEXT is what the action handed back to be read next, quoted and escaped.
#pragma once
#include "run/source_label.hpp"

#include <vornmac/vornmac.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vornmac::tool {

// Writes the trace of a context's run to `out`: of every action, or with `only` of those
// whose name is one of them (a keyword, a macro or a variable name; a leading "%" or "&" is
// not part of it).
class TraceWriter {
  public:
    TraceWriter(std::FILE *out, const SourceNames &names, std::vector<std::string> only);
    void attach(parser_context *ctx) { vornmac_set_trace(ctx, write_event, this); }

  private:
    static void write_event(void *user, const vornmac_trace_event *event);
    bool wanted(const char *name) const;

    std::FILE *out_;
    const SourceNames &names_;
    std::vector<std::string> only_;
};

} // namespace vornmac::tool

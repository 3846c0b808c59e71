#include "run/trace_writer.hpp"

#include "common/text_escape.hpp"
#include "run/source_label.hpp"

#include <algorithm>
#include <string_view>

namespace vornmac::tool {

namespace {

std::string where(const SourceNames &names, const vornmac_trace_event &e) {
    const SourceKind kind = e.source_kind == 'm'   ? SourceKind::macro
                            : e.source_kind == 's' ? SourceKind::variable
                                                   : SourceKind::file;
    return names.label(kind, e.source_name, e.source_index == 0);
}

std::string action(const vornmac_trace_event &e) {
    std::string text = e.kind == VORNMAC_TRACE_REFERENCE ? "&" : "%";
    text += e.name;
    if (e.argument_count == 0) return text;
    text += '[';
    for (int i = 0; i < e.argument_count; ++i) {
        if (i > 0) text += ", ";
        text += e.argument_names[i];
        text += '=';
        text += escaped_quoted(e.argument_values[i]);
    }
    return text + ']';
}

std::string trace_line(const SourceNames &names, const vornmac_trace_event &e) {
    std::string line(static_cast<size_t>(std::max<int>(e.depth, 0)) * 2, ' ');
    line += where(names, e) + ':' + std::to_string(shown_position(e.line)) + ':' +
            std::to_string(shown_position(e.column)) + ": " + action(e);
    if (e.text != nullptr) line += " -> " + escaped_quoted(std::string_view(e.text, e.text_length));
    if (e.error != 0) line += " (error " + std::to_string(e.error) + ')';
    return line + '\n';
}

} // namespace

TraceWriter::TraceWriter(std::FILE *out, const SourceNames &names, std::vector<std::string> only)
    : out_(out), names_(names), only_(std::move(only)) {
    for (std::string &name : only_)
        if (name.starts_with('%') || name.starts_with('&')) name.erase(0, 1);
}

bool TraceWriter::wanted(const char *name) const {
    if (only_.empty()) return true;
    // A reference with several ampersands is named "&x": its variable's name is x.
    while (*name == '&')
        ++name;
    for (const std::string &wanted : only_)
        if (vornmac_same_name(wanted.c_str(), name) != 0) return true;
    return false;
}

void TraceWriter::write_event(void *user, const vornmac_trace_event *event) {
    const auto &writer = *static_cast<const TraceWriter *>(user);
    if (!writer.wanted(event->name)) return;
    const std::string line = trace_line(writer.names_, *event);
    std::fwrite(line.data(), 1, line.size(), writer.out_);
}

} // namespace vornmac::tool

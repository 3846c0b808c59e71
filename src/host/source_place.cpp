#include "host/source_place.hpp"

#include "input/input_stack.hpp"

namespace vornmac {

SourcePlace source_place(const InputStack &in, int16_t top, int16_t line, int16_t column) {
    SourcePlace place;
    place.line = line;
    place.column = column;
    // Live on top, else as its slot keeps it (it may have been used up meanwhile).
    for (int16_t index = top; index >= 0; --index) {
        const InputSource *saved = in.slot(index);
        const bool live = index == in.top;
        if (!live && saved == nullptr) break;
        const SourceKind kind = live ? in.live.kind : saved->kind;
        const std::string &source = live ? in.source_name() : saved->source_name;
        const std::string &current = live ? in.current_name() : saved->current_name;
        if (kind == SourceKind::text && source.starts_with("_TEMP") && index > 0) continue;
        place.kind = static_cast<char>(kind);
        place.name = kind == SourceKind::macro ? current : source;
        place.index = index;
        break;
    }
    return place;
}

} // namespace vornmac

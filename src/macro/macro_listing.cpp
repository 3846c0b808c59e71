// The body is copied in 200-byte chunks, each written as a C string with its line feeds
// turned into CR LF, so a listing never holds a whole body in memory.
#include "macro/macro_listing.hpp"

#include "func/dates.hpp"
#include "host/buffered_file.hpp"
#include "host/parser_context.hpp"
#include "input/text_chain.hpp"
#include "vars/name_compare.hpp"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace vornmac {

namespace {

constexpr size_t display_width = 50;
constexpr int32_t body_chunk = 200;
} // namespace

std::string display_name(const std::string &name) {
    std::vector<char> text(name.begin(), name.end());
    text.push_back('\0');
    clean_text(text.data());
    std::string shown = text.data();
    std::replace_if(
        shown.begin(), shown.end(), [](char c) { return is_white(static_cast<unsigned char>(c)); },
        ' ');
    shown.resize(display_width, ' ');
    return shown;
}

std::string summary_line(const maclib::MacroRecord &record) {
    // A stamp no definition can have is shown as day 0.
    const double stamp = record.header.time_stamp;
    const MinutesTime t = minutes_time(is_valid_minutes(stamp) ? stamp : 0);
    char line[120];
    std::snprintf(line, sizeof line, "    %2d/%2d/%2d:%2d.%2d", t.month, t.day, t.year, t.hour,
                  t.minute);
    return display_name(record.name) + line;
}

void list_macro_line(BufferedFile &out, const maclib::MacroRecord &record, bool with_label) {
    out.write_string(summary_line(record).c_str());
    out.write_line_end();
    if (!with_label) return;
    if (!record.label.empty()) {
        out.write_string("     Label=");
        out.write_string(record.label.c_str());
        out.write_line_end();
    }
    int positional = 0;
    int named = 0;
    for (const maclib::MacroParameter &p : record.parameters) {
        char number[60];
        if (p.named)
            std::snprintf(number, sizeof number, "     Named Parameter #%d -> ", ++named);
        else
            std::snprintf(number, sizeof number, "     Positional Parameter #%d -> ", ++positional);
        out.write_string(number);
        out.write_string(p.name.c_str());
        if (p.named) {
            out.write_string("    Value=");
            out.write_string(p.default_text.c_str());
        }
        out.write_line_end();
    }
    out.write_line_end();
}

void print_macro(BufferedFile &out, const maclib::LibraryFile &file,
                 const maclib::MacroRecord &record) {
    list_macro_line(out, record, true);
    const auto text_end = static_cast<int32_t>(record.header.body_end) -
                          static_cast<int32_t>(maclib::macro_end_marker.size());
    char chunk[body_chunk + 1];
    for (auto at = static_cast<int32_t>(record.header.body_offset); at < text_end;
         at += body_chunk) {
        const int32_t count = std::min(body_chunk, text_end - at);
        if (!file.read_at(at, chunk, count)) break;
        chunk[count] = '\0';
        out.write_text(chunk);
    }
    out.write_line_end();
    out.write_line_end();
    out.flush();
}

namespace {

// The definition file opened and the put file chosen; null when either failed.
BufferedFile *prepare_listing(ParserContext &context) {
    if (!context.macros.open_definition_file()) return nullptr;
    return context.put_file.file();
}

} // namespace

void mactable_statement(ParserContext &context, int16_t /*index*/) {
    context.scanner.advance();
    BufferedFile *out = prepare_listing(context);
    if (out == nullptr) return;
    MacroLibrary &library = context.macros;
    out->write_string("Table of Macros on File -> ");
    out->write_string(library.definition_name().c_str());
    out->write_line_end();
    out->write_line_end();
    library.for_each_definition([&](const maclib::MacroRecord &record) {
        list_macro_line(*out, record, false);
        return true;
    });
    out->flush();
}

void macprint_statement(ParserContext &context, int16_t /*index*/) {
    context.scanner.advance();
    BufferedFile *out = prepare_listing(context);
    if (out == nullptr) return;
    MacroLibrary &library = context.macros;
    const maclib::LibraryFile file(library.definition_handle());
    if (context.scanner.next_token_text[0] == ';') {
        library.for_each_definition([&](const maclib::MacroRecord &record) {
            print_macro(*out, file, record);
            return true;
        });
    } else {
        for (const char *token = context.scanner.next_token_text; token[0] != ';';
             token = context.scanner.advance()) {
            const bool sound = library.for_each_definition([&](const maclib::MacroRecord &record) {
                if (name_compare(record.name.c_str(), token) != 0) return true;
                print_macro(*out, file, record);
                return false;
            });
            if (!sound) return;
        }
    }
    out->flush();
}

} // namespace vornmac

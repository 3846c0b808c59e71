// Any bytes as a macro library file: inspected and listed as the tool does, loaded into a
// slot and every record read as invocation does, and changed as a definition file (a
// macro deleted, one stored). Refused with an error or handled, never a crash or a hang.
#include "host/parser_context.hpp"
#include "macro/library_check.hpp"
#include "macro/macro_library.hpp"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string &library_path() {
    static const std::string path = "/tmp/fuzz_macro_library_" + std::to_string(getpid()) + ".mac";
    return path;
}

void write_library(const uint8_t *data, size_t size) {
    std::ofstream(library_path(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
}

void visit_directory(vornmac::MacroLibrary &library, const vornmac::DirectoryEntry *entry) {
    if (entry == nullptr) return;
    vornmac::maclib::MacroRecord record;
    if (entry->offsets[0] >= 0) (void)library.read_slot_record(0, entry->offsets[0], record);
    visit_directory(library, entry->left);
    visit_directory(library, entry->right);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    write_library(data, size);
    {
        std::FILE *f = std::fopen(library_path().c_str(), "rb");
        if (f == nullptr) return 0;
        const vornmac::maclib::LibraryFile file(fileno(f));
        const vornmac::maclib::LibraryReport report = vornmac::maclib::inspect_library(file);
        std::string body;
        for (const auto &record : report.records)
            (void)vornmac::maclib::read_body_text(file, record, body);
        std::fclose(f);
    }
    vornmac::ParserContext context("", 0, {"fuzz"});
    vornmac::MacroLibrary &library = context.macros;
    library.set_slot_file(0, library_path());
    if (library.open_library_slot(0, "fuzz")) visit_directory(library, library.directory.root());

    context.vars.save(0, "_macromacro", library_path().c_str());
    if (library.open_definition_file() && library.delete_macro("m")) {
        vornmac::maclib::MacroDefinition definition;
        definition.name = "m";
        definition.parameters = {{"a", "", false}, {"b", "1", true}};
        definition.body = "; x " + std::string(vornmac::maclib::macro_end_marker);
        (void)library.store_macro(definition);
    }
    return 0;
}

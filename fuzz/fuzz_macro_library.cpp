// Any bytes as a macro library file: inspected and listed as the tool does, loaded into a
// slot and every record read as invocation does, its macros called by a program in slot 1,
// and changed as a definition file (a macro deleted, one stored and replaced twice). Refused
// with an error or handled, never a crash or a hang.
#include "fuzz_host.hpp"
#include "host/parser_context.hpp"
#include "macro/library_check.hpp"
#include "macro/macro_library.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string &library_path() {
    static const std::string path = fuzz_host::scratch_home() + "fuzz.mac";
    return path;
}

void write_library(const uint8_t *data, size_t size) {
    std::ofstream(library_path(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
}

const std::string &fuzz_home() {
    static const std::string home = [] {
        const std::string dir = fuzz_host::scratch_home();
        std::ofstream(dir + "fuzz.msg") << "173 4 end\n32000 0 end\n";
        return dir;
    }();
    const char *names[] = {"_errorfile", "_errorlog", "_macro1"};
    const char *values[] = {"fuzz.msg", "no", library_path().c_str()};
    vornmac_write_variable_file((home + "vorn_opt.dat").c_str(), 3, names, values);
    return home;
}

// Calls the first few macros of the file, with arguments, and one that is not there.
void call_macros(const std::vector<vornmac::maclib::MacroRecord> &records) {
    std::string program;
    for (size_t i = 0; i < records.size() && i < 4; ++i)
        program += "%" + records[i].name + "[x,y=z];\n";
    program += "%nosuch;\n";
    const std::string &home = fuzz_home();
    const std::string options = home + "vorn_opt.dat";
    parser_context *ctx =
        init_parser(nullptr, 0, nullptr, program.c_str(), home.c_str(), VORNMAC_OPTIONS_TAG,
                    options.c_str(), VORNMAC_LOG_TAG, "/dev/null");
    if (ctx == nullptr) return;
    fuzz_host::run_to_end(ctx);
    finish_parser(ctx, 2);
}

void visit_directory(vornmac::MacroLibrary &library, const vornmac::DirectoryEntry *entry) {
    if (entry == nullptr) return;
    bool stale = false;
    if (entry->offsets[0] >= 0) (void)library.called_macro(0, entry->offsets[0], stale);
    visit_directory(library, entry->left);
    visit_directory(library, entry->right);
}

// The library file as `vornmac lib check` sees it; reads the bodies too.
vornmac::maclib::LibraryReport inspect_file() {
    std::FILE *f = std::fopen(library_path().c_str(), "rb");
    if (f == nullptr) std::abort();
    const vornmac::maclib::LibraryFile file(fileno(f));
    vornmac::maclib::LibraryReport report = vornmac::maclib::inspect_library(file);
    std::string body;
    for (const auto &record : report.records)
        (void)vornmac::maclib::read_body_text(file, record, body);
    std::fclose(f);
    return report;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    write_library(data, size);
    const vornmac::maclib::LibraryReport report = inspect_file();
    call_macros(report.records);
    vornmac::ParserContext context("", 0, {"fuzz"});
    vornmac::MacroLibrary &library = context.macros;
    library.set_slot_file(0, library_path());
    if (library.open_library_slot(0, "fuzz")) visit_directory(library, library.directory.root());

    // Taken afresh: the macros called above may have written to any file.
    const bool sound = inspect_file().faults.empty();
    context.vars.save(0, "_macromacro", library_path().c_str());
    if (library.open_definition_file() && library.delete_macro("m")) {
        vornmac::maclib::MacroDefinition definition;
        definition.name = "m";
        definition.parameters = {{"a", "", false}, {"b", "1", true}};
        definition.body = "; x " + std::string(vornmac::maclib::macro_end_marker);
        (void)library.store_macro(definition);
        // Replacing a record in place, and by one that needs more room.
        definition.body = "; y " + std::string(vornmac::maclib::macro_end_marker);
        (void)library.store_macro(definition);
        definition.body = std::string(200, 'z') + std::string(vornmac::maclib::macro_end_marker);
        (void)library.store_macro(definition);
    }
    // Updates keep a sound library sound.
    if (sound && !inspect_file().faults.empty()) std::abort();
    return 0;
}

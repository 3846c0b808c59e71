#include "stmt/keyword_table.hpp"

#include "func/character_statements.hpp"
#include "func/convert_all.hpp"
#include "func/count_functions.hpp"
#include "func/directory_functions.hpp"
#include "func/evaluator.hpp"
#include "func/file_statements.hpp"
#include "func/quoting_functions.hpp"
#include "func/search_functions.hpp"
#include "func/system_command.hpp"
#include "func/variable_functions.hpp"
#include "func/word_functions.hpp"
#include "macro/library_statements.hpp"
#include "macro/macro_definition.hpp"
#include "macro/macro_listing.hpp"
#include "stmt/assignment.hpp"
#include "stmt/console_statements.hpp"
#include "stmt/declarations.hpp"
#include "stmt/do_statement.hpp"
#include "stmt/if_statement.hpp"
#include "stmt/program_flow.hpp"
#include "stmt/put_statement.hpp"
#include "stmt/startup_statement.hpp"
#include "vars/name_compare.hpp"

#include <algorithm>
#include <numeric>

namespace vornmac {

constinit const std::array<Keyword, keyword_count> keyword_entry_table = {{
    {"display", true, display_statement},
    {"writefile", true, writefile_statement},
    {"input", true, input_statement},
    {"xyz", true, nullptr},
    {"xyz", true, nullptr},
    {"xyz", true, nullptr},
    {"xyz", true, nullptr},
    {"include", true, include_statement},
    {"goto", true, goto_statement},
    {"include_if", true, include_if_statement},
    {"goto_if", true, goto_if_statement},
    {"macro_if", true, macro_if_statement},
    {"let", true, let_statement},
    {"length", false, length_function},
    {"eval", false, eval_function},
    {"str", false, quoting_function},
    {"nrstr", false, quoting_function},
    {"if", true, if_statement},
    {"else", true, nullptr},
    {"then", true, nullptr},
    {"do", true, do_statement},
    {"end", true, end_statement},
    {"doend", true, doend_statement},
    {"dowhile", true, dowhile_statement},
    {"global", true, global_statement},
    {"local", true, local_statement},
    {"put", true, put_statement},
    {"*", true, comment_statement},
    {"index", false, index_function},
    {"scan", false, scan_function},
    {"substr", false, substr_function},
    {"startup", true, startup_statement},
    {"savevar", true, savevar_statement},
    {"system", true, system_statement},
    {"bquote", false, quoting_function},
    {"nrbquote", false, quoting_function},
    {"unquote", false, quoting_function},
    {"lower", false, quoting_function},
    {"upcase", false, quoting_function},
    {"makewindow", false, nullptr},
    {"deletewindow", true, nullptr},
    {"setwindow", true, nullptr},
    {"setattrib", true, nullptr},
    {"screenput", true, nullptr},
    {"screeninput", true, nullptr},
    {"dirlist", false, dirlist_function},
    {"symlist", true, nullptr},
    {"screenlist", true, nullptr},
    {"macro", true, define_macro},
    {"dirwindow", true, nullptr},
    {"isinputdbs", false, nullptr},
    {"currwindow", false, nullptr},
    {"makekeywindow", false, nullptr},
    {"append", true, append_statement},
    {"scanvar", false, scanvar_function},
    {"copyvar", true, copyvar_statement},
    {"appendvar", true, appendvar_statement},
    {"prevlevel", true, prevlevel_statement},
    {"screenedit", true, nullptr},
    {"isdir", false, nullptr},
    {"iswritable", false, nullptr},
    {"isoutputdbs", false, nullptr},
    {"deleteallwindow", true, nullptr},
    {"setbyte", true, setbyte_statement},
    {"setstring", true, setstring_statement},
    {"lengthvar", false, lengthvar_function},
    {"ismacrovar", false, ismacrovar_function},
    {"macinstall", true, macinstall_statement},
    {"macremove", true, macremove_statement},
    {"macdelete", true, macdelete_statement},
    {"mactable", true, mactable_statement},
    {"macprint", true, macprint_statement},
    {"file", true, file_statement},
    {"fileappend", true, fileappend_statement},
    {"noreversecolor", true, nullptr},
    {"countchar", false, countchar_function},
    {"countcharvar", false, countcharvar_function},
    {"isreadable", false, nullptr},
    {"makevar", true, makevar_statement},
    {"chdir", true, nullptr},
    {"delete", true, delete_statement},
    {"indexvarcount", false, indexvarcount_function},
    {"indexvar", false, indexvar_function},
    {"qed", false, nullptr},
    {"qedwindow", false, nullptr},
    {"qedreadfile", false, nullptr},
    {"qedwritefile", false, nullptr},
    {"qedchanged", false, nullptr},
    {"findpath", false, findpath_function},
    {"qedappendfile", false, nullptr},
    {"qedprintfile", false, nullptr},
    {"dosenv", true, dosenv_statement},
    {"convertall", true, convertall_statement},
}};

namespace {
std::array<int16_t, keyword_count> keyword_order;

// Every `%` word of a program is looked up, so the index is also kept by a hash of the name
// as name_compare sees it (open addressing; a full-hash match is confirmed with one
// name_compare). It holds, for each name, the index the sorted search gives.
struct HashedKeyword {
    uint32_t hash;
    int16_t index; // -1: empty
};
constexpr size_t hash_slots = 256; // a power of two, well above keyword_count
constexpr std::array<HashedKeyword, hash_slots> empty_hash = [] {
    std::array<HashedKeyword, hash_slots> slots{};
    slots.fill({0, -1});
    return slots;
}();
std::array<HashedKeyword, hash_slots> keyword_hash = empty_hash;

int16_t search_sorted(const char *name) {
    int low = 0;
    int high = keyword_count - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const int16_t index = keyword_order[static_cast<size_t>(middle)];
        const int cmp = name_compare(name, keyword_entry_table[static_cast<size_t>(index)].name);
        if (cmp == 0) return index;
        if (cmp < 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return -1;
}

// The slot that holds the name, or the empty slot where it would go.
[[gnu::noinline]] HashedKeyword &hash_slot(const char *name, uint32_t hash) {
    for (size_t at = hash;; ++at) {
        HashedKeyword &slot = keyword_hash[at % hash_slots];
        if (slot.index < 0) return slot;
        if (slot.hash == hash &&
            name_compare(name, keyword_entry_table[static_cast<size_t>(slot.index)].name) == 0)
            return slot;
    }
}
} // namespace

void build_keyword_order() {
    // Built once, by the first start-up, also when threads start parsers at the same time:
    // it always comes out the same.
    static const bool built = [] {
        std::iota(keyword_order.begin(), keyword_order.end(), int16_t{0});
        std::stable_sort(keyword_order.begin(), keyword_order.end(), [](int16_t a, int16_t b) {
            return name_compare(keyword_entry_table[static_cast<size_t>(a)].name,
                                keyword_entry_table[static_cast<size_t>(b)].name) < 0;
        });
        keyword_hash = empty_hash;
        for (const Keyword &keyword : keyword_entry_table) {
            const uint32_t hash = name_hash(keyword.name);
            HashedKeyword &slot = hash_slot(keyword.name, hash);
            if (slot.index < 0) slot = {hash, search_sorted(keyword.name)};
        }
        return true;
    }();
    (void)built;
}

// Mostly the name is written as its keyword is stored: the slot its hash leads to is confirmed
// by a plain byte comparison, in a leaf that saves no registers. Any other case (folded
// letters, trailing white space, another name with the same hash) is left to hash_slot.
int16_t find_keyword(const char *name, uint32_t hash) {
    for (size_t at = hash;; ++at) {
        const HashedKeyword &slot = keyword_hash[at % hash_slots];
        if (slot.index < 0) return -1;
        if (slot.hash != hash) continue;
        const char *keyword = keyword_entry_table[static_cast<size_t>(slot.index)].name;
        for (size_t i = 0; name[i] == keyword[i]; ++i)
            if (name[i] == '\0') return slot.index;
        return hash_slot(name, hash).index;
    }
}

// Names are unique but for the "xyz" placeholders, which all share one flag, so the hashed
// lookup gives what the first match in index order would.
bool keyword_statement_flag(const char *name) {
    const int16_t index = find_keyword(name);
    return index >= 0 && keyword_entry_table[static_cast<size_t>(index)].statement;
}

} // namespace vornmac

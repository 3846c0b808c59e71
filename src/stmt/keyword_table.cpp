#include "stmt/keyword_table.hpp"

#include "vars/name_compare.hpp"

#include <algorithm>
#include <numeric>

namespace vornmac {

namespace {
constexpr std::array<Keyword, keyword_count> table = {{
    {"display", true},
    {"writefile", true},
    {"input", true},
    {"xyz", true},
    {"xyz", true},
    {"xyz", true},
    {"xyz", true},
    {"include", true},
    {"goto", true},
    {"include_if", true},
    {"goto_if", true},
    {"macro_if", true},
    {"let", true},
    {"length", false},
    {"eval", false},
    {"str", false},
    {"nrstr", false},
    {"if", true},
    {"else", true},
    {"then", true},
    {"do", true},
    {"end", true},
    {"doend", true},
    {"dowhile", true},
    {"global", true},
    {"local", true},
    {"put", true},
    {"*", true},
    {"index", false},
    {"scan", false},
    {"substr", false},
    {"startup", true},
    {"savevar", true},
    {"system", true},
    {"bquote", false},
    {"nrbquote", false},
    {"unquote", false},
    {"lower", false},
    {"upcase", false},
    {"makewindow", false},
    {"deletewindow", true},
    {"setwindow", true},
    {"setattrib", true},
    {"screenput", true},
    {"screeninput", true},
    {"dirlist", false},
    {"symlist", true},
    {"screenlist", true},
    {"macro", true},
    {"dirwindow", true},
    {"isinputdbs", false},
    {"currwindow", false},
    {"makekeywindow", false},
    {"append", true},
    {"scanvar", false},
    {"copyvar", true},
    {"appendvar", true},
    {"prevlevel", true},
    {"screenedit", true},
    {"isdir", false},
    {"iswritable", false},
    {"isoutputdbs", false},
    {"deleteallwindow", true},
    {"setbyte", true},
    {"setstring", true},
    {"lengthvar", false},
    {"ismacrovar", false},
    {"macinstall", true},
    {"macremove", true},
    {"macdelete", true},
    {"mactable", true},
    {"macprint", true},
    {"file", true},
    {"fileappend", true},
    {"noreversecolor", true},
    {"countchar", false},
    {"countcharvar", false},
    {"isreadable", false},
    {"makevar", true},
    {"chdir", true},
    {"delete", true},
    {"indexvarcount", false},
    {"indexvar", false},
    {"qed", false},
    {"qedwindow", false},
    {"qedreadfile", false},
    {"qedwritefile", false},
    {"qedchanged", false},
    {"findpath", false},
    {"qedappendfile", false},
    {"qedprintfile", false},
    {"dosenv", true},
    {"convertall", true},
}};

std::array<int16_t, keyword_count> keyword_order;
} // namespace

const std::array<Keyword, keyword_count> &keyword_table() {
    return table;
}

void build_keyword_order() {
    std::iota(keyword_order.begin(), keyword_order.end(), int16_t{0});
    std::stable_sort(keyword_order.begin(), keyword_order.end(), [](int16_t a, int16_t b) {
        return name_compare(table[static_cast<size_t>(a)].name,
                            table[static_cast<size_t>(b)].name) < 0;
    });
}

int16_t find_keyword(const char *name) {
    int low = 0;
    int high = keyword_count - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const int16_t index = keyword_order[static_cast<size_t>(middle)];
        const int cmp = name_compare(name, table[static_cast<size_t>(index)].name);
        if (cmp == 0) return index;
        if (cmp < 0)
            high = middle - 1;
        else
            low = middle + 1;
    }
    return -1;
}

bool keyword_statement_flag(const char *name) {
    for (const Keyword &k : table)
        if (name_compare(name, k.name) == 0) return k.statement;
    return false;
}

} // namespace vornmac

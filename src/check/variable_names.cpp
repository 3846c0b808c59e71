// The variables a program sets (so that references to them are not reported) and the
// references it makes, checked when all files are read.
#include "check/file_check.hpp"
#include "check/token_text.hpp"

namespace vornmac::check {

namespace {

// Statements whose words up to the ";" are the names of variables they set.
bool sets_listed_names(const std::string &keyword) {
    for (const char *name :
         {"local", "global", "savevar", "prevlevel", "input", "startup", "makevar"})
        if (keyword == name) return true;
    return false;
}

bool sets_first_name(const std::string &keyword) {
    for (const char *name : {"let", "append", "copyvar", "appendvar"})
        if (keyword == name) return true;
    return false;
}

} // namespace

// A statement that sets variables: which of the words after it name them.
void FileCheck::sets_names(const std::string &keyword) {
    if (sets_first_name(keyword))
        set_first_ = true;
    else if (sets_listed_names(keyword))
        set_list_ = true;
    else if (keyword == "dosenv")
        set_env_list_ = true;
}

void FileCheck::reference(const std::string &name, Position at) {
    if (state_.settings.report_undefined && !name.empty())
        state_.references.push_back({file_, at, name});
}

void FileCheck::note_set_name(const Token &token) {
    if (token.kind != TokenKind::word) return;
    const std::string name(trimmed(token.text));
    if (set_first_) {
        state_.set_variables.insert(fold_name(name));
        set_first_ = false;
    }
    if (set_list_) state_.set_variables.insert(fold_name(name));
    if (set_env_list_) state_.set_variables.insert(fold_name("__" + name));
}

} // namespace vornmac::check

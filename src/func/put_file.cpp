#include "func/put_file.hpp"

#include "error/error_numbers.hpp"
#include "host/parser_context.hpp"

namespace vornmac {

namespace {
constexpr int16_t saved_level = -1;
constexpr const char *file_variable = "_file";
} // namespace

BufferedFile *PutFile::file() {
    if (!chosen()) {
        const std::string name = context_.vars.optstring(file_variable);
        if (name.empty())
            to_log_ = true;
        else
            open_own(name, "a");
    }
    return to_log_ ? context_.log.get() : own_.get();
}

void PutFile::switch_to_log() {
    if (to_log_) return;
    own_.reset();
    to_log_ = true;
    remember_choice("");
}

void PutFile::switch_to_file(const std::string &name, const char *mode) {
    own_.reset();
    to_log_ = false;
    open_own(name, mode);
    remember_choice(name);
}

void PutFile::open_own(const std::string &name, const char *mode) {
    own_ = BufferedFile::open(name.c_str(), mode);
    if (!own_) context_.errors.raise(error::output_file_cannot_open, {name.c_str()});
}

void PutFile::remember_choice(const std::string &name) {
    VarLevel *value = context_.vars.save(context_.vars.current_level, file_variable, name.c_str());
    if (value != nullptr) context_.vars.move_var_level(value, saved_level);
}

} // namespace vornmac

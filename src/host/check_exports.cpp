// The checker's exports: the C interface's view of src/check. The options become the
// checker's settings, each finding is handed to the host as it comes out, and no C++
// exception crosses the interface.
#include "check/home_settings.hpp"
#include "check/program_checker.hpp"

#include <vornmac/vornmac.h>

#include <string>

namespace {

using namespace vornmac::check;

CheckSettings settings_from(const vornmac_check_options *options) {
    CheckSettings settings;
    if (options == nullptr) return settings;
    if (options->variable_file != nullptr) read_home(options->variable_file, settings);
    for (int i = 0; i < options->defined_count; ++i)
        if (options->defined != nullptr && options->defined[i] != nullptr)
            settings.known_variables.emplace_back(options->defined[i]);
    settings.report_undefined = options->report_undefined != 0;
    return settings;
}

int hand_over(ProgramChecker &checker, void *user, vornmac_finding_visitor on_finding) {
    const std::vector<Finding> findings = checker.finish();
    for (const Finding &finding : findings) {
        const vornmac_check_finding given{
            finding.file.c_str(),    finding.line,
            finding.column,          finding.severity == Severity::warning ? 1 : 0,
            finding.message.c_str(), finding.name.c_str()};
        if (on_finding != nullptr) on_finding(user, &given);
    }
    return static_cast<int>(findings.size());
}

} // namespace

extern "C" int vornmac_check_programs(const char *const *files, int file_count,
                                      const vornmac_check_options *options, void *user,
                                      vornmac_finding_visitor on_finding,
                                      vornmac_unreadable_visitor on_unreadable) {
    try {
        ProgramChecker checker(settings_from(options));
        for (int i = 0; i < file_count; ++i) {
            const std::string path = files[i] != nullptr ? files[i] : "";
            std::string text;
            std::string reason;
            if (!read_program_file(path, text, reason)) {
                if (on_unreadable != nullptr) on_unreadable(user, path.c_str(), reason.c_str());
                continue;
            }
            checker.check(path, text);
        }
        return hand_over(checker, user, on_finding);
    } catch (...) {
        return -1;
    }
}

extern "C" int vornmac_check_text(const char *name, const char *text, size_t length,
                                  const vornmac_check_options *options, void *user,
                                  vornmac_finding_visitor on_finding) {
    try {
        ProgramChecker checker(settings_from(options));
        checker.check(name != nullptr ? name : "",
                      std::string_view(text != nullptr ? text : "", text != nullptr ? length : 0));
        return hand_over(checker, user, on_finding);
    } catch (...) {
        return -1;
    }
}

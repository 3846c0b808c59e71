#include "check/finding_output.hpp"

namespace vornmac::tool {

void print_finding_line(std::FILE *out, const vornmac_check_finding &finding) {
    std::fprintf(out, "%s:%d:%d: %s: %s [%s]\n", finding.file, static_cast<int>(finding.line),
                 static_cast<int>(finding.column), finding.warning != 0 ? "warning" : "error",
                 finding.message, finding.name);
}

std::string json_string(const char *text) {
    std::string out = "\"";
    for (const char *at = text; *at != '\0'; ++at) {
        const auto byte = static_cast<unsigned char>(*at);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += *at;
        } else if (byte < 0x20 || byte == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += *at;
        }
    }
    return out + '"';
}

void JsonFindings::add(const vornmac_check_finding &finding) {
    std::fprintf(out_,
                 "%s\n  {\"file\": %s, \"line\": %d, \"column\": %d, \"severity\": \"%s\", "
                 "\"message\": %s, \"name\": %s}",
                 count_ == 0 ? "[" : ",", json_string(finding.file).c_str(),
                 static_cast<int>(finding.line), static_cast<int>(finding.column),
                 finding.warning != 0 ? "warning" : "error", json_string(finding.message).c_str(),
                 json_string(finding.name).c_str());
    ++count_;
}

void JsonFindings::close() {
    std::fputs(count_ == 0 ? "[]\n" : "\n]\n", out_);
}

} // namespace vornmac::tool

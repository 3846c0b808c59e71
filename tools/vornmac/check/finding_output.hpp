// How the findings of `vornmac check` are printed: as lines that compilers' and editors'
// problem lists read (FILE:LINE:COLUMN: error|warning: message [name]), or as one JSON array
// of objects with the same fields, for editors and CI.
#pragma once
#include <vornmac/vornmac.h>

#include <cstdio>
#include <string>

namespace vornmac::tool {

void print_finding_line(std::FILE *out, const vornmac_check_finding &finding);

// Writes `[`, then one object per finding, then `]`.
class JsonFindings {
  public:
    explicit JsonFindings(std::FILE *out) : out_(out) {}
    void add(const vornmac_check_finding &finding);
    void close();

  private:
    std::FILE *out_;
    int count_ = 0;
};

// The text as a JSON string, quotes included.
std::string json_string(const char *text);

} // namespace vornmac::tool

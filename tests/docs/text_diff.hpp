// Shows how an example's actual text differs from the expected one, line by line, in
// the manner of a unified diff: " " for a line both have, "-" for an expected line that
// is missing, "+" for a line that came instead. Control characters are shown escaped and
// every line ends in "|", so that white space at the end of a line can be seen.
#pragma once

#include <string>

namespace vornmac::docs {

std::string line_diff(const std::string &expected, const std::string &actual);

} // namespace vornmac::docs

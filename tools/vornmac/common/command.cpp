#include "common/command.hpp"

#include <CLI/CLI.hpp>

namespace vornmac::tool {

bool Command::chosen() const {
    return words_.parsed();
}

} // namespace vornmac::tool

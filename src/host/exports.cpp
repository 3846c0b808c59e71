// The exported C operations. No C++ exception ever leaves this file.
#include "vornmac/vornmac.h"

namespace {
constexpr int16_t interface_version = 80;
} // namespace

extern "C" int16_t version_number(void) {
    return interface_version;
}

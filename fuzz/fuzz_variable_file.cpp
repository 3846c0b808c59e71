// Any bytes as a variable file: refused or loaded, never a crash; and a file the library
// writes from what it loaded always loads again.
#include "host/block_pool.hpp"
#include "vars/var_store.hpp"
#include "vars/variable_file.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    vornmac::ChunkAllocator chunks;
    vornmac::BlockPool pool{chunks};
    vornmac::VarStore store{chunks, pool, [](int16_t, std::vector<vornmac::ErrorArg>) {}};
    vornmac::VariableFileContents contents;
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    if (vornmac::read_variable_file(bytes, store, contents).result != vornmac::LoadResult::loaded)
        return 0;
    // Whatever the library writes, it must load again.
    vornmac::VarStore again{chunks, pool, [](int16_t, std::vector<vornmac::ErrorArg>) {}};
    vornmac::VariableFileContents reread;
    const std::string written = vornmac::write_variable_file(store, contents);
    if (vornmac::read_variable_file(written, again, reread).result != vornmac::LoadResult::loaded)
        std::abort();
    return 0;
}

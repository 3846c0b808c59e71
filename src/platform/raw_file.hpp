// Raw file calls over POSIX descriptors. A handle is the descriptor, -1 when there is none.
#pragma once
#include <cstdint>

namespace vornmac::platform {

enum class Access { read, read_write };

int raw_open_existing(const char *name, Access access);
// Creates or truncates the file; it is always opened for reading and writing.
int raw_create(const char *name);
int32_t raw_read(int handle, void *buffer, int32_t count);
int32_t raw_write(int handle, const void *buffer, int32_t count);
// origin: 0 start, 1 current, 2 end. Returns the new position, -1 on failure.
int32_t raw_seek(int handle, int32_t offset, int origin);
void raw_close(int handle);

} // namespace vornmac::platform

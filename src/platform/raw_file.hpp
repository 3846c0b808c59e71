// Raw file calls over POSIX descriptors. A handle is the descriptor, -1 when there is none.
// Offsets are 64-bit, so files and logs beyond 2 GiB are served. UniqueHandle closes a
// descriptor when it goes out of scope.
#pragma once
#include <cstdint>

namespace vornmac::platform {

// read_append opens for reading and writing with every write going to the end of the
// file, also when other processes append to it at the same time.
enum class Access { read, read_write, read_append };

int raw_open_existing(const char *name, Access access);
// Creates or truncates the file; it is always opened for reading and writing.
int raw_create(const char *name);
// Creates a new file that must not exist yet; `exists` tells that the name was taken.
int raw_create_new(const char *name, bool *exists = nullptr);

// What raw_open_file found at the name.
struct OpenedFile {
    int handle = -1;
    bool wrong_kind = false; // the name exists but is no regular file (a FIFO, a socket ...)
};
// Opens an existing regular file, or also a character device (/dev/null) when
// `devices_too`, without ever blocking: a FIFO is refused, not waited on.
OpenedFile raw_open_file(const char *name, Access access, bool devices_too);

int32_t raw_read(int handle, void *buffer, int32_t count);
// Reads from `offset` on, in one system call where a seek and a read would take two; the
// file's position is left where it was.
int32_t raw_read_at(int handle, int64_t offset, void *buffer, int32_t count);
// What a write does to the bytes already in the file: `append_only` is for a file that is only
// ever appended to (the log), whose bytes already there stay as they are.
enum class WriteKind { any, append_only };
int32_t raw_write(int handle, const void *buffer, int32_t count, WriteKind kind = WriteKind::any);
// origin: 0 start, 1 current, 2 end. Returns the new position, -1 on failure.
int64_t raw_seek(int handle, int64_t offset, int origin);
// Forces written bytes to the disk; false when that fails.
bool raw_sync(int handle);
// The size of the open file, -1 when it cannot be told.
int64_t raw_size(int handle);
void raw_close(int handle);
// A second descriptor (close-on-exec) of the open file `handle`, -1 on failure.
int raw_duplicate(int handle);

// How often this process may have changed the bytes of a file: counted for every write but an
// append-only one, every truncation, rename and removal, every close (its descriptor may then
// name another file) and every command started. Bytes read ahead of their use are what a read
// would give now as long as the count stands; changes by other processes are not seen.
uint64_t file_changes();
void note_file_change();

class UniqueHandle {
  public:
    explicit UniqueHandle(int handle) : handle_(handle) {}
    ~UniqueHandle() { raw_close(handle_); }
    UniqueHandle(const UniqueHandle &) = delete;
    UniqueHandle &operator=(const UniqueHandle &) = delete;
    int get() const { return handle_; }

  private:
    int handle_;
};

} // namespace vornmac::platform

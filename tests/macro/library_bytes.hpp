// Library files written by hand for the tests, one field at a time, so that the expected
// bytes never come from the code under test.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

namespace vornmac::testing {

class LibraryBytes {
  public:
    LibraryBytes &u16(uint32_t v) {
        bytes += static_cast<char>(v & 0xff);
        bytes += static_cast<char>((v >> 8) & 0xff);
        return *this;
    }
    LibraryBytes &u32(uint32_t v) { return u16(v & 0xffff).u16(v >> 16); }
    LibraryBytes &f64(double v) {
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        return u32(static_cast<uint32_t>(bits)).u32(static_cast<uint32_t>(bits >> 32));
    }
    LibraryBytes &text(const std::string &t) {
        bytes += t;
        bytes += '\0';
        return *this;
    }
    LibraryBytes &raw(const std::string &t) {
        bytes += t;
        return *this;
    }
    LibraryBytes &header(uint32_t list, uint32_t free, uint32_t end) {
        return raw("\x68\xe8\xd9\xfe").u32(list).u32(free).u32(end);
    }
    // A record with no parameters and the label "": 34 + n + 1 + 1 + body + 1 bytes.
    LibraryBytes &record(uint32_t at, uint32_t next, const std::string &name,
                         const std::string &body, double stamp = 0) {
        const auto fixed = static_cast<uint32_t>(34 + name.size() + 2);
        const auto b = static_cast<uint32_t>(body.size() + 4);
        u32(next).f64(stamp).u16(fixed + b + 1).u16(static_cast<uint32_t>(name.size()));
        u16(0).u16(0).u16(0).u16(0).u16(b).u32(at + fixed).u32(at + fixed + b);
        return text(name).text("").raw(body).raw("\x01\x01\x01\x02");
    }
    static uint32_t record_size(const std::string &name, const std::string &body) {
        return static_cast<uint32_t>(34 + name.size() + 2 + body.size() + 4 + 1);
    }

    std::string bytes;
};

} // namespace vornmac::testing

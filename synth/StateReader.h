// Reads the state format StateWriter writes. The whole state is checked
// first (id, length, checksum), so a damaged, truncated or foreign state is
// refused before anything is taken from it; then the records are visited
// one by one. A record longer than the fields a reader takes is fine (a
// later version added fields at its end); one that runs short fails the
// read. Unknown records are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tamrik {

class StateReader {
public:
    // valid() is false unless the bytes are a whole state of this
    // instrument with a version of at least 1.
    StateReader(const uint8_t* data, size_t size, int32_t uniqueId);

    bool valid() const { return valid_; }
    uint32_t version() const { return version_; }

    // The next record: true with its tag, false at the end of the body.
    bool next(char (&tag)[5]);
    // Fields of the current record; each fails (false, and every later
    // read fails too) when the record has no more bytes.
    bool u32(uint32_t& value);
    bool f32(float& value);  // also fails for NaN and infinities
    bool text(std::string& value, size_t limit);  // fails above limit bytes
    bool ok() const { return ok_; }

private:
    const uint8_t* body_ = nullptr;
    size_t bodySize_ = 0, at_ = 0, recordEnd_ = 0;
    uint32_t version_ = 0;
    bool valid_ = false, ok_ = true;
};

}  // namespace tamrik

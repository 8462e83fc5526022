#pragma once
// What the fuzz targets share: a check that ends the run with a message
// (libFuzzer then keeps the input as a crash), and a reader that takes the
// input from its front, so that seed files can be written by hand: a few
// header bytes, then text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, message)                                                  \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__,  \
                         message);                                                      \
            std::abort();                                                               \
        }                                                                               \
    } while (false)

class FuzzReader {
public:
    FuzzReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    // 0 once the input is used up.
    std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::string Bytes(std::size_t count) {
        std::size_t taken = count < size_ - pos_ ? count : size_ - pos_;
        std::string bytes(reinterpret_cast<const char*>(data_ + pos_), taken);
        pos_ += taken;
        return bytes;
    }
    std::string Rest() { return Bytes(size_ - pos_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// ExpandDollarEscapes on any text. The library edits the text in place; the
// reference here builds the result from left to right. The two must agree,
// and no expansion can make a text longer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "hook/macro_store.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Everything after position i is still the untouched input, so walking the
// input once gives what the in-place edit leaves behind.
std::string ExpandForward(const std::string& text) {
    std::string result;
    std::size_t i = 0;
    while (i < text.size()) {
        bool last = i + 1 == text.size();
        if (text[i] != '$' || last) {
            result += text[i++];
        } else if (text[i + 1] == '$') {
            result += '$';
            i += 2;
        } else {
            // "$" and one or two more characters; it converts only when all
            // of them are hexadecimal digits.
            std::size_t length = i + 3 <= text.size() ? 3 : 2;
            int value = 0;
            bool converts = true;
            for (std::size_t k = i + 1; k < i + length; ++k) {
                int digit = HexValue(text[k]);
                converts = converts && digit >= 0;
                value = value * 16 + digit;
            }
            if (converts) result += static_cast<char>(value);
            i += length;
        }
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string expanded = ExpandDollarEscapes(text);
    FUZZ_CHECK(expanded.size() <= text.size(), "an expansion never makes a text longer");
    if (text.find('$') == std::string::npos) {
        FUZZ_CHECK(expanded == text, "a text without a dollar sign stays as it is");
    }
    FUZZ_CHECK(expanded == ExpandForward(text), "the in-place expansion matches the reference");
    return 0;
}

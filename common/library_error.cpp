#include "common/library_error.h"

#include <cstring>

namespace {

// As much of the text as fits, always terminated.
template <std::size_t Size>
void CopyText(char (&target)[Size], const char* text) {
    std::size_t length = strnlen(text, Size - 1);
    std::memcpy(target, text, length);
    target[length] = '\0';
}

}  // namespace

TLibraryError MakeLibraryError(const char* className, const char* moduleName, const char* message,
                               const void* address) {
    TLibraryError error{};
    CopyText(error.ClassName, className);
    CopyText(error.ModuleName, moduleName);
    error.Address = address;
    CopyText(error.Message, message);
    return error;
}

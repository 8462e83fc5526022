#pragma once
// An error that carries its message itself rather than deriving from
// std::runtime_error, whose copy-on-write string would add a second string
// implementation, and with it much of the C++ library, to the program files.
#include <exception>
#include <string>
#include <utility>

class TMessageError : public std::exception {
public:
    explicit TMessageError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

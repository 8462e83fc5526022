#pragma once
#include <stdexcept>

// A malformed argument, script or file: the tool reports it in one line and
// ends with a non-zero status.
class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The one kind of failure the renderer reports: a sentence for the user that
// already names the file or word at fault and what was expected. main prints
// it on one line and exits with status 2.
#pragma once

#include <stdexcept>
#include <string>

namespace tamrik::render {

class ToolError : public std::runtime_error {
public:
    explicit ToolError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tamrik::render

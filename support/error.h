// The program's failures: exceptions that carry the class name and code address that the error
// boxes show ("Exception EConvertError in module ... at 0040A1B2.").
#pragma once

#include <stdexcept>
#include <string>

namespace sav {

class Error : public std::runtime_error {
public:
    // Records the address of the code that raised the failure (the caller of this constructor).
    __attribute__((noinline)) Error(std::string className, const std::string& message)
        : std::runtime_error(message), className_(std::move(className)), address_(__builtin_return_address(0)) {}

    const std::string& className() const { return className_; }
    const void* address() const { return address_; }

private:
    std::string className_;
    const void* address_;
};

}  // namespace sav

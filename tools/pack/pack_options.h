// The packaging tool's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pack {

// Bad input: the tool prints the message and exits with code 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    bool help = false;
    std::string inspectPath;          // --inspect SAVER: print the package and do nothing else
    std::string enginePath;           // the saver executable (its old block, if any, is dropped)
    std::string moviePath;
    std::string outputPath;
    std::string caption;
    std::string buttonText;
    int32_t backColor = 0x1FFFFFFF;   // none
    bool interactive = false;
    std::string aboutPath;
    std::string watermarkPath;
    int32_t watermarkLeft = -1;
    int32_t watermarkTop = -1;
};

Options ParseOptions(const std::vector<std::string>& arguments);

// "#RRGGBB" (or "RRGGBB") to the saver's 0x00BBGGRR; "none" to 0x1FFFFFFF.
int32_t ParseColour(const std::string& text);

// A watermark position rule: a pixel position (0 or more), "centre"/"center", or
// "<edge>:D", D pixels (0 to 32766) away from the far edge (`farEdge` is "right" or "bottom").
int32_t ParsePosition(const std::string& text, const std::string& farEdge);

extern const char* const kHelpText;

}  // namespace pack

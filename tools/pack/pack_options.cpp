#include "tools/pack/pack_options.h"

#include <cctype>
#include <charconv>

namespace pack {

const char* const kHelpText =
    "Usage: swfsaver-pack [options] ENGINE.scr MOVIE.swf OUTPUT.scr\n"
    "       swfsaver-pack --inspect SAVER.scr\n"
    "\n"
    "Packages a Flash movie into a screen saver: copies the engine executable (without any\n"
    "package it already carries) and appends a package with the movie and the settings below.\n"
    "The output is written completely under a temporary name, then renamed into place.\n"
    "\n"
    "Options:\n"
    "  --caption TEXT          caption of the about dialog (default \"About\")\n"
    "  --button TEXT           text of the about dialog's button (default \"OK\")\n"
    "  --about FILE            text of the about dialog: an RTF file, or plain text that is\n"
    "                          turned into RTF\n"
    "  --background COLOUR     background colour of the movie: #RRGGBB, or none (the default:\n"
    "                          the movie's own background)\n"
    "  --interactive           the movie takes the mouse; only keys end the saver\n"
    "  --watermark FILE        a watermark picture, a BMP or JPEG file\n"
    "  --watermark-left RULE   a pixel position, centre, or right:D (D pixels from the right\n"
    "                          edge; right:0 is flush, the default)\n"
    "  --watermark-top RULE    a pixel position, centre, or bottom:D (D pixels from the bottom\n"
    "                          edge; bottom:0 is flush, the default)\n"
    "  --inspect SAVER         print every field of a packaged saver\n"
    "  --help                  print this text\n"
    "\n"
    "Exit codes: 0 done, 1 the output could not be written, 2 bad input.\n";

namespace {

bool ParseInt(const std::string& text, int64_t& value) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

int32_t ParseColour(const std::string& text) {
    if (Lower(text) == "none") return 0x1FFFFFFF;
    std::string hex = text.size() == 7 && text[0] == '#' ? text.substr(1) : text;
    if (hex.size() != 6) throw UsageError("cannot read the colour \"" + text + "\": give #RRGGBB or none");
    uint32_t rgb = 0;
    for (char c : hex) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            throw UsageError("cannot read the colour \"" + text + "\": give #RRGGBB or none");
        rgb = rgb << 4 | static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                                                                                          : std::tolower(c) - 'a' + 10);
    }
    // The saver keeps colours as 0x00BBGGRR.
    return static_cast<int32_t>((rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16));
}

int32_t ParsePosition(const std::string& text, const std::string& farEdge) {
    const std::string rule = Lower(text);
    if (rule == "centre" || rule == "center") return -32768;
    int64_t value = 0;
    if (rule.rfind(farEdge + ":", 0) == 0) {
        if (ParseInt(rule.substr(farEdge.size() + 1), value) && value >= 0 && value <= 32766)
            return static_cast<int32_t>(-1 - value);
    } else if (ParseInt(rule, value) && value >= 0 && value <= INT32_MAX) {
        return static_cast<int32_t>(value);
    }
    throw UsageError("cannot read the watermark position \"" + text + "\": give a pixel position (0 or more), "
                     "centre, or " + farEdge + ":D with D from 0 to 32766");
}

Options ParseOptions(const std::vector<std::string>& arguments) {
    Options options;
    std::vector<std::string> files;
    bool leftGiven = false, topGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) throw UsageError("option " + argument + " needs a value");
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h") options.help = true;
        else if (argument == "--inspect") options.inspectPath = value();
        else if (argument == "--caption") options.caption = value();
        else if (argument == "--button") options.buttonText = value();
        else if (argument == "--about") options.aboutPath = value();
        else if (argument == "--background") options.backColor = ParseColour(value());
        else if (argument == "--interactive") options.interactive = true;
        else if (argument == "--watermark") options.watermarkPath = value();
        else if (argument == "--watermark-left") options.watermarkLeft = ParsePosition(value(), "right"), leftGiven = true;
        else if (argument == "--watermark-top") options.watermarkTop = ParsePosition(value(), "bottom"), topGiven = true;
        else if (argument.size() > 1 && argument[0] == '-') throw UsageError("unknown option " + argument);
        else files.push_back(argument);
    }
    if (options.help) return options;
    if (!options.inspectPath.empty()) {
        if (!files.empty()) throw UsageError("--inspect takes one saver and no other files");
        return options;
    }
    if (files.size() != 3) throw UsageError("give the engine, the movie and the output file (see --help)");
    if ((leftGiven || topGiven) && options.watermarkPath.empty())
        throw UsageError("a watermark position needs --watermark");
    options.enginePath = files[0];
    options.moviePath = files[1];
    options.outputPath = files[2];
    return options;
}

}  // namespace pack

// What the TextField and TextFormat classes need of a text field on the stage: its settings, its
// text with formats (positions count characters), and what layout measures.
#pragma once

#include <cstddef>
#include <string>

#include "engine/fonts/text_field_settings.h"

namespace swf::avm1 {

class TextFieldAccess {
public:
    virtual ~TextFieldAccess() = default;
    // Change the settings, then call settingsChanged().
    virtual TextFieldSettings& settings() = 0;
    virtual void settingsChanged() = 0;

    virtual std::string htmlText() = 0;
    virtual void setHtmlText(const std::string& html) = 0;
    virtual size_t length() = 0;
    virtual TextFormat format(size_t begin, size_t end) = 0;
    virtual void setFormat(size_t begin, size_t end, const TextFormat& format) = 0;
    virtual TextFormat newFormat() = 0;
    virtual void setNewFormat(const TextFormat& format) = 0;
    // Puts `text` in place of [begin, end) in the format of the text it replaces.
    virtual void replaceText(size_t begin, size_t end, const std::string& text) = 0;
    virtual TextFieldMetrics metrics() = 0;
};

}  // namespace swf::avm1

#include "engine/core/text_field_state.h"

#include <algorithm>

#include "engine/core/display_object.h"

namespace swf {

void TextFieldState::setText(const std::string& text) {
    document.replace(0, document.length(), text, newFormat);
    styledSource.reset();
    changed();
}

void TextFieldState::setHtmlText(const std::string& source) {
    if (!html) {
        setText(source);
        return;
    }
    using WhiteSpace = TextDocument::WhiteSpace;
    const bool before8 = swfVersion > 0 && swfVersion < 8;
    const WhiteSpace white = !condenseWhite ? WhiteSpace::Keep : before8 ? WhiteSpace::CondenseEachText : WhiteSpace::Condense;
    // Condensing, a one-line field's paragraphs run on; otherwise it keeps no break after its last,
    // unless a style sheet's block made it.
    document.setHtml(source, newFormat, white, multiline || !condenseWhite, styles ? &*styles : nullptr);
    const auto& c = document.chars();
    if (!multiline && !styles && !c.empty() && isParagraphBreak(c.back()))
        document.replace(c.size() - 1, c.size(), "", newFormat);
    if (styles) styledSource = source;
    else styledSource.reset();
    changed();
}

TextFieldState* fieldStateOf(DisplayObject& object, const Movie& movie) {
    if (object.kind != DisplayObject::Kind::EditText) return nullptr;
    if (!object.field) {
        const EditText* record =
            object.fieldDefinition ? object.fieldDefinition.get() : movie.findAs<EditText>(object.characterId);
        if (!record) return nullptr;
        object.field = std::make_shared<TextFieldState>(fieldStateFrom(*record, movie));
    }
    return object.field.get();
}

TextFieldState fieldStateFrom(const EditText& record, const Movie& movie) {
    TextFieldState s;
    s.swfVersion = movie.header.version;
    s.bounds = record.bounds;
    s.wordWrap = record.wordWrap, s.multiline = record.multiline, s.html = record.html;
    s.password = record.password, s.border = s.background = record.border;
    s.selectable = !record.noSelect, s.input = !record.readOnly, s.embedFonts = record.useOutlines;
    s.autoSize = record.autoSize ? AutoSize::Left : AutoSize::None;
    s.maxChars = record.maxLength.value_or(0);
    if (const auto& r = record.renderSettings) {
        static const char* gridFits[] = {"none", "pixel", "subpixel"};
        s.antiAliasType = r->renderer == 1 ? "advanced" : "normal";
        if (r->gridFit < 3) s.gridFitType = gridFits[r->gridFit];
        s.thickness = r->thickness, s.sharpness = r->sharpness;
    }
    TextFormat f = TextFormat::defaults();
    if (record.fontId) {
        if (const Font* font = movie.findAs<Font>(*record.fontId)) {
            f.font = font->name, f.bold = font->bold, f.italic = font->italic;
            s.recordFontId = *record.fontId;
        }
    } else if (record.fontClass) {
        f.font = *record.fontClass;
    }
    f.size = record.fontHeight / 20;
    if (record.color) f.color = uint32_t(record.color->r) << 16 | uint32_t(record.color->g) << 8 | record.color->b;
    if (record.hasLayout) {
        static const char* aligns[] = {"left", "right", "center", "justify"};
        f.align = aligns[record.align & 3];
        f.leftMargin = record.leftMargin / 20, f.rightMargin = record.rightMargin / 20;
        f.indent = record.indent / 20, f.leading = record.leading / 20;
    }
    s.newFormat = f;
    if (record.initialText) {
        if (record.html) s.setHtmlText(*record.initialText);
        else s.setText(*record.initialText);
    }
    return s;
}

}  // namespace swf

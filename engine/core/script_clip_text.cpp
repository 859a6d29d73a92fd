// The text-field side of script clips: the text, HTML and variable of edit texts, the settings and
// formats the TextField class changes, and fields made by createTextField.
#include <algorithm>
#include <cmath>

#include "engine/core/script_clip.h"
#include "engine/core/script_runner.h"
#include "engine/core/text_layout.h"

namespace swf {

namespace {

double toTwips(double pixels) { return std::trunc(std::clamp(pixels, -1e8, 1e8) * kTwipsPerPixel); }

TextFieldSettings scratchSettings;  // what settings() hands out for an object that is not a field

}  // namespace

const EditText* ScriptClip::field() const {
    DisplayObject* o = object();
    if (!o || o->kind != DisplayObject::Kind::EditText) return nullptr;
    return o->fieldDefinition ? o->fieldDefinition.get() : runner_.library().movie().findAs<EditText>(o->characterId);
}

TextFieldState* ScriptClip::fieldState() {
    DisplayObject* o = object();
    return o ? fieldStateOf(*o, runner_.library().movie()) : nullptr;
}

bool ScriptClip::isTextField() { return field() != nullptr; }

std::string ScriptClip::fieldText() {
    TextFieldState* s = fieldState();
    if (!s) return "";
    // A clip's member shows at once; another object's is read at the end of each frame.
    std::string variable = fieldVariable(), value;
    if (!variable.empty() && runner_.boundVariable(*this, variable, value, true)) return value;
    return s->text();
}

void ScriptClip::setFieldText(const std::string& text) {
    TextFieldState* s = fieldState();
    if (!s) return;
    s->setText(text);
    std::string variable = fieldVariable();
    if (!variable.empty()) runner_.setBoundVariable(*this, variable, text);
}

std::string ScriptClip::fieldHtmlText() {
    TextFieldState* s = fieldState();
    if (!s) return "";
    // A field whose record is HTML keeps writing its text back as HTML after a script turns
    // `html` off.
    const EditText* def = field();
    return def && def->html ? s->document.html() : s->htmlText();
}

void ScriptClip::setFieldHtmlText(const std::string& html) {
    TextFieldState* s = fieldState();
    if (!s) return;
    s->setHtmlText(html);
    std::string variable = fieldVariable();
    if (!variable.empty()) runner_.setBoundVariable(*this, variable, s->html ? html : s->text());
}

std::string ScriptClip::fieldVariable() {
    const EditText* def = field();
    if (!def) return "";
    DisplayObject* o = object();
    return o->variable ? *o->variable : def->variableName;
}

void ScriptClip::setFieldVariable(const std::string& variable) {
    TextFieldState* s = fieldState();
    if (!s) return;
    object()->variable = variable;
    // A variable not set yet takes the field's own text: the text its record starts with, which
    // the field shows again.
    std::string value;
    if (variable.empty()) return;
    if (runner_.boundVariable(*this, variable, value)) {
        // A variable already set shows at once, wherever it lives.
        if (s->html) s->setHtmlText(value);
        else s->setText(value);
        return;
    }
    if (const EditText* def = field(); def && def->initialText) {
        if (s->html) s->setHtmlText(*def->initialText);
        else s->setText(*def->initialText);
    }
    std::string initial = s->text();
    if (initial.empty()) return;
    runner_.setBoundVariable(*this, variable, initial);
}

avm1::Clip* ScriptClip::createTextField(const std::string& name, int depth, double x, double y, double w, double h) {
    if (!clip_) return nullptr;
    auto def = std::make_shared<EditText>();
    auto size = [](double v) { return std::isfinite(v) ? std::clamp(v, -1e6, 1e6) * kTwipsPerPixel : 0.0; };
    def->bounds = Rect{0, 0, std::abs(size(w)), std::abs(size(h))};
    def->readOnly = true;
    auto obj = std::make_unique<DisplayObject>();
    obj->kind = DisplayObject::Kind::EditText;
    obj->fieldDefinition = std::move(def);
    obj->matrix = Matrix::translate(std::isfinite(x) ? toTwips(x) : 0, std::isfinite(y) ? toTwips(y) : 0);
    obj->clip = std::make_unique<swf::Clip>();
    obj->clip->owner = obj.get();
    obj->clip->playing = false;
    avm1::Clip* made = insert(std::move(obj), name, depth);
    if (auto* sc = static_cast<ScriptClip*>(made)) sc->loadQueued = true;
    return made;
}

bool ScriptClip::resizeField(bool width, double pixels) {
    TextFieldState* s = fieldState();
    DisplayObject* o = object();
    if (!s || !o || !std::isfinite(pixels)) return false;
    const Matrix& m = o->matrix;
    if (m.b != 0 || m.c != 0) return false;  // turned: scale as other clips do
    // The size applies to the box as the field's last change left it, sized to its text.
    if (s->autoSize != AutoSize::None) currentLayout(*s, runner_.library().movie(), &runner_.library().deviceFonts());
    // The box takes the size in its own space: a field scaled to 200% and given a width of 20
    // shows 40 pixels wide.
    double size = std::max(0.0, toTwips(pixels));
    if (width) s->bounds.xMax = s->bounds.xMin + size;
    else s->bounds.yMax = s->bounds.yMin + size;
    s->changed();
    return true;
}

TextFieldSettings& ScriptClip::settings() {
    TextFieldState* s = fieldState();
    return s ? *s : scratchSettings;
}

void ScriptClip::settingsChanged() {
    if (TextFieldState* s = fieldState()) s->changed();
}

size_t ScriptClip::length() {
    TextFieldState* s = fieldState();
    return s ? s->document.length() : 0;
}

TextFormat ScriptClip::format(size_t begin, size_t end) {
    TextFieldState* s = fieldState();
    return s ? s->document.formatOf(begin, end) : TextFormat{};
}

void ScriptClip::setFormat(size_t begin, size_t end, const TextFormat& format) {
    TextFieldState* s = fieldState();
    if (!s) return;
    s->document.applyFormat(begin, end, format);
    s->changed();
}

TextFormat ScriptClip::newFormat() {
    TextFieldState* s = fieldState();
    return s ? s->newFormat : TextFormat{};
}

void ScriptClip::setNewFormat(const TextFormat& format) {
    if (TextFieldState* s = fieldState()) s->newFormat.merge(format);
}

void ScriptClip::replaceText(size_t begin, size_t end, const std::string& text) {
    TextFieldState* s = fieldState();
    if (!s) return;
    const TextDocument& d = s->document;
    end = std::min(end, d.length());
    begin = std::min(begin, end);
    TextFormat f = d.length() == 0 ? s->newFormat : begin < end ? d.formatAt(begin) : d.formatAt(begin > 0 ? begin - 1 : 0);
    s->document.replace(begin, end, text, f);
    s->changed();
}

TextFieldMetrics ScriptClip::metrics() {
    TextFieldState* s = fieldState();
    if (!s) return {};
    const TextLayout& l = currentLayout(*s, runner_.library().movie(), &runner_.library().deviceFonts());
    TextFieldMetrics m;
    m.textWidth = l.textWidth / kTwipsPerPixel, m.textHeight = l.textHeight / kTwipsPerPixel;
    m.maxScroll = l.maxScroll, m.bottomScroll = l.bottomScroll, m.maxHScroll = l.maxHScroll;
    return m;
}

}  // namespace swf

// MovieClip methods (timeline, display list, hit tests, drawing) and the Color class.
#include <algorithm>
#include <cmath>

#include "engine/avm1/bitmap_data.h"
#include "engine/avm1/builtins.h"

namespace swf::avm1 {

namespace {

Clip* clipOf(Object* o) { return o ? o->clip : nullptr; }

Clip* clipArg(Machine& m, Object* self, const Value& v) {
    if (Object* o = v.object()) return o->clip;
    if (v.isNullish()) return nullptr;
    // A path names a clip inside this one or, failing that, a sibling.
    Clip* base = clipOf(self);
    std::string path = m.toString(v);
    Clip* found = m.resolveTarget(path, base);
    if (!found && base && base->parent()) found = m.resolveTarget(path, base->parent());
    return found;
}

Value clipValue(Machine& m, Clip* c) { return c ? Value(m.clipObject(c)) : Value(); }

// A frame number is taken as a 32-bit integer (wrapping, as the player's own arithmetic does) and
// counted from 0: one that lands below 0 is no frame and the clip stays where it is; one past the
// end is the last frame.
void gotoFrameNumber(Clip* c, double frame, bool play) {
    int32_t index = int32_t(uint32_t(toInt32(frame)) - 1u);
    if (index < 0) return;
    c->gotoFrame(index == INT32_MAX ? index : index + 1, play);
}

void gotoFrame(Machine& m, Clip* c, const Value& frame, bool play) {
    if (!c) return;
    if (frame.isNumber()) {
        gotoFrameNumber(c, frame.number(), play);
        return;
    }
    std::string s = m.toString(frame);
    double n = stringToNumber(s, false);
    if (std::isfinite(n)) gotoFrameNumber(c, n, play);
    else c->gotoLabel(s, play);
}

Value play(Machine&, Object* o, std::vector<Value>&) { if (Clip* c = clipOf(o)) c->play(); return Value(); }
Value stop(Machine&, Object* o, std::vector<Value>&) { if (Clip* c = clipOf(o)) c->stop(); return Value(); }
Value nextFrame(Machine&, Object* o, std::vector<Value>&) { if (Clip* c = clipOf(o)) c->nextFrame(); return Value(); }
Value prevFrame(Machine&, Object* o, std::vector<Value>&) { if (Clip* c = clipOf(o)) c->prevFrame(); return Value(); }
Value gotoAndPlay(Machine& m, Object* o, std::vector<Value>& a) { gotoFrame(m, clipOf(o), arg(a, 0), true); return Value(); }
Value gotoAndStop(Machine& m, Object* o, std::vector<Value>& a) { gotoFrame(m, clipOf(o), arg(a, 0), false); return Value(); }

int depthArg(Machine& m, const Value& v) {
    double d = m.toNumber(v);
    return std::isfinite(d) ? int(std::max(-2e9, std::min(2e9, d))) : 0;
}

Value duplicateMovieClip(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = clipOf(o);
    return c ? clipValue(m, c->duplicate(m.toString(arg(a, 0)), depthArg(m, arg(a, 1)))) : Value();
}

Value attachMovie(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = clipOf(o);
    if (!c) return Value();
    Clip* made = c->attachMovie(m.toString(arg(a, 0)), m.toString(arg(a, 1)), depthArg(m, arg(a, 2)));
    Value result = clipValue(m, made);
    // The init object's properties are copied onto the new clip.
    if (Object* init = arg(a, 3).object(); init && made) {
        for (const std::string& name : m.enumerate(init))
            m.setMember(result, name, m.getMember(Value(init), name));
    }
    return result;
}

Value createEmptyMovieClip(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = clipOf(o);
    return c ? clipValue(m, c->createEmptyMovieClip(m.toString(arg(a, 0)), depthArg(m, arg(a, 1)))) : Value();
}

Value removeMovieClip(Machine&, Object* o, std::vector<Value>&) {
    if (Clip* c = clipOf(o)) c->remove();
    return Value();
}

Value swapDepths(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = clipOf(o);
    if (!c || a.empty()) return Value();
    if (a[0].isNumber()) c->swapDepths(depthArg(m, a[0]));
    else if (Clip* other = clipArg(m, o, a[0])) c->swapDepths(other);
    return Value();
}

Value getDepth(Machine&, Object* o, std::vector<Value>&) {
    Clip* c = clipOf(o);
    return c ? Value(double(c->depth())) : Value();
}

Value getNextHighestDepth(Machine&, Object* o, std::vector<Value>&) {
    Clip* c = clipOf(o);
    return c ? Value(double(c->nextHighestDepth())) : Value();
}

Value hitTest(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = clipOf(o);
    if (!c) return Value();
    if (a.size() >= 2) return Value(c->hitTest(m.toNumber(a[0]), m.toNumber(a[1]), m.toBoolean(arg(a, 2))));
    Clip* other = clipArg(m, o, arg(a, 0));
    return Value(other ? c->hitTest(other) : false);
}

Value getBounds(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = clipOf(o);
    if (!c) return Value();
    Clip* space = a.empty() ? c : clipArg(m, o, a[0]);
    ClipBounds b = c->bounds(space ? space : c);
    Object* r = m.newObject();
    m.setMember(Value(r), "xMin", Value(b.xMin));
    m.setMember(Value(r), "xMax", Value(b.xMax));
    m.setMember(Value(r), "yMin", Value(b.yMin));
    m.setMember(Value(r), "yMax", Value(b.yMax));
    return Value(r);
}

Value convertPoint(Machine& m, Object* o, std::vector<Value>& a, bool toLocal) {
    Clip* c = clipOf(o);
    Object* pt = arg(a, 0).object();
    if (!c || !pt) return Value();
    double x = m.toNumber(m.getMember(Value(pt), "x")), y = m.toNumber(m.getMember(Value(pt), "y"));
    c->convertPoint(x, y, toLocal);
    m.setMember(Value(pt), "x", Value(x));
    m.setMember(Value(pt), "y", Value(y));
    return Value();
}

Value localToGlobal(Machine& m, Object* o, std::vector<Value>& a) { return convertPoint(m, o, a, false); }
Value globalToLocal(Machine& m, Object* o, std::vector<Value>& a) { return convertPoint(m, o, a, true); }

Value setMask(Machine& m, Object* o, std::vector<Value>& a) {
    if (Clip* c = clipOf(o)) c->setMask(clipArg(m, o, arg(a, 0)));
    return Value();
}

Value clear(Machine&, Object* o, std::vector<Value>&) { if (Clip* c = clipOf(o)) c->clear(); return Value(); }
Value endFill(Machine&, Object* o, std::vector<Value>&) { if (Clip* c = clipOf(o)) c->endFill(); return Value(); }

uint32_t rgbArg(Machine& m, const Value& v) { return uint32_t(toInt32(m.toNumber(v))) & 0xffffff; }

double alphaArg(Machine& m, const Value& v) {
    if (v.isUndefined()) return 100;
    double a = m.toNumber(v);
    return std::isnan(a) ? 100 : std::max(0.0, std::min(100.0, a));
}

Value lineStyle(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = clipOf(o);
    if (!c) return Value();
    if (a.empty() || a[0].isUndefined()) c->lineStyle(0, 0, 100, true);
    else c->lineStyle(m.toNumber(a[0]), rgbArg(m, arg(a, 1)), alphaArg(m, arg(a, 2)), false);
    return Value();
}

Value beginFill(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = clipOf(o);
    if (!c) return Value();
    if (a.empty() || a[0].isUndefined()) c->endFill();
    else c->beginFill(rgbArg(m, a[0]), alphaArg(m, arg(a, 1)));
    return Value();
}

Value beginGradientFill(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = clipOf(o);
    if (!c) return Value();
    // Without a type the call ends the fill, as beginFill() does; any other call that cannot make a
    // gradient (an unknown type, too few or too many arguments) leaves the fill as it was.
    if (a.empty() || a[0].isUndefined()) {
        c->endFill();
        return Value();
    }
    if (a.size() < 5 || a.size() > 8) return Value();
    GradientFillValues g;
    std::string type = m.toString(a[0]);
    if (type != "radial" && type != "linear") return Value();
    g.radial = type == "radial";
    Object *colors = a[1].object(), *alphas = a[2].object(), *ratios = a[3].object(), *mx = a[4].object();
    // Lists that do not match (or say nothing) make the call do nothing.
    if (!colors || !alphas || !ratios || !mx || !colors->isArray || !alphas->isArray || !ratios->isArray ||
        colors->elements.empty() || colors->elements.size() != alphas->elements.size() ||
        colors->elements.size() != ratios->elements.size())
        return Value();
    size_t n = std::min(colors->elements.size(), size_t(15));
    for (size_t i = 0; i < n; ++i) {
        // Ratios count in whole steps (a fraction is dropped, NaN is 0); one outside 0..255 spoils the call.
        double ratio = m.toNumber(ratios->elements[i]);
        ratio = std::isnan(ratio) ? 0 : std::trunc(ratio);
        if (ratio < 0 || ratio > 255) return Value();
        g.stops.push_back(GradientStop{rgbArg(m, colors->elements[i]), alphaArg(m, alphas->elements[i]), ratio});
    }
    std::string spread = a.size() > 5 ? m.toString(a[5]) : "";
    g.spread = spread == "reflect" ? 1 : spread == "repeat" ? 2 : 0;
    g.linearRgb = a.size() > 6 && m.toString(a[6]) == "linearRGB";
    if (a.size() > 7) {
        double f = m.toNumber(a[7]);
        g.focal = std::isfinite(f) ? std::max(-1.0, std::min(1.0, f)) : 0;
    }
    auto field = [&](const char* name) { return m.toNumber(m.getMember(Value(mx), name)); };
    double* matrix = g.matrix;
    if (m.toString(m.getMember(Value(mx), "matrixType")) == "box") {
        double w = field("w"), h = field("h"), r = field("r");
        matrix[0] = std::cos(r) * w / 1638.4;
        matrix[1] = std::sin(r) * h / 1638.4;
        matrix[2] = -std::sin(r) * w / 1638.4;
        matrix[3] = std::cos(r) * h / 1638.4;
        matrix[4] = field("x") + w / 2;
        matrix[5] = field("y") + h / 2;
    } else if (!m.getMember(Value(mx), "g").isUndefined()) {
        // The 3x3 form maps a unit square: scale it down to the gradient square.
        matrix[0] = field("a") / 1638.4;
        matrix[1] = field("b") / 1638.4;
        matrix[2] = field("d") / 1638.4;
        matrix[3] = field("e") / 1638.4;
        matrix[4] = field("g");
        matrix[5] = field("h");
    } else {
        matrix[0] = field("a");
        matrix[1] = field("b");
        matrix[2] = field("c");
        matrix[3] = field("d");
        matrix[4] = field("tx");
        matrix[5] = field("ty");
    }
    for (int i = 0; i < 6; ++i)
        if (!std::isfinite(matrix[i])) matrix[i] = 0;
    c->beginGradientFill(g);
    return Value();
}

// attachBitmap(bitmapData, depth[, pixelSnapping, smoothing]): shows the pixels at the depth.
Value attachBitmap(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = clipOf(o);
    BitmapPixels* b = bitmapPixels(arg(a, 0));
    if (!c || !b || a.size() < 2) return Value();
    c->attachBitmap(b->shown(), toClampedInt(m.toNumber(a[1])), a.size() > 3 && m.toBoolean(a[3]));
    return Value();
}

// beginBitmapFill(bitmapData[, matrix, repeat, smoothing]): what is drawn next shows the pixels,
// placed by the matrix (bitmap pixels to the clip's), tiled unless `repeat` is false.
Value beginBitmapFill(Machine& m, Object* o, std::vector<Value>& a) {
    Clip* c = clipOf(o);
    if (!c) return Value();
    BitmapPixels* b = bitmapPixels(arg(a, 0));
    if (!b) {
        c->endFill();
        return Value();
    }
    double matrix[6] = {1, 0, 0, 1, 0, 0};
    if (Object* mx = arg(a, 1).object()) {
        const char* names[6] = {"a", "b", "c", "d", "tx", "ty"};
        for (int i = 0; i < 6; ++i) {
            double v = m.toNumber(m.getMember(Value(mx), names[i]));
            matrix[i] = std::isfinite(v) ? v : 0;
        }
    }
    bool repeat = a.size() < 3 || a[2].isUndefined() || m.toBoolean(a[2]);
    bool smoothing = a.size() > 3 && m.toBoolean(a[3]);
    c->beginBitmapFill(b->shown(), matrix, repeat, smoothing);
    return Value();
}

Value moveTo(Machine& m, Object* o, std::vector<Value>& a) {
    if (Clip* c = clipOf(o)) c->moveTo(m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1)));
    return Value();
}

Value lineTo(Machine& m, Object* o, std::vector<Value>& a) {
    if (Clip* c = clipOf(o)) c->lineTo(m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1)));
    return Value();
}

Value curveTo(Machine& m, Object* o, std::vector<Value>& a) {
    if (Clip* c = clipOf(o))
        c->curveTo(m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1)), m.toNumber(arg(a, 2)), m.toNumber(arg(a, 3)));
    return Value();
}

Value bytesLoaded(Machine&, Object* o, std::vector<Value>&) {
    // The whole movie is in memory before it plays: loaded and total are the same.
    Clip* c = clipOf(o);
    return c ? Value(c->bytesTotal()) : Value();
}

Value noOp(Machine&, Object*, std::vector<Value>&) { return Value(); }

Value swfVersion(Machine& m, Object* o, std::vector<Value>&) {
    return clipOf(o) ? Value(double(m.swfVersion())) : Value();
}

// Color: the target clip is kept in slotA.
Clip* colorTarget(Object* self) { return self && self->slotA ? self->slotA->clip : nullptr; }

Value colorConstruct(Machine& m, Object* self, std::vector<Value>& a) {
    Clip* c = clipArg(m, nullptr, arg(a, 0));
    if (!c && !a.empty() && !a[0].isObject()) {
        Clip* root = m.host().level(0);
        c = root ? m.resolveTarget(m.toString(a[0]), root) : nullptr;
    }
    self->slotA = c ? m.clipObject(c) : nullptr;
    return Value(self);
}

Value colorSetRGB(Machine& m, Object* self, std::vector<Value>& a) {
    Clip* c = colorTarget(self);
    if (!c) return Value();
    uint32_t rgb = rgbArg(m, arg(a, 0));
    ColorTransformValues t = c->colorTransform();
    t.ra = t.ga = t.ba = 0;
    t.rb = double(rgb >> 16 & 0xff);
    t.gb = double(rgb >> 8 & 0xff);
    t.bb = double(rgb & 0xff);
    c->setColorTransform(t);
    return Value();
}

Value colorGetRGB(Machine&, Object* self, std::vector<Value>&) {
    Clip* c = colorTarget(self);
    if (!c) return Value();
    ColorTransformValues t = c->colorTransform();
    int r = int(t.rb) & 0xff, g = int(t.gb) & 0xff, b = int(t.bb) & 0xff;
    return Value(double(r << 16 | g << 8 | b));
}

Value colorSetTransform(Machine& m, Object* self, std::vector<Value>& a) {
    Clip* c = colorTarget(self);
    Object* src = arg(a, 0).object();
    if (!c || !src) return Value();
    ColorTransformValues t = c->colorTransform();
    auto take = [&](const char* name, double& field) {
        Value v = m.getMember(Value(src), name);
        if (!v.isUndefined()) {
            double d = m.toNumber(v);
            if (std::isfinite(d)) field = d;
        }
    };
    take("ra", t.ra); take("rb", t.rb); take("ga", t.ga); take("gb", t.gb);
    take("ba", t.ba); take("bb", t.bb); take("aa", t.aa); take("ab", t.ab);
    c->setColorTransform(t);
    return Value();
}

Value colorGetTransform(Machine& m, Object* self, std::vector<Value>&) {
    Clip* c = colorTarget(self);
    if (!c) return Value();
    ColorTransformValues t = c->colorTransform();
    Object* r = m.newObject();
    std::pair<const char*, double> fields[] = {{"ra", t.ra}, {"rb", t.rb}, {"ga", t.ga}, {"gb", t.gb},
                                               {"ba", t.ba}, {"bb", t.bb}, {"aa", t.aa}, {"ab", t.ab}};
    for (auto& [name, v] : fields) m.setMember(Value(r), name, Value(v));
    return Value(r);
}

}  // namespace

void installMovieClip(Machine& m) {
    m.movieClipProto = m.newObject();
    defineClass(m, "MovieClip", noOp, nullptr, m.movieClipProto);
    struct { const char* name; NativeFunction f; } methods[] = {
        {"play", play}, {"stop", stop}, {"nextFrame", nextFrame}, {"prevFrame", prevFrame},
        {"gotoAndPlay", gotoAndPlay}, {"gotoAndStop", gotoAndStop}, {"duplicateMovieClip", duplicateMovieClip},
        {"attachMovie", attachMovie}, {"createEmptyMovieClip", createEmptyMovieClip},
        {"removeMovieClip", removeMovieClip}, {"swapDepths", swapDepths}, {"getDepth", getDepth},
        {"getNextHighestDepth", getNextHighestDepth}, {"hitTest", hitTest}, {"getBounds", getBounds},
        {"setMask", setMask}, {"localToGlobal", localToGlobal}, {"globalToLocal", globalToLocal}, {"clear", clear}, {"lineStyle", lineStyle}, {"beginFill", beginFill},
        {"beginGradientFill", beginGradientFill}, {"endFill", endFill}, {"moveTo", moveTo},
        {"lineTo", lineTo}, {"curveTo", curveTo}, {"getBytesLoaded", bytesLoaded},
        {"getBytesTotal", bytesLoaded}, {"startDrag", noOp}, {"stopDrag", noOp},
        {"getSWFVersion", swfVersion}, {"attachBitmap", attachBitmap}, {"beginBitmapFill", beginBitmapFill}};
    for (auto& fn : methods) m.defineNative(m.movieClipProto, fn.name, fn.f);
    // Methods that came with later players are hidden from older movies.
    for (const char* name : {"getDepth", "createEmptyMovieClip", "setMask", "clear", "lineStyle", "beginFill",
                             "beginGradientFill", "endFill", "moveTo", "lineTo", "curveTo"})
        m.movieClipProto->find(m.key(name))->flags |= FromVersion6;
    m.movieClipProto->find(m.key("getNextHighestDepth"))->flags |= FromVersion7;
    for (const char* name : {"attachBitmap", "beginBitmapFill"}) m.movieClipProto->find(m.key(name))->flags |= FromVersion8;
    // Clips with button handlers take the pointer while enabled, and show the hand over them.
    for (const char* name : {"enabled", "useHandCursor"})
        m.movieClipProto->put(m.key(name), name, Value(true), DontEnum);
    // A clip whose own _lockroot is made true is `_root` to the code inside it.
    m.movieClipProto->put(m.key("_lockroot"), "_lockroot", Value(false), DontEnum);

    m.buttonProto = m.newObject();
    defineClass(m, "Button", noOp, nullptr, m.buttonProto);
    m.defineNative(m.buttonProto, "getDepth", getDepth);
    // A button's `enabled` comes from its prototype where a for-in over the button sees it.
    m.buttonProto->put(m.key("enabled"), "enabled", Value(true));
    m.buttonProto->put(m.key("useHandCursor"), "useHandCursor", Value(true), DontEnum);

    Object* colorProto = m.newObject();
    defineClass(m, "Color", noOp, colorConstruct, colorProto);
    m.defineNative(colorProto, "setRGB", colorSetRGB);
    m.defineNative(colorProto, "getRGB", colorGetRGB);
    m.defineNative(colorProto, "setTransform", colorSetTransform);
    m.defineNative(colorProto, "getTransform", colorGetTransform);
}

}  // namespace swf::avm1

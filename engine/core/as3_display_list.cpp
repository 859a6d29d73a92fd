// DisplayObject, InteractiveObject, DisplayObjectContainer, Sprite, Shape and the stage's own
// properties: each reads and writes the engine's display object behind the script object.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/core/as3_display.h"
#include "engine/core/display_geometry.h"
#include "engine/core/timeline_player.h"

namespace swf {

using namespace avm2;

namespace {

double degrees(double radians) { return radians * 180.0 / std::numbers::pi; }

// Scale and rotation as scripts read them, taken apart from the matrix.
double scaleXOf(const Matrix& m) { return std::sqrt(m.a * m.a + m.b * m.b); }
double scaleYOf(const Matrix& m) {
    double s = std::sqrt(m.c * m.c + m.d * m.d);
    return m.determinant() < 0 ? -s : s;
}
double rotationOf(const Matrix& m) { return degrees(std::atan2(m.b, m.a)); }

void compose(Matrix& m, double sx, double sy, double rotationDegrees) {
    double r = rotationDegrees * std::numbers::pi / 180.0;
    m.a = sx * std::cos(r);
    m.b = sx * std::sin(r);
    m.c = -sy * std::sin(r);
    m.d = sy * std::cos(r);
}

Rect transformed(const Rect& r, const Matrix& m) {
    Rect out;
    if (r.empty()) return out;
    for (Point p : {Point{r.xMin, r.yMin}, Point{r.xMax, r.yMin}, Point{r.xMin, r.yMax}, Point{r.xMax, r.yMax}})
        out.include(m.apply(p));
    return out;
}

}  // namespace

void As3Display::installDisplayObject() {
    Machine& m = m_;
    auto emptyCtor = [](Machine&, const Value&, Args) { return Value(); };
    // Objects made by `new` get a node of their own; those the timeline placed have one already.
    auto spriteCtor = [this](Machine& m, const Value& self, Args) -> Value {
        As3DisplayObject* o = asDisplayObject(m, self);
        if (!o->node && o != root_) {
            // A class linked to a library symbol gets the symbol's content (and timeline).
            if (uint16_t symbol = symbolOf(o->cls)) buildFromSymbol(o, symbol);
            if (!o->node) {
                o->detached = newNode(DisplayObject::Kind::Sprite);
                adopt(o, o->detached.get());
            }
            o->node->name = "instance" + std::to_string(++scriptInstances_);
        }
        return Value();
    };
    displayObjectClass = m.defineClass(u"flash.display", u"DisplayObject", dispatcherClass, emptyCtor);
    interactiveClass = m.defineClass(u"flash.display", u"InteractiveObject", displayObjectClass, emptyCtor);
    containerClass = m.defineClass(u"flash.display", u"DisplayObjectContainer", interactiveClass, emptyCtor);
    spriteClass = m.defineClass(u"flash.display", u"Sprite", containerClass, spriteCtor);
    movieClipClass = m.defineClass(u"flash.display", u"MovieClip", spriteClass, spriteCtor);
    movieClipClass->isSealedInstances = false;
    shapeClass = m.defineClass(u"flash.display", u"Shape", displayObjectClass, spriteCtor);
    morphShapeClass = m.defineClass(u"flash.display", u"MorphShape", displayObjectClass, emptyCtor);
    staticTextClass = m.defineClass(u"flash.text", u"StaticText", displayObjectClass, emptyCtor);
    simpleButtonClass = m.defineClass(u"flash.display", u"SimpleButton", interactiveClass, emptyCtor);
    stageClass = m.defineClass(u"flash.display", u"Stage", containerClass, nullptr);

    auto self = [](Machine& m, const Value& v) { return asDisplayObject(m, v); };
    auto transformChanged = [](As3DisplayObject* o) {
        if (o->node) o->node->scriptTransformed = true;
    };
    m.defineGetter(displayObjectClass, u"x", [this, self](Machine& m, const Value& v, Args) -> Value {
        return Value(matrixOf(self(m, v)).tx / kTwips);
    }, [this, self, transformChanged](Machine& m, const Value& v, Args a) -> Value {
        double x = m.toNumber(arg(a, 0));
        As3DisplayObject* o = self(m, v);
        if (std::isfinite(x)) matrixOf(o).tx = std::round(x * kTwips);
        transformChanged(o);
        return Value();
    });
    m.defineGetter(displayObjectClass, u"y", [this, self](Machine& m, const Value& v, Args) -> Value {
        return Value(matrixOf(self(m, v)).ty / kTwips);
    }, [this, self, transformChanged](Machine& m, const Value& v, Args a) -> Value {
        double y = m.toNumber(arg(a, 0));
        As3DisplayObject* o = self(m, v);
        if (std::isfinite(y)) matrixOf(o).ty = std::round(y * kTwips);
        transformChanged(o);
        return Value();
    });
    enum Part { ScaleX, ScaleY, Rotation };
    auto part = [this, self, transformChanged](Part which) {
        auto get = [this, self, which](Machine& m, const Value& v, Args) -> Value {
            const Matrix& mx = matrixOf(self(m, v));
            double r = which == ScaleX ? scaleXOf(mx) : which == ScaleY ? scaleYOf(mx) : rotationOf(mx);
            return Value(r);
        };
        auto set = [this, self, which, transformChanged](Machine& m, const Value& v, Args a) -> Value {
            double value = m.toNumber(arg(a, 0));
            if (!std::isfinite(value)) return Value();
            As3DisplayObject* o = self(m, v);
            Matrix& mx = matrixOf(o);
            double sx = scaleXOf(mx), sy = scaleYOf(mx), rot = rotationOf(mx);
            if (which == ScaleX) sx = value;
            else if (which == ScaleY) sy = value;
            else rot = std::fmod(value, 360.0);
            compose(mx, sx, sy, rot);
            transformChanged(o);
            return Value();
        };
        return std::pair{get, set};
    };
    for (auto [name, which] : {std::pair{u"scaleX", ScaleX}, std::pair{u"scaleY", ScaleY}, std::pair{u"rotation", Rotation}}) {
        auto [get, set] = part(which);
        m.defineGetter(displayObjectClass, name, get, set);
    }
    m.defineGetter(displayObjectClass, u"alpha", [self](Machine& m, const Value& v, Args) -> Value {
        As3DisplayObject* o = self(m, v);
        return Value(o->node ? static_cast<double>(o->node->colorTransform.aMul) : 1.0);
    }, [self](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* o = self(m, v);
        double value = m.toNumber(arg(a, 0));
        if (o->node && !std::isnan(value)) {
            o->node->colorTransform.aMul = static_cast<float>(value);
            o->node->scriptTransformed = true;
        }
        return Value();
    });
    m.defineGetter(displayObjectClass, u"visible", [self](Machine& m, const Value& v, Args) -> Value {
        As3DisplayObject* o = self(m, v);
        return Value(!o->node || o->node->visible);
    }, [self](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* o = self(m, v);
        if (o->node) o->node->visible = m.toBoolean(arg(a, 0));
        return Value();
    });
    m.defineGetter(displayObjectClass, u"name", [this, self](Machine& m, const Value& v, Args) -> Value {
        As3DisplayObject* o = self(m, v);
        if (o == stage_) return Value::null();  // the stage has no name
        return Value(o->node ? utf8ToUtf16(o->node->name) : o->name);
    }, [this, self](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* o = self(m, v);
        if (o->node && o->node->fromTimeline)
            m.throwError(u"IllegalOperationError", 2078, u"The name property of a Timeline-placed object cannot be modified.");
        if (o == root_) m.throwError(u"IllegalOperationError", 2078, u"The name property of a Timeline-placed object cannot be modified.");
        String name = m.toString(arg(a, 0));
        if (o->node) o->node->name = utf16ToUtf8(name);
        else o->name = name;
        return Value();
    });
    m.defineGetter(displayObjectClass, u"parent", [this, self](Machine& m, const Value& v, Args) -> Value {
        As3DisplayObject* p = parentOf(self(m, v));
        return p ? Value(p) : Value::null();
    });
    m.defineGetter(displayObjectClass, u"root", [this, self](Machine& m, const Value& v, Args) -> Value {
        As3DisplayObject* o = self(m, v);
        for (int n = 0; o && o != root_ && n < 1024; ++n) o = parentOf(o);
        return o == root_ && root_ ? Value(root_) : Value::null();
    });
    m.defineGetter(displayObjectClass, u"stage", [this, self](Machine& m, const Value& v, Args) -> Value {
        return onStage(self(m, v)) ? Value(stage_) : Value::null();
    });
    auto sizeAccessor = [this, self, transformChanged](bool horizontal) {
        auto get = [this, self, horizontal](Machine& m, const Value& v, Args) -> Value {
            As3DisplayObject* o = self(m, v);
            Rect r = transformed(localBounds(o), matrixOf(o));
            return Value((horizontal ? r.width() : r.height()) / kTwips);
        };
        auto set = [this, self, horizontal, transformChanged](Machine& m, const Value& v, Args a) -> Value {
            As3DisplayObject* o = self(m, v);
            double want = m.toNumber(arg(a, 0));
            if (!std::isfinite(want) || want < 0) return Value();
            Rect local = localBounds(o);
            Matrix& mx = matrixOf(o);
            double rot = rotationOf(mx), sx = scaleXOf(mx), sy = scaleYOf(mx);
            // The size along the axis without rotation: the local extent scaled.
            Matrix unrotated = mx;
            compose(unrotated, sx, sy, 0);
            Rect now = transformed(local, Matrix{unrotated.a, unrotated.b, unrotated.c, unrotated.d, 0, 0});
            double current = horizontal ? now.width() : now.height();
            double extent = horizontal ? local.width() : local.height();
            if (extent <= 0) return Value();
            double scale = want * kTwips / extent;
            if (current > 0 && (horizontal ? sx : sy) < 0) scale = -scale;
            if (horizontal) sx = scale;
            else sy = scale;
            compose(mx, sx, sy, rot);
            transformChanged(o);
            return Value();
        };
        return std::pair{get, set};
    };
    {
        auto [gw, sw] = sizeAccessor(true);
        m.defineGetter(displayObjectClass, u"width", gw, sw);
        auto [gh, sh] = sizeAccessor(false);
        m.defineGetter(displayObjectClass, u"height", gh, sh);
    }
    // Where the pointer is, in the object's own space.
    for (bool horizontal : {true, false})
        m.defineGetter(displayObjectClass, horizontal ? u"mouseX" : u"mouseY", [this, self, horizontal](Machine& m, const Value& v, Args) -> Value {
            Matrix world = worldMatrixOf(self(m, v));
            Point p = world.invertible() ? world.inverted().apply(pointer_) : pointer_;
            return Value((horizontal ? p.x : p.y) / kTwips);
        });
    m.defineGetter(displayObjectClass, u"mask", [this, self](Machine& m, const Value& v, Args) -> Value {
        As3DisplayObject* o = self(m, v);
        As3DisplayObject* mask = o->node ? find(o->node->maskedBy) : nullptr;
        return mask ? Value(mask) : Value::null();
    }, [self](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* o = self(m, v);
        if (!o->node) return Value();
        if (o->node->maskedBy) {
            o->node->maskedBy->masking = nullptr;
            o->node->maskedBy = nullptr;
        }
        if (arg(a, 0).isNull() || arg(a, 0).isUndefined()) return Value();
        As3DisplayObject* mask = asDisplayObject(m, arg(a, 0));
        if (!mask->node || mask->node == o->node) return Value();
        if (mask->node->masking) mask->node->masking->maskedBy = nullptr;
        mask->node->masking = o->node;
        o->node->maskedBy = mask->node;
        return Value();
    });
    m.defineGetter(displayObjectClass, u"blendMode", [self](Machine& m, const Value& v, Args) -> Value {
        static const char16_t* names[] = {u"normal", u"normal", u"layer", u"multiply", u"screen", u"lighten", u"darken",
                                          u"difference", u"add", u"subtract", u"invert", u"alpha", u"erase", u"overlay",
                                          u"hardlight"};
        As3DisplayObject* o = self(m, v);
        auto i = o->node ? static_cast<size_t>(o->node->blendMode) : 0;
        return Value(String(i < std::size(names) ? names[i] : u"normal"));
    }, [self](Machine& m, const Value& v, Args a) -> Value {
        static const char16_t* names[] = {u"normal", u"layer", u"multiply", u"screen", u"lighten", u"darken", u"difference",
                                          u"add", u"subtract", u"invert", u"alpha", u"erase", u"overlay", u"hardlight"};
        As3DisplayObject* o = self(m, v);
        String want = m.toString(arg(a, 0));
        for (size_t i = 0; i < std::size(names); ++i)
            if (want == names[i] && o->node) o->node->blendMode = static_cast<BlendMode>(i + 1);
        return Value();
    });

    // Bounds, points and hit tests, in pixels of the spaces scripts name.
    auto rectangle = [this](Machine& m, const Rect& r) -> Value {
        Value a[4] = {Value(r.empty() ? 0.0 : r.xMin / kTwips), Value(r.empty() ? 0.0 : r.yMin / kTwips),
                      Value(r.width() / kTwips), Value(r.height() / kTwips)};
        return m.construct(Value(rectangleClass), a);
    };
    auto boundsIn = [this, self, rectangle](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* o = self(m, v);
        Matrix toTarget = worldMatrixOf(o);
        if (Object* t = arg(a, 0).object(); t && t->type == ObjectType::Display)
            toTarget = worldMatrixOf(static_cast<As3DisplayObject*>(t)).inverted() * toTarget;
        return rectangle(m, transformed(localBounds(o), toTarget));
    };
    m.defineMethod(displayObjectClass, u"getBounds", 1, boundsIn);
    m.defineMethod(displayObjectClass, u"getRect", 1, boundsIn);
    auto pointArg = [](Machine& m, const Value& v) -> Point {
        if (v.isNull() || v.isUndefined()) m.typeError(2007, u"Parameter point must be non-null.");
        return Point{m.toNumber(m.get(v, u"x")) * kTwips, m.toNumber(m.get(v, u"y")) * kTwips};
    };
    auto point = [this](Machine& m, Point p) -> Value {
        Value a[2] = {Value(p.x / kTwips), Value(p.y / kTwips)};
        return m.construct(Value(pointClass), a);
    };
    m.defineMethod(displayObjectClass, u"localToGlobal", 1, [this, self, pointArg, point](Machine& m, const Value& v, Args a) -> Value {
        return point(m, worldMatrixOf(self(m, v)).apply(pointArg(m, arg(a, 0))));
    });
    m.defineMethod(displayObjectClass, u"globalToLocal", 1, [this, self, pointArg, point](Machine& m, const Value& v, Args a) -> Value {
        return point(m, worldMatrixOf(self(m, v)).inverted().apply(pointArg(m, arg(a, 0))));
    });
    m.defineMethod(displayObjectClass, u"hitTestPoint", 3, [this, self](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* o = self(m, v);
        // The player reads the point in the main movie's space: a moved or turned root moves it.
        Point global = worldMatrixOf(root_).apply(Point{m.toNumber(arg(a, 0)) * kTwips, m.toNumber(arg(a, 1)) * kTwips});
        Matrix world = worldMatrixOf(o);
        if (!world.invertible()) return Value(false);
        Point local = world.inverted().apply(global);
        if (m.toBoolean(arg(a, 2))) {
            if (o == root_) return Value(hitsClip(rootClip_, local, library_));
            return Value(o->node && hitsContent(*o->node, local, library_));
        }
        Rect r = transformed(localBounds(o), world);
        return Value(!r.empty() && global.x >= r.xMin && global.x <= r.xMax && global.y >= r.yMin && global.y <= r.yMax);
    });
    m.defineMethod(displayObjectClass, u"hitTestObject", 1, [this, self](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* o = self(m, v);
        As3DisplayObject* other = asDisplayObject(m, arg(a, 0));
        Rect r1 = transformed(localBounds(o), worldMatrixOf(o)), r2 = transformed(localBounds(other), worldMatrixOf(other));
        if (r1.empty() || r2.empty()) return Value(false);
        return Value(r1.xMin <= r2.xMax && r2.xMin <= r1.xMax && r1.yMin <= r2.yMax && r2.yMin <= r1.yMax);
    });

    // Interactive flags scripts set and read back; the pointer's picking reads mouseEnabled and mouseChildren.
    auto stored = [&m](ClassObject* c, const char16_t* name, Value initial) {
        String key(name);
        m.defineGetter(c, name, [key, initial](Machine& m, const Value& v, Args) -> Value {
            As3DisplayObject* o = asDisplayObject(m, v);
            auto it = o->stored.find(key);
            return it == o->stored.end() ? initial : it->second;
        }, [key, initial](Machine& m, const Value& v, Args a) -> Value {
            Value x = arg(a, 0);
            if (initial.isBoolean()) x = Value(m.toBoolean(x));
            asDisplayObject(m, v)->stored[key] = x;
            return Value();
        });
    };
    stored(interactiveClass, u"mouseEnabled", Value(true));
    stored(interactiveClass, u"doubleClickEnabled", Value(false));
    stored(interactiveClass, u"tabEnabled", Value(false));
    stored(interactiveClass, u"focusRect", Value::null());
    stored(containerClass, u"mouseChildren", Value(true));
    stored(containerClass, u"tabChildren", Value(true));
    stored(spriteClass, u"buttonMode", Value(false));
    stored(spriteClass, u"useHandCursor", Value(true));
    // Drawing settings the display draws by: bitmap caching, a background colour and a scroll window.
    m.defineGetter(displayObjectClass, u"cacheAsBitmap", [self](Machine& m, const Value& v, Args) -> Value {
        As3DisplayObject* o = self(m, v);
        return Value(o->node && o->node->cacheAsBitmap);
    }, [self](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* o = self(m, v);
        if (o->node) o->node->cacheAsBitmap = m.toBoolean(arg(a, 0));
        return Value();
    });
    m.defineGetter(displayObjectClass, u"opaqueBackground", [self](Machine& m, const Value& v, Args) -> Value {
        As3DisplayObject* o = self(m, v);
        if (!o->node || !o->node->opaqueBackground) return Value::null();
        Rgba c = *o->node->opaqueBackground;
        return Value(double(uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b));
    }, [self](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* o = self(m, v);
        if (!o->node) return Value();
        Value x = arg(a, 0);
        if (x.isNull() || x.isUndefined()) {
            o->node->opaqueBackground.reset();
        } else {
            double n = m.toNumber(x);
            uint32_t c = std::isfinite(n) ? uint32_t(int64_t(std::fmod(std::trunc(n), 4294967296.0))) : 0;
            o->node->opaqueBackground = Rgba{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255};
        }
        return Value();
    });
    m.defineGetter(displayObjectClass, u"scrollRect", [this, self](Machine& m, const Value& v, Args) -> Value {
        As3DisplayObject* o = self(m, v);
        if (!o->node || !o->node->scrollRect) return Value::null();
        const Rect& r = *o->node->scrollRect;
        Value a[4] = {Value(r.xMin / kTwips), Value(r.yMin / kTwips), Value(r.width() / kTwips),
                      Value(r.height() / kTwips)};
        return m.construct(Value(rectangleClass), a);
    }, [this, self](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* o = self(m, v);
        Value r = m.coerce(arg(a, 0), rectangleClass);
        if (!o->node) return Value();
        o->node->scrollRect.reset();
        if (r.isNull() || r.isUndefined()) return Value();
        double x = m.toNumber(m.get(r, u"x")), y = m.toNumber(m.get(r, u"y"));
        double w = m.toNumber(m.get(r, u"width")), h = m.toNumber(m.get(r, u"height"));
        if (std::isfinite(x) && std::isfinite(y) && std::isfinite(w) && std::isfinite(h))
            o->node->scrollRect = Rect{x * kTwips, y * kTwips, (x + std::max(0.0, w)) * kTwips,
                                       (y + std::max(0.0, h)) * kTwips};
        return Value();
    });

    // The stage.
    stage_ = static_cast<As3DisplayObject*>(m.instantiate(stageClass));
    stage_->display = this;
    m.defineGetter(stageClass, u"stageWidth", [this](Machine&, const Value&, Args) -> Value { return Value(stageWidth_); },
                   [](Machine&, const Value&, Args) -> Value { return Value(); });
    m.defineGetter(stageClass, u"stageHeight", [this](Machine&, const Value&, Args) -> Value { return Value(stageHeight_); },
                   [](Machine&, const Value&, Args) -> Value { return Value(); });
    m.defineGetter(stageClass, u"frameRate", [this](Machine&, const Value&, Args) -> Value { return Value(frameRate_); },
                   [this](Machine& m, const Value&, Args a) -> Value {
                       double r = m.toNumber(arg(a, 0));
                       if (r > 0) frameRate_ = std::min(1000.0, std::max(0.01, r));
                       return Value();
                   });
    stored(stageClass, u"scaleMode", Value(String(u"showAll")));
    stored(stageClass, u"align", Value(String(u"")));
    stored(stageClass, u"quality", Value(String(u"HIGH")));
    stored(stageClass, u"focus", Value::null());
}

void As3Display::installStageRefusals() {
    Machine& m = m_;
    // The player refuses these through Error.throwError, which its stack traces show.
    FunctionObject* refuse = m.newNative(u"throwError", 0, [](Machine& m, const Value&, Args) -> Value {
        m.throwError(u"Error", 2071, u"The Stage class does not implement this property or method.");
    });
    refuse->traceName = u"Error$/throwError";
    auto refusal = [this, &m, refuse](const String& traceName) {
        FunctionObject* f = m.newNative(traceName, 1, [refuse](Machine& m, const Value& self, Args) -> Value {
            return m.callNative(refuse, self, {});
        });
        f->traceName = stageClass->qualifiedName() + u"/" + traceName;
        return f;
    };
    // What the stage still reads of the ones it does not have itself.
    auto unread = [](Machine&, const Value&, Args) -> Value { return Value::null(); };
    for (const char16_t* name : {u"accessibilityImplementation", u"accessibilityProperties", u"alpha", u"blendMode",
                                 u"cacheAsBitmap", u"contextMenu", u"filters", u"focusRect", u"height", u"mask",
                                 u"mouseEnabled", u"name", u"opaqueBackground", u"rotation", u"rotationX", u"rotationY",
                                 u"rotationZ", u"scale9Grid", u"scaleX", u"scaleY", u"scaleZ", u"tabEnabled", u"tabIndex",
                                 u"transform", u"visible", u"width", u"x", u"y", u"z"}) {
        Binding b;
        b.kind = Binding::Kind::Accessor;
        if (Binding* inherited = stageClass->instanceTraits.findQ(m.publicNs, name);
            inherited && inherited->kind == Binding::Kind::Accessor)
            b = *inherited;
        if (!b.getter) b.getter = m.newNative(name, 0, unread);
        b.setter = refusal(u"set " + String(name));
        b.declaredBy = stageClass;
        stageClass->instanceTraits.set(m.publicNs, name, b);
    }
    Binding colors;
    colors.kind = Binding::Kind::Accessor;
    colors.getter = m.newNative(u"colorCorrection", 0, [](Machine&, const Value&, Args) -> Value { return Value(String(u"default")); });
    FunctionObject* refusedColors = refusal(u"set colorCorrection");
    colors.setter = m.newNative(u"colorCorrection", 1, [refusedColors](Machine& m, const Value& self, Args a) -> Value {
        if (arg(a, 0).isNullish()) m.typeError(2007, u"Parameter colorCorrection must be non-null.");
        return m.call(Value(refusedColors), self, {});
    });
    colors.setter->traceName = stageClass->qualifiedName() + u"/set colorCorrection";
    colors.declaredBy = stageClass;
    stageClass->instanceTraits.set(m.publicNs, u"colorCorrection", colors);
    // A typed setter converts its value before it runs, so a value of another type fails there.
    Binding scroll;
    if (Binding* inherited = stageClass->instanceTraits.findQ(m.publicNs, u"scrollRect")) scroll = *inherited;
    scroll.kind = Binding::Kind::Accessor;
    if (!scroll.getter) scroll.getter = m.newNative(u"scrollRect", 0, unread);
    FunctionObject* refusedScroll = refusal(u"set scrollRect");
    scroll.setter = m.newNative(u"scrollRect", 1, [this, refusedScroll](Machine& m, const Value& self, Args a) -> Value {
        m.coerce(arg(a, 0), rectangleClass);
        return m.call(Value(refusedScroll), self, {});
    });
    scroll.declaredBy = stageClass;
    stageClass->instanceTraits.set(m.publicNs, u"scrollRect", scroll);
    Binding snapshot;
    snapshot.kind = Binding::Kind::Accessor;
    snapshot.getter = refusal(u"get textSnapshot");
    snapshot.declaredBy = stageClass;
    stageClass->instanceTraits.set(m.publicNs, u"textSnapshot", snapshot);
}

void As3Display::installContainer() {
    Machine& m = m_;
    auto self = [](Machine& m, const Value& v) { return asDisplayObject(m, v); };
    auto indexOf = [this](As3DisplayObject* p, As3DisplayObject* c) -> long {
        std::vector<As3DisplayObject*> list = childrenOf(p);
        auto it = std::find(list.begin(), list.end(), c);
        return it == list.end() ? -1 : it - list.begin();
    };
    auto checkAddable = [this](Machine& m, As3DisplayObject* parent, As3DisplayObject* child) {
        if (child == parent) m.throwError(u"ArgumentError", 2024, u"An object cannot be added as a child of itself.");
        for (As3DisplayObject* p = parent; p; p = parentOf(p))
            if (p == child)
                m.throwError(u"ArgumentError", 2150, u"An object cannot be added as a child to one of it's children (or children's children, etc.).");
    };
    // The stage lists the root first, before what scripts add to it.
    auto clipIndex = [this](As3DisplayObject* p, size_t index) { return p == stage_ && index > 0 ? index - 1 : index; };
    m.defineMethod(containerClass, u"addChild", 1, [this, self, checkAddable, indexOf, clipIndex](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* p = self(m, v);
        As3DisplayObject* c = asDisplayObject(m, arg(a, 0));
        checkAddable(m, p, c);
        size_t count = childrenOf(p).size();
        if (indexOf(p, c) >= 0) --count;
        insertChild(p, c, clipIndex(p, count));
        return arg(a, 0);
    });
    m.defineMethod(containerClass, u"addChildAt", 2, [this, self, checkAddable, indexOf, clipIndex](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* p = self(m, v);
        As3DisplayObject* c = asDisplayObject(m, arg(a, 0));
        int index = m.toInt(arg(a, 1));
        size_t count = childrenOf(p).size();
        if (index < 0 || static_cast<size_t>(index) > count) m.rangeError(2006, u"The supplied index is out of bounds.");
        checkAddable(m, p, c);
        insertChild(p, c, clipIndex(p, static_cast<size_t>(index)));
        (void)indexOf;
        return arg(a, 0);
    });
    auto removeChecked = [this, indexOf](Machine& m, As3DisplayObject* p, As3DisplayObject* c) -> Value {
        if (indexOf(p, c) < 0) m.throwError(u"ArgumentError", 2025, u"The supplied DisplayObject must be a child of the caller.");
        detach(c);
        return Value(c);
    };
    m.defineMethod(containerClass, u"removeChild", 1, [self, removeChecked](Machine& m, const Value& v, Args a) -> Value {
        return removeChecked(m, self(m, v), asDisplayObject(m, arg(a, 0)));
    });
    auto childAt = [this](Machine& m, As3DisplayObject* p, const Value& i) -> As3DisplayObject* {
        int index = m.toInt(i);
        std::vector<As3DisplayObject*> list = childrenOf(p);
        if (index < 0 || static_cast<size_t>(index) >= list.size()) m.rangeError(2006, u"The supplied index is out of bounds.");
        return list[static_cast<size_t>(index)];
    };
    m.defineMethod(containerClass, u"removeChildAt", 1, [self, removeChecked, childAt](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* p = self(m, v);
        return removeChecked(m, p, childAt(m, p, arg(a, 0)));
    });
    m.defineMethod(containerClass, u"removeChildren", 2, [this, self](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* p = self(m, v);
        std::vector<As3DisplayObject*> list = childrenOf(p);
        int from = a.size() > 0 ? m.toInt(a[0]) : 0;
        int to = a.size() > 1 ? m.toInt(a[1]) : 0x7fffffff;
        if (to == 0x7fffffff) to = static_cast<int>(list.size()) - 1;
        if (list.empty() && from == 0 && to < 0) return Value();
        if (from < 0 || to < from || static_cast<size_t>(to) >= list.size())
            m.rangeError(2006, u"The supplied index is out of bounds.");
        for (int i = from; i <= to; ++i) detach(list[static_cast<size_t>(i)]);
        return Value();
    });
    m.defineMethod(containerClass, u"getChildAt", 1, [self, childAt](Machine& m, const Value& v, Args a) -> Value {
        return Value(childAt(m, self(m, v), arg(a, 0)));
    });
    m.defineMethod(containerClass, u"getChildIndex", 1, [self, indexOf](Machine& m, const Value& v, Args a) -> Value {
        long i = indexOf(self(m, v), asDisplayObject(m, arg(a, 0)));
        if (i < 0) m.throwError(u"ArgumentError", 2025, u"The supplied DisplayObject must be a child of the caller.");
        return Value(static_cast<double>(i));
    });
    m.defineMethod(containerClass, u"setChildIndex", 2, [this, self, indexOf, clipIndex](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* p = self(m, v);
        As3DisplayObject* c = asDisplayObject(m, arg(a, 0));
        int index = m.toInt(arg(a, 1));
        long now = indexOf(p, c);
        if (now < 0) m.throwError(u"ArgumentError", 2025, u"The supplied DisplayObject must be a child of the caller.");
        if (index < 0 || static_cast<size_t>(index) >= childrenOf(p).size()) m.rangeError(2006, u"The supplied index is out of bounds.");
        if (now == index || c == root_) return Value();
        // A move within one parent sends no events.
        detach(c, false);
        insertChild(p, c, clipIndex(p, static_cast<size_t>(index)));
        return Value();
    });
    auto swap = [](As3DisplayObject* x, As3DisplayObject* y) {
        if (!x->node || !y->node || x->node->parent != y->node->parent || !x->node->parent || x == y) return;
        Clip* clip = x->node->parent;
        int dx = x->node->depth, dy = y->node->depth;
        std::swap(clip->children[dx], clip->children[dy]);
        clip->children[dx]->depth = dx;
        clip->children[dy]->depth = dy;
    };
    m.defineMethod(containerClass, u"swapChildren", 2, [self, indexOf, swap](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* p = self(m, v);
        As3DisplayObject* x = asDisplayObject(m, arg(a, 0));
        As3DisplayObject* y = asDisplayObject(m, arg(a, 1));
        if (indexOf(p, x) < 0 || indexOf(p, y) < 0)
            m.throwError(u"ArgumentError", 2025, u"The supplied DisplayObject must be a child of the caller.");
        swap(x, y);
        return Value();
    });
    m.defineMethod(containerClass, u"swapChildrenAt", 2, [self, childAt, swap](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* p = self(m, v);
        swap(childAt(m, p, arg(a, 0)), childAt(m, p, arg(a, 1)));
        return Value();
    });
    m.defineMethod(containerClass, u"getChildByName", 1, [this, self](Machine& m, const Value& v, Args a) -> Value {
        String name = m.toString(arg(a, 0));
        for (As3DisplayObject* c : childrenOf(self(m, v)))
            if ((c->node ? utf8ToUtf16(c->node->name) : c->name) == name) return Value(c);
        return Value::null();
    });
    m.defineMethod(containerClass, u"contains", 1, [this, self](Machine& m, const Value& v, Args a) -> Value {
        As3DisplayObject* p = self(m, v);
        As3DisplayObject* c = asDisplayObject(m, arg(a, 0));
        for (int n = 0; c && n < 1024; ++n, c = parentOf(c))
            if (c == p) return Value(true);
        return Value(false);
    });
    m.defineGetter(containerClass, u"numChildren", [this, self](Machine& m, const Value& v, Args) -> Value {
        return Value(static_cast<double>(childrenOf(self(m, v)).size()));
    });
}

}  // namespace swf

// What the script machine needs from the display side: movie clips it can read, move and drive,
// and the player around them (trace output, fscommand, the clock). The engine's core implements
// these; tests use a fake.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/avm1/function_code.h"
#include "engine/avm1/sound_control.h"
#include "engine/avm1/text_field_access.h"
#include "engine/avm1/video_access.h"
#include "engine/base/effects.h"
#include "engine/base/pixel_source.h"

namespace swf::avm1 {

// Properties by index, in the order the property actions number them.
enum class ClipProperty : int {
    X, Y, XScale, YScale, CurrentFrame, TotalFrames, Alpha, Visible, Width, Height, Rotation,
    Target, FramesLoaded, Name, DropTarget, Url, HighQuality, FocusRect, SoundBufTime, Quality,
    XMouse, YMouse, Count
};

struct ClipBounds {
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;  // pixels
};

// How a clip is drawn beyond its matrix and colour: blend mode, bitmap caching, a colour behind
// its content and the window a scroll rectangle opens on it.
struct ClipDrawing {
    swf::BlendMode blendMode = swf::BlendMode::Normal;
    bool cacheAsBitmap = false;
    std::optional<uint32_t> opaqueBackground;  // 0xRRGGBB
    std::optional<ClipBounds> scrollRect;      // pixels of the clip's space
};

// Multipliers in percent and offsets as the Color object exchanges them.
struct ColorTransformValues {
    double ra = 100, rb = 0, ga = 100, gb = 0, ba = 100, bb = 0, aa = 100, ab = 0;
};

struct GradientStop {
    uint32_t rgb = 0;
    double alpha = 100;  // percent
    double ratio = 0;    // 0..255
};

struct GradientFillValues {
    bool radial = false;
    std::vector<GradientStop> stops;
    double matrix[6] = {1, 0, 0, 1, 0, 0};  // gradient square (±819.2) to clip pixels: a b c d tx ty
    int spread = 0;                         // 0 pad, 1 reflect, 2 repeat
    bool linearRgb = false;
    double focal = 0;                       // -1..1, radial only
};

struct TextExtentValues {
    double width = 0, height = 0, ascent = 0, descent = 0;  // pixels
};

class Clip {
public:
    virtual ~Clip() = default;

    // Numeric properties in the units scripts see (pixels, percent, degrees, 1-based frames);
    // _name, _url, _droptarget and _quality as text, and Target as the dotted path
    // ("_level0.a.b", which scripts read as _target in slash form).
    virtual double number(ClipProperty p) = 0;
    virtual std::string text(ClipProperty p) = 0;
    virtual void setNumber(ClipProperty p, double value) = 0;
    virtual void setText(ClipProperty p, const std::string& value) = 0;

    virtual Clip* parent() = 0;
    virtual Clip* childByName(const std::string& name, bool caseSensitive) = 0;
    virtual bool isRemoved() = 0;

    // Timeline.
    virtual void gotoFrame(int frame, bool play) = 0;  // 1-based
    virtual bool gotoLabel(const std::string& label, bool play) = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void nextFrame() = 0;
    virtual void prevFrame() = 0;
    // The actions of a frame, named by its 1-based number (digits) or its label (the Call action).
    virtual std::vector<ActionCode> frameActions(const std::string& frame) {
        (void)frame;
        return {};
    }

    // Display list.
    virtual Clip* duplicate(const std::string& name, int depth) = 0;
    virtual Clip* attachMovie(const std::string& linkageId, const std::string& name, int depth) = 0;
    virtual Clip* createEmptyMovieClip(const std::string& name, int depth) = 0;
    virtual void remove() = 0;
    virtual int depth() = 0;
    virtual int nextHighestDepth() = 0;
    virtual void swapDepths(int depth) = 0;
    virtual void swapDepths(Clip* other) = 0;
    virtual bool hitTest(double x, double y, bool shapeFlag) = 0;  // stage pixels
    virtual bool hitTest(Clip* other) = 0;
    virtual ClipBounds bounds(Clip* space) = 0;
    // A point (pixels) of the clip's space to the stage, or back when `toLocal`.
    virtual void convertPoint(double& x, double& y, bool toLocal) = 0;
    virtual void setMask(Clip* mask) = 0;  // null removes the mask

    // Text fields (edit texts on the stage share the clip face): their text as plain text and the
    // variable they show.
    virtual bool isTextField() { return false; }
    // Videos on the stage share the clip face too; the Video class reaches them through `video()`.
    virtual bool isVideo() { return false; }
    virtual VideoAccess* video() { return nullptr; }
    // Buttons of SWF 6 and later movies are objects of their own class.
    virtual bool isButton() { return false; }
    // Whether the clip's own _focusrect is set, and to what (level clips follow the movie's).
    virtual std::optional<bool> focusRect() { return std::nullopt; }
    virtual void setFocusRect(std::optional<bool> shown) { (void)shown; }
    // The size of the clip's movie data in bytes (all of it is loaded before it plays).
    virtual double bytesTotal() { return 0; }
    virtual std::string fieldText() { return ""; }
    virtual void setFieldText(const std::string&) {}
    virtual std::string fieldVariable() { return ""; }
    virtual void setFieldVariable(const std::string&) {}
    virtual TextFieldAccess* textField() { return nullptr; }
    virtual std::string fieldHtmlText() { return ""; }
    virtual void setFieldHtmlText(const std::string&) {}
    virtual Clip* createTextField(const std::string& name, int depth, double x, double y, double w, double h) {
        (void)name, (void)depth, (void)x, (void)y, (void)w, (void)h;
        return nullptr;
    }

    // The clip's own matrix (a b c d, then tx ty in pixels), or the whole one to the stage.
    virtual void matrix(double (&m)[6], bool toStage) {
        (void)toStage;
        const double identity[6] = {1, 0, 0, 1, 0, 0};
        for (int i = 0; i < 6; ++i) m[i] = identity[i];
    }
    virtual void setMatrix(const double (&m)[6]) { (void)m; }
    // The bitmap filters the clip is drawn through.
    virtual std::vector<swf::Filter> filters() { return {}; }
    virtual void setFilters(const std::vector<swf::Filter>& filters) { (void)filters; }
    virtual ClipDrawing drawSettings() { return {}; }
    virtual void setDrawSettings(const ClipDrawing& d) { (void)d; }

    // Colour.
    virtual ColorTransformValues colorTransform() = 0;
    virtual void setColorTransform(const ColorTransformValues& c) = 0;

    // Drawing.
    virtual void clear() = 0;
    virtual void lineStyle(double width, uint32_t rgb, double alpha, bool none) = 0;
    virtual void beginFill(uint32_t rgb, double alpha) = 0;
    virtual void beginGradientFill(const GradientFillValues& fill) = 0;
    virtual void endFill() = 0;
    virtual void moveTo(double x, double y) = 0;
    virtual void lineTo(double x, double y) = 0;
    virtual void curveTo(double cx, double cy, double x, double y) = 0;

    // Bitmaps of scripts' pixels: shown at a depth of the clip (replacing what is there), or filling
    // what is drawn next (`m`: bitmap pixels to clip pixels, a b c d tx ty).
    virtual void attachBitmap(std::shared_ptr<swf::PixelSource> pixels, int depth, bool smoothing) {
        (void)pixels, (void)depth, (void)smoothing;
    }
    virtual void beginBitmapFill(std::shared_ptr<swf::PixelSource> pixels, const double (&m)[6], bool repeat,
                                 bool smoothing) {
        (void)pixels, (void)m, (void)repeat, (void)smoothing;
    }
};

// The stage and screen as scripts see them, in pixels.
struct StageMetrics {
    double movieWidth = 550, movieHeight = 400;  // the movie's own size
    double viewWidth = 550, viewHeight = 400;    // the window it is shown in
    double screenWidth = 1024, screenHeight = 768;
    double screenDpi = 72;
};

class Host {
public:
    virtual ~Host() = default;
    virtual void trace(const std::string& line) = 0;
    virtual void fsCommand(const std::string& command, const std::string& args) = 0;
    virtual void getUrl(const std::string& url, const std::string& target) = 0;
    virtual void warning(const std::string& message) = 0;  // a stopped script, a bad action
    virtual Clip* level(int n) = 0;                        // level 0 is the root
    virtual double timeMs() = 0;                           // since the movie started
    virtual bool keyIsDown(int keyCode) = 0;
    virtual int lastKeyCode() = 0;
    virtual StageMetrics stageMetrics() { return {}; }
    // Whether the movie was published to reach the network rather than local files (its file
    // attributes say so): System.security.sandboxType follows it.
    virtual bool movieMayUseNetwork() { return false; }
    // Scripts chose how the stage fits its window (Stage.scaleMode: "showAll", "noBorder",
    // "exactFit", "noScale"; Stage.align: any of "LTRB").
    virtual void setStageLayout(const std::string& scaleMode, const std::string& align) { (void)scaleMode, (void)align; }
    // The character of the last key pressed (Key.getAscii), and whether a key (Caps Lock, or any
    // key or mouse button: each press toggles it) is toggled on.
    virtual int lastKeyAscii() { return 0; }
    virtual bool keyIsToggled(int keyCode) { (void)keyCode; return false; }

    // Keyboard focus (Selection): the clip, button or text field that has it, or null.
    virtual Clip* focus() { return nullptr; }
    // Gives the focus to `target` (null takes it away); false when the target cannot take it.
    virtual bool setFocus(Clip* target) { (void)target; return false; }
    // The focused text field's selection, in characters: begin, end and the caret.
    virtual void selection(int& begin, int& end, int& caret) { begin = end = caret = -1; }
    virtual void setSelection(int begin, int end) { (void)begin, (void)end; }
    // The movie's sound; null where the host plays none.
    virtual SoundControl* sound() { return nullptr; }

    // Text measured as a field would lay it out (TextFormat.getTextExtent), and the font families
    // the system has (TextField.getFontList).
    virtual TextExtentValues measureText(const TextFormat& format, const std::string& text, double wrapWidth) {
        (void)format, (void)text, (void)wrapWidth;
        return {};
    }
    virtual std::vector<std::string> fontFamilies() { return {}; }
};

}  // namespace swf::avm1

// The script face of a movie clip (or button, or the main movie): what ActionScript reads and
// changes through MovieClip properties and methods, done on the real display list.
#pragma once

#include <string>
#include <vector>

#include "engine/avm1/button_tracker.h"
#include "engine/avm1/clip_actions.h"
#include "engine/avm1/host.h"
#include "engine/core/display_object.h"
#include "engine/core/text_field_state.h"

namespace swf {

class ScriptRunner;

class ScriptClip final : public avm1::Clip, private avm1::TextFieldAccess, private avm1::VideoAccess {
public:
    ScriptClip(ScriptRunner& runner, swf::Clip& clip) : runner_(runner), clip_(&clip) {}

    // Null once the clip has left the display list.
    swf::Clip* clip() const { return clip_; }
    DisplayObject* object() const { return clip_ ? clip_->owner : nullptr; }
    // The clip leaves the display list; it keeps its name and path for the unload handlers that
    // still run on it.
    void markRemoved();

    // Script state kept with the clip.
    bool loadQueued = false;
    bool handlersRead = false;
    // Taken off the display list with unload handlers to run: it waits at its leaving depth until
    // the end of the frame. `unloaded` once its handlers have run.
    bool leaving = false;
    bool unloaded = false;
    std::vector<avm1::ClipEventHandler> handlers;
    avm1::ButtonTracker tracker;

    double number(avm1::ClipProperty p) override;
    std::string text(avm1::ClipProperty p) override;
    void setNumber(avm1::ClipProperty p, double value) override;
    void setText(avm1::ClipProperty p, const std::string& value) override;

    avm1::Clip* parent() override;
    avm1::Clip* childByName(const std::string& name, bool caseSensitive) override;
    // A clip that has left still counts as there while its unload handlers run.
    bool isRemoved() override { return clip_ == nullptr && !unloading; }
    bool unloading = false;

    void gotoFrame(int frame, bool play) override;
    bool gotoLabel(const std::string& label, bool play) override;
    std::vector<avm1::ActionCode> frameActions(const std::string& frame) override;
    void play() override;
    void stop() override;
    void nextFrame() override;
    void prevFrame() override;

    avm1::Clip* duplicate(const std::string& name, int depth) override;
    avm1::Clip* attachMovie(const std::string& linkageId, const std::string& name, int depth) override;
    avm1::Clip* createEmptyMovieClip(const std::string& name, int depth) override;
    void remove() override;
    int depth() override;
    int nextHighestDepth() override;
    void swapDepths(int depth) override;
    void swapDepths(avm1::Clip* other) override;
    bool hitTest(double x, double y, bool shapeFlag) override;
    bool hitTest(avm1::Clip* other) override;
    avm1::ClipBounds bounds(avm1::Clip* space) override;
    void convertPoint(double& x, double& y, bool toLocal) override;
    void setMask(avm1::Clip* mask) override;

    bool isTextField() override;
    bool isButton() override;
    std::optional<bool> focusRect() override { return focusRect_; }
    void setFocusRect(std::optional<bool> shown) override { focusRect_ = shown; }
    bool isVideo() override;
    avm1::VideoAccess* video() override { return isVideo() ? this : nullptr; }
    double bytesTotal() override;
    std::string fieldText() override;
    void setFieldText(const std::string& text) override;
    std::string fieldHtmlText() override;
    void setFieldHtmlText(const std::string& html) override;
    avm1::TextFieldAccess* textField() override { return fieldState() ? this : nullptr; }
    std::string fieldVariable() override;
    void setFieldVariable(const std::string& variable) override;
    avm1::Clip* createTextField(const std::string& name, int depth, double x, double y, double w, double h) override;

    void matrix(double (&m)[6], bool toStage) override;
    void setMatrix(const double (&m)[6]) override;
    std::vector<Filter> filters() override;
    void setFilters(const std::vector<Filter>& filters) override;
    avm1::ClipDrawing drawSettings() override;
    void setDrawSettings(const avm1::ClipDrawing& d) override;
    avm1::ColorTransformValues colorTransform() override;
    void setColorTransform(const avm1::ColorTransformValues& c) override;

    void clear() override;
    void lineStyle(double width, uint32_t rgb, double alpha, bool none) override;
    void beginFill(uint32_t rgb, double alpha) override;
    void beginGradientFill(const avm1::GradientFillValues& g) override;
    void endFill() override;
    void moveTo(double x, double y) override;
    void lineTo(double x, double y) override;
    void curveTo(double cx, double cy, double x, double y) override;
    void attachBitmap(std::shared_ptr<PixelSource> pixels, int depth, bool smoothing) override;
    void beginBitmapFill(std::shared_ptr<PixelSource> pixels, const double (&m)[6], bool repeat, bool smoothing) override;

    // How deep the clip sits below the main movie (0 for the main movie).
    int nesting() const;

private:
    Drawing& drawing();
    void reportOverflow();
    Rect localBounds() const;
    const EditText* field() const;
    TextFieldState* fieldState();
    // Setting a text field's _width or _height resizes its box rather than scaling it.
    bool resizeField(bool width, double pixels);

    // The text face (script_clip_text.cpp).
    TextFieldSettings& settings() override;
    void settingsChanged() override;
    std::string htmlText() override { return fieldHtmlText(); }
    void setHtmlText(const std::string& html) override { setFieldHtmlText(html); }
    size_t length() override;
    TextFormat format(size_t begin, size_t end) override;
    void setFormat(size_t begin, size_t end, const TextFormat& format) override;
    TextFormat newFormat() override;
    void setNewFormat(const TextFormat& format) override;
    void replaceText(size_t begin, size_t end, const std::string& text) override;
    TextFieldMetrics metrics() override;
    // The video face (script_clip_video.cpp).
    bool smoothing() override;
    void setSmoothing(bool on) override;
    int deblocking() override;
    void setDeblocking(int level) override;
    int decodedWidth() override;
    int decodedHeight() override;
    void clearPicture() override;
    void attachStream() override;

    // Puts a new object at `depth` (script numbering) of this clip's list, replacing what is there.
    avm1::Clip* insert(std::unique_ptr<DisplayObject> obj, const std::string& name, int depth);
    void setTransform(double xscale, double yscale, double rotationDegrees);
    // The matrix scripts change: the object's (which then leaves the timeline's control), or the
    // main movie's own.
    Matrix* transform();
    // Where a text field's box starts, from its origin, under `m` (none for other objects).
    Point fieldOrigin(const Matrix& m);

    ScriptRunner& runner_;
    swf::Clip* clip_;
    std::string removedName_, removedPath_;
    std::optional<bool> focusRect_;
    bool overflowReported_ = false;
};

}  // namespace swf

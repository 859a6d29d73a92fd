// A Renderer that keeps the calls of a frame instead of drawing them, each with the target pixels it
// can change, so that two frames can be compared and the calls played into another renderer.
#pragma once

#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "engine/render/int_rect.h"
#include "engine/render/renderer.h"

namespace swf::render {

class LayerCache;

// One Renderer call with its arguments (kept: they must outlive the frame that made them).
struct PaintCall {
    enum class Kind : uint8_t { Background, Quality, Shape, BeginMask, EndMask, PopMask, PushLayer, PopLayer };
    Kind kind = Kind::Shape;
    // Shared with the call of an earlier frame that drew the same paths, so that a frame much like
    // the one before costs no copies, and comparing the two calls is a pointer test.
    std::shared_ptr<const ShapePaths> shape;
    Matrix toPixels;
    ColorTransform cxform;
    BlendMode mode = BlendMode::Normal;
    std::vector<Filter> filters;
    ColorTransform layerTransform;
    Rgba background;
    Quality quality = Quality::High;
    // The target pixels whose colour may depend on this call. For the calls that open and close a
    // mask or layer: everything the group may change.
    IntRect reach;
    // A shape's own reach, before the filters of the layers around it spread it.
    IntRect shapeReach;

    bool operator==(const PaintCall& other) const;
};

class PaintRecording final : public Renderer {
public:
    // `width` x `height`: the target the calls are meant for. `earlier`, when given, is a recording
    // of the frame before (it must outlive this one): paths drawn again are shared with it.
    PaintRecording(int width, int height, const std::vector<PaintCall>* earlier = nullptr)
        : frame_{0, 0, width, height}, earlier_(earlier) {}

    void beginFrame(Rgba background) override;
    void endFrame() override;
    void drawShape(const ShapePaths& shape, const Matrix& toPixels, const ColorTransform& cxform) override;
    void beginMask() override;
    void endMask() override;
    void popMask() override;
    void pushLayer(BlendMode mode, const std::vector<Filter>& filters, const ColorTransform& layerTransform) override;
    void popLayer() override;
    void setQuality(Quality quality) override;

    const IntRect& frame() const { return frame_; }
    const std::vector<PaintCall>& calls() const { return calls_; }
    std::vector<PaintCall> takeCalls() { return std::move(calls_); }

private:
    struct Group {
        bool layer = false;
        size_t opening = 0;  // index of the call that opened it
        size_t maskEnd = 0;  // a mask's endMask call, when it came (0: not yet, as it never opens a group)
        int reachX = 0, reachY = 0;  // how far filters of this and the enclosing layers spread content
        IntRect changed;     // union of the reaches of the calls inside
    };
    PaintCall& add(PaintCall::Kind kind, const IntRect& reach);
    void closeGroup(bool layer);
    IntRect spread(const IntRect& r) const;
    const PaintCall* earlierShape(const ShapePaths& shape);

    IntRect frame_;
    const std::vector<PaintCall>* earlier_ = nullptr;
    size_t earlierNext_ = 0;  // just past the earlier call last found again
    // The earlier shape calls by the bounds of their paths, made when first needed.
    std::map<std::tuple<double, double, double, double>, std::vector<size_t>> earlierByBounds_;
    bool earlierIndexed_ = false;
    std::vector<PaintCall> calls_;
    std::vector<Group> groups_;
};

// The pixels a shape drawn with `toPixels` may touch, strokes, joins and anti-aliasing included,
// limited to `frame`. Anything that cannot be bounded counts as the whole frame.
IntRect shapeReach(const ShapePaths& shape, const Matrix& toPixels, const IntRect& frame);

// Issues `calls` to `renderer`, in order.
void replay(const std::vector<PaintCall>& calls, Renderer& renderer);

// The same for a renderer that draws only the pixels in `area`: shapes whose reach misses it are left
// out, as they cannot change any pixel there. Layers that `layers` has finished pixels for are drawn
// from those.
void replayArea(const std::vector<PaintCall>& calls, Renderer& renderer, const IntRect& area,
                const LayerCache* layers = nullptr);

}  // namespace swf::render

// A host and clips that record what scripts do to them.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/avm1/host.h"

namespace swf::avm1::test {

class FakeClip : public Clip {
public:
    FakeClip(std::string name, FakeClip* parent) : name_(std::move(name)), parent_(parent) {}

    std::map<std::string, std::vector<ActionCode>> frameScripts;  // what the Call action finds

    FakeClip* add(const std::string& name, int depth = 0) {
        children_.push_back(std::make_unique<FakeClip>(name, this));
        children_.back()->depth_ = depth;
        return children_.back().get();
    }

    double number(ClipProperty p) override {
        switch (p) {
        case ClipProperty::CurrentFrame: return frame;
        case ClipProperty::TotalFrames:
        case ClipProperty::FramesLoaded: return totalFrames;
        default: return numbers[int(p)];
        }
    }
    std::string text(ClipProperty p) override {
        if (p == ClipProperty::Name) return name_;
        if (p == ClipProperty::Target) {
            if (!parent_) return "_level0";
            return parent_->text(ClipProperty::Target) + "." + name_;
        }
        return "";
    }
    void setNumber(ClipProperty p, double v) override { numbers[int(p)] = v; }
    void setText(ClipProperty p, const std::string& v) override { if (p == ClipProperty::Name) name_ = v; }
    Clip* parent() override { return parent_; }
    Clip* childByName(const std::string& name, bool) override {
        for (auto& c : children_)
            if (c->name_ == name && !c->removed) return c.get();
        return nullptr;
    }
    bool isRemoved() override { return removed; }
    void gotoFrame(int f, bool p) override { frame = f; playing = p; log.push_back("goto " + std::to_string(f)); }
    bool gotoLabel(const std::string& l, bool p) override {
        log.push_back("label " + l);
        playing = p;
        return true;
    }
    std::vector<ActionCode> frameActions(const std::string& f) override {
        auto it = frameScripts.find(f);
        return it == frameScripts.end() ? std::vector<ActionCode>{} : it->second;
    }
    void play() override { playing = true; }
    void stop() override { playing = false; }
    void nextFrame() override { ++frame; }
    void prevFrame() override { --frame; }
    Clip* duplicate(const std::string& name, int depth) override {
        return parent_ ? parent_->add(name, depth) : nullptr;
    }
    Clip* attachMovie(const std::string& id, const std::string& name, int depth) override {
        log.push_back("attach " + id);
        return add(name, depth);
    }
    Clip* createEmptyMovieClip(const std::string& name, int depth) override { return add(name, depth); }
    void remove() override { removed = true; }
    int depth() override { return depth_; }
    int nextHighestDepth() override { return 0; }
    void swapDepths(int d) override { depth_ = d; }
    void swapDepths(Clip* other) override { std::swap(depth_, static_cast<FakeClip*>(other)->depth_); }
    bool hitTest(double x, double y, bool) override { return x >= 0 && y >= 0 && x < 10 && y < 10; }
    bool hitTest(Clip*) override { return false; }
    ClipBounds bounds(Clip*) override { return {1, 2, 3, 4}; }
    void setMask(Clip* m) override { mask = m; }
    void convertPoint(double& x, double& y, bool toLocal) override {
        double dx = numbers[int(ClipProperty::X)], dy = numbers[int(ClipProperty::Y)];
        x += toLocal ? -dx : dx;
        y += toLocal ? -dy : dy;
    }
    std::vector<swf::Filter> filters() override { return filterList; }
    void setFilters(const std::vector<swf::Filter>& f) override { filterList = f; }
    std::vector<swf::Filter> filterList;
    ColorTransformValues colorTransform() override { return color; }
    void setColorTransform(const ColorTransformValues& c) override { color = c; }
    void clear() override { log.push_back("clear"); }
    void lineStyle(double w, uint32_t rgb, double a, bool none) override {
        log.push_back(none ? "lineStyle none" : "lineStyle " + std::to_string(int(w)) + " " + std::to_string(rgb) + " " + std::to_string(int(a)));
    }
    void beginFill(uint32_t rgb, double a) override { log.push_back("beginFill " + std::to_string(rgb) + " " + std::to_string(int(a))); }
    void beginGradientFill(const GradientFillValues& g) override {
        std::string ratios;
        for (const GradientStop& stop : g.stops) ratios += (ratios.empty() ? " " : ",") + std::to_string(int(stop.ratio));
        log.push_back(std::string(g.radial ? "radial " : "linear ") + std::to_string(g.stops.size()) + " " +
                      std::to_string(g.matrix[4]) + ratios);
    }
    void endFill() override { log.push_back("endFill"); }
    void moveTo(double x, double y) override { log.push_back("moveTo " + std::to_string(int(x)) + " " + std::to_string(int(y))); }
    void lineTo(double x, double y) override { log.push_back("lineTo " + std::to_string(int(x)) + " " + std::to_string(int(y))); }
    void curveTo(double, double, double x, double y) override { log.push_back("curveTo " + std::to_string(int(x)) + " " + std::to_string(int(y))); }

    std::map<int, double> numbers;
    int frame = 1, totalFrames = 10;
    bool playing = true, removed = false;
    Clip* mask = nullptr;
    ColorTransformValues color;
    std::vector<std::string> log;

private:
    std::string name_;
    FakeClip* parent_;
    int depth_ = 0;
    std::vector<std::unique_ptr<FakeClip>> children_;
};

class FakeHost : public Host {
public:
    void trace(const std::string& line) override { lines.push_back(line); }
    void fsCommand(const std::string& c, const std::string& a) override { commands.push_back(c + "(" + a + ")"); }
    void getUrl(const std::string& url, const std::string&) override { urls.push_back(url); }
    void warning(const std::string& m) override { warnings.push_back(m); }
    Clip* level(int n) override { return n == 0 ? &root : nullptr; }
    double timeMs() override { return now; }
    bool keyIsDown(int code) override { return code == downKey; }
    int lastKeyCode() override { return downKey; }
    bool movieMayUseNetwork() override { return useNetwork; }

    FakeClip root{"", nullptr};
    bool useNetwork = false;
    std::vector<std::string> lines, commands, urls, warnings;
    double now = 0;
    int downKey = -1;
};

}  // namespace swf::avm1::test

// A font source for tests: faces of made-up families whose glyphs are boxes, with counters of
// what was asked of them.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/fonts/font_source.h"
#include "engine/fonts/outline_builder.h"

namespace fonttest {

struct Calls {
    std::vector<std::tuple<std::string, bool, bool>> opened;  // every open(), found or not
    int outlines = 0;
    int advances = 0;
};

// Glyph n stands for code point n; advances are 500 units plus the code, on a 1000-unit em.
class BoxFace : public swf::FontFace {
public:
    BoxFace(std::string family, std::shared_ptr<Calls> calls) : family_(std::move(family)), calls_(std::move(calls)) {}
    const std::string& family() const override { return family_; }
    swf::FaceMetrics metrics() override { return {1000, 800, 200, 100}; }
    uint32_t glyphIndex(uint32_t code) override { return code < 0x3000 ? code : 0; }
    double advance(uint32_t glyph) override {
        ++calls_->advances;
        return 500 + glyph;
    }
    double kerning(uint32_t left, uint32_t right) override { return left == 'A' && right == 'V' ? -80 : 0; }
    std::vector<swf::ShapeRecord> outline(uint32_t) override {
        ++calls_->outlines;
        swf::OutlineBuilder b;
        b.moveTo({0, -700});
        b.lineTo({400, -700});
        b.lineTo({400, 0});
        b.lineTo({0, 0});
        return b.finish();
    }

private:
    std::string family_;
    std::shared_ptr<Calls> calls_;
};

class FakeFontSource : public swf::FontSource {
public:
    // `faces`: family (as the source spells it) and the styles it has.
    explicit FakeFontSource(std::map<std::string, std::set<std::pair<bool, bool>>> faces)
        : faces_(std::move(faces)), calls(std::make_shared<Calls>()) {}
    std::unique_ptr<swf::FontFace> open(const std::string& family, bool bold, bool italic) override {
        calls->opened.emplace_back(family, bold, italic);
        auto it = faces_.find(family);
        if (it == faces_.end() || !it->second.count({bold, italic})) return nullptr;
        return std::make_unique<BoxFace>(family, calls);
    }
    std::vector<std::string> families() override {
        std::vector<std::string> out;
        for (auto& [name, styles] : faces_) out.push_back(name);
        return out;
    }

    std::map<std::string, std::set<std::pair<bool, bool>>> faces_;
    std::shared_ptr<Calls> calls;
};

}  // namespace fonttest

#include "engine/render/box_blur.h"

#include <algorithm>
#include <cmath>

namespace swf::render {

namespace {
// Blur amounts beyond this are clamped (Flash limits them to 255 as well).
constexpr double kMaxBlur = 255;

// One pass along a line of `count` elements `step` bytes apart. The window for output i covers
// inputs i - left .. i - left + box - 1; a running sum keeps each pass linear in the line length.
void blurLine(uint8_t* line, int count, int step, int channels, int box, std::vector<uint32_t>& copy) {
    copy.resize(static_cast<size_t>(count) * static_cast<size_t>(channels));
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < channels; ++c) copy[static_cast<size_t>(i * channels + c)] = line[i * step + c];
    const int left = box / 2;
    const uint64_t reciprocal = (uint64_t(1) << 32) / static_cast<uint64_t>(box);
    for (int c = 0; c < channels; ++c) {
        uint32_t sum = 0;
        // Prime the window for output 0: inputs -left .. box-1-left.
        for (int j = 0; j < box - left && j < count; ++j) sum += copy[static_cast<size_t>(j * channels + c)];
        for (int i = 0; i < count; ++i) {
            line[i * step + c] = static_cast<uint8_t>(std::min<uint64_t>(255, (sum * reciprocal + (uint64_t(1) << 31)) >> 32));
            int enter = i + box - left, leave = i - left;
            if (enter < count) sum += copy[static_cast<size_t>(enter * channels + c)];
            if (leave >= 0) sum -= copy[static_cast<size_t>(leave * channels + c)];
        }
    }
}

// One pass down every column at once: running sums per column, visiting rows in memory order.
void blurColumns(uint8_t* data, int width, int height, int stride, int channels, int box,
                 std::vector<uint32_t>& sums, std::vector<uint8_t>& copy) {
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(channels);
    copy.resize(rowBytes * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        std::copy_n(data + static_cast<size_t>(y) * static_cast<size_t>(stride), rowBytes, copy.data() + rowBytes * static_cast<size_t>(y));
    sums.assign(rowBytes, 0);
    const int top = box / 2;
    const uint64_t reciprocal = (uint64_t(1) << 32) / static_cast<uint64_t>(box);
    auto addRow = [&](int row, int sign) {
        const uint8_t* src = copy.data() + rowBytes * static_cast<size_t>(row);
        if (sign > 0)
            for (size_t i = 0; i < rowBytes; ++i) sums[i] += src[i];
        else
            for (size_t i = 0; i < rowBytes; ++i) sums[i] -= src[i];
    };
    for (int j = 0; j < box - top && j < height; ++j) addRow(j, 1);
    for (int y = 0; y < height; ++y) {
        uint8_t* dst = data + static_cast<size_t>(y) * static_cast<size_t>(stride);
        for (size_t i = 0; i < rowBytes; ++i)
            dst[i] = static_cast<uint8_t>(std::min<uint64_t>(255, (sums[i] * reciprocal + (uint64_t(1) << 31)) >> 32));
        int enter = y + box - top, leave = y - top;
        if (enter < height) addRow(enter, 1);
        if (leave >= 0) addRow(leave, -1);
    }
}

}  // namespace

int boxWidth(double blur) {
    if (!(blur > 1)) return 1;
    return static_cast<int>(std::lround(std::min(blur, kMaxBlur)));
}

int blurExtent(int box, int passes) { return box <= 1 ? 0 : ((box + 1) / 2) * std::max(passes, 1); }

void boxBlur(uint8_t* data, int width, int height, int stride, int channels, int boxX, int boxY, int passes,
             std::vector<uint32_t>& scratch, std::vector<uint8_t>& copy) {
    if (width <= 0 || height <= 0) return;
    passes = std::clamp(passes, 1, 15);
    for (int pass = 0; pass < passes; ++pass) {
        if (boxX > 1)
            for (int y = 0; y < height; ++y)
                blurLine(data + static_cast<size_t>(y) * static_cast<size_t>(stride), width, channels, channels, boxX, scratch);
        if (boxY > 1) blurColumns(data, width, height, stride, channels, boxY, scratch, copy);
    }
}

}  // namespace swf::render

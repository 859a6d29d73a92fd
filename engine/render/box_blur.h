// Repeated box blurs, the way Flash approximates a Gaussian: each pass averages a window of `boxX`
// pixels along rows, then `boxY` along columns. Pixels outside the region count as transparent, so
// the region must leave room for the spread (blurExtent) for the total to be kept.
#pragma once

#include <cstdint>
#include <vector>

namespace swf::render {

// Box width in whole pixels for a blur amount (at least 1: no blur).
int boxWidth(double blur);
// How far `passes` boxes of `box` pixels spread content in each direction.
int blurExtent(int box, int passes);

// Blurs a region of `width` x `height` pixels of `channels` bytes each, rows `stride` bytes apart.
// `sums` and `copy` are working memory kept by the caller so that repeated blurs do not allocate.
void boxBlur(uint8_t* data, int width, int height, int stride, int channels, int boxX, int boxY, int passes,
             std::vector<uint32_t>& sums, std::vector<uint8_t>& copy);

}  // namespace swf::render

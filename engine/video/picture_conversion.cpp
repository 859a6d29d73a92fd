#include "engine/video/picture_conversion.h"

#include <algorithm>

namespace swf {

namespace {

uint8_t clampByte(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

RgbaImage yuv420ToRgba(Plane y, Plane u, Plane v, Plane alpha, int width, int height) {
    RgbaImage out(width, height);
    for (int row = 0; row < height; ++row) {
        const uint8_t* ys = y.data + row * y.stride;
        const uint8_t* us = u.data + (row / 2) * u.stride;
        const uint8_t* vs = v.data + (row / 2) * v.stride;
        const uint8_t* as = alpha.data ? alpha.data + row * alpha.stride : nullptr;
        uint8_t* o = out.row(row);
        for (int x = 0; x < width; ++x, o += 4) {
            // 8-bit fixed point of 1.164, 1.596, 0.391, 0.813 and 2.018.
            int c = 298 * (ys[x] - 16) + 128, d = us[x / 2] - 128, e = vs[x / 2] - 128;
            uint8_t r = clampByte((c + 409 * e) >> 8);
            uint8_t g = clampByte((c - 100 * d - 208 * e) >> 8);
            uint8_t b = clampByte((c + 516 * d) >> 8);
            uint8_t a = as ? as[x] : 255;
            if (a != 255) {
                r = static_cast<uint8_t>((r * a + 127) / 255);
                g = static_cast<uint8_t>((g * a + 127) / 255);
                b = static_cast<uint8_t>((b * a + 127) / 255);
            }
            o[0] = r, o[1] = g, o[2] = b, o[3] = a;
        }
    }
    return out;
}

RgbaImage bgrToRgba(Plane bgr, int width, int height) {
    RgbaImage out(width, height);
    for (int row = 0; row < height; ++row) {
        const uint8_t* s = bgr.data + row * bgr.stride;
        uint8_t* o = out.row(row);
        for (int x = 0; x < width; ++x, s += 3, o += 4) o[0] = s[2], o[1] = s[1], o[2] = s[0], o[3] = 255;
    }
    return out;
}

}  // namespace swf

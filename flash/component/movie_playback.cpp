#include "flash/component/movie_playback.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "engine/core/movie_url.h"
#include "engine/parse/parser.h"
#include "flash/component/bstr_text.h"
#include "flash/component/frame_pixels.h"
#include "flash/component/gdi_font_source.h"

namespace flash {
namespace {

// The movie's file as scripts see it in _url: a whole path, whatever the host gave.
std::wstring fullPathOf(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (written == 0 || written >= size) return path;
    full.resize(written);
    return full;
}

// A file larger than this is not read: the engine refuses a movie that inflates past its own limit,
// and a compressed file is never much larger than what it inflates to.
constexpr LONGLONG kMaxMovieBytes = static_cast<LONGLONG>(swf::kMaxInflatedMovieBytes) + 1024 * 1024;

// The system's faces, one source for every movie the process plays.
std::shared_ptr<swf::FontSource> systemFonts() {
    static const std::shared_ptr<swf::FontSource> source = makeGdiFontSource();
    return source;
}

std::vector<uint8_t> readWholeFile(const std::wstring& path) {
    // Others may rewrite the file while we read it (a second saver start); share everything.
    const ui::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > kMaxMovieBytes) return {};
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return {};  // no room for it in this process: no movie, the background shows
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20)), got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr) || got == 0) break;
        done += got;
    }
    bytes.resize(done);  // a file shortened meanwhile gives what was there
    return bytes;
}

}  // namespace

MoviePlayback::MoviePlayback() = default;

MoviePlayback::~MoviePlayback() = default;

void MoviePlayback::setAudioWanted(bool wanted) {
    if (audio_ && audio_->failed()) {
        // The device went away: the engine runs the mix on by itself again, silently.
        audioUnavailable_ = true;
        wanted = false;
    }
    if (!wanted || !player_) {
        if (!audio_) return;
        audio_.reset();
        if (player_) player_->setAudioPulledByHost(false);
        return;
    }
    if (audio_ || audioUnavailable_) return;
    audio_ = WaveAudioOutput::open(player_->audioMixer());
    if (audio_) player_->setAudioPulledByHost(true);
    else audioUnavailable_ = true;
}

bool MoviePlayback::load(const std::wstring& path) {
    audio_.reset();  // it feeds from the old movie's mixer
    player_.reset();
    frameValid_ = false;
    viewWidth_ = viewHeight_ = 0;
    if (path.empty()) return false;
    std::vector<uint8_t> bytes = readWholeFile(path);
    if (bytes.empty()) return false;
#if FLASH_HAVE_ENGINE
    std::string error;
    player_ = swf::Player::load(std::move(bytes), error);
#endif
    if (!player_) return false;
    player_->setMovieUrl(swf::fileUrlOf(narrow(fullPathOf(path).c_str())));
    player_->setFontSource(systemFonts());
    player_->setLoop(loop_);
    player_->setFsCommandHandler([this](const std::string& command, const std::string& args) {
        if (onFsCommand) onFsCommand(command, args);
    });
    // A newly loaded movie starts playing, as a Flash control does.
    playing_ = true;
    player_->play();
    return true;
}

void MoviePlayback::play() {
    playing_ = true;
    if (player_) player_->play();
}

void MoviePlayback::stop() {
    playing_ = false;
    if (player_) player_->stop();
}

void MoviePlayback::rewind() {
    playing_ = false;
    if (player_) player_->rewind();
    frameValid_ = false;
}

void MoviePlayback::back() {
    playing_ = false;
    if (player_) player_->previousFrame();
    frameValid_ = false;
}

void MoviePlayback::forward() {
    playing_ = false;
    if (player_) player_->nextFrame();
    frameValid_ = false;
}

void MoviePlayback::gotoFrame(long frame) {
    if (player_) player_->gotoFrame(static_cast<int>(std::clamp<long>(frame, 0, 0x3FFFFFFF)) + 1);
    frameValid_ = false;
}

bool MoviePlayback::playing() const { return player_ ? player_->isPlaying() : playing_; }

void MoviePlayback::setPlaying(bool playing) { playing ? play() : stop(); }

void MoviePlayback::setLoop(bool loop) {
    loop_ = loop;
    if (player_) player_->setLoop(loop);
}

long MoviePlayback::totalFrames() const { return player_ ? player_->frameCount() : 0; }

long MoviePlayback::frameNumber() const { return player_ ? player_->currentFrame() - 1 : 0; }

double MoviePlayback::frameRate() const {
    const double rate = player_ ? player_->frameRate() : 12.0;
    return std::clamp(rate, 0.01, 120.0);
}

long MoviePlayback::backgroundColor() const {
    if (background_) return *background_;
    if (!player_) return 0xFFFFFF;
    const swf::Rgba c = player_->backgroundColor();
    return (static_cast<long>(c.r) << 16) | (static_cast<long>(c.g) << 8) | c.b;
}

void MoviePlayback::setBackgroundColor(long rgb) {
    background_ = rgb & 0xFFFFFF;
    viewWidth_ = viewHeight_ = 0;  // the viewport options change
    frameValid_ = false;
}

void MoviePlayback::setScaleMode(int mode) {
    scaleMode_ = std::clamp(mode, 0, 3);
    viewWidth_ = viewHeight_ = 0;
    frameValid_ = false;
}

void MoviePlayback::setAlignMode(int mode) {
    alignMode_ = mode & 0xF;
    viewWidth_ = viewHeight_ = 0;
    frameValid_ = false;
}

void MoviePlayback::setQuality(int quality) {
    quality_ = std::clamp(quality, 0, 3);
    viewWidth_ = viewHeight_ = 0;
    frameValid_ = false;
}

void MoviePlayback::setVariable(const std::string& name, const std::string& value) {
    if (player_) player_->setVariable(name, value);
}

std::string MoviePlayback::variable(const std::string& name) { return player_ ? player_->getVariable(name) : ""; }

template <typename Step>
bool MoviePlayback::guarded(Step step) {
    try {
        return step();
    } catch (const std::exception&) {
        // Out of memory in the middle of a frame: the movie stops and the background shows; the
        // program hosting us goes on.
        player_.reset();
        frameValid_ = false;
        return true;
    }
}

bool MoviePlayback::tick() {
    if (!player_) return false;
    frameStale_ = true;
    return guarded([&] {
        player_->tick();
        return true;
    });
}

bool MoviePlayback::mouseMove(int x, int y) {
    const bool changed = player_ && viewWidth_ > 0 && guarded([&] { return player_->mouseMove(x, y); });
    frameStale_ |= changed;
    return changed;
}
bool MoviePlayback::mouseDown(int x, int y) {
    const bool changed = player_ && viewWidth_ > 0 && guarded([&] { return player_->mouseDown(x, y); });
    frameStale_ |= changed;
    return changed;
}
bool MoviePlayback::mouseUp(int x, int y) {
    const bool changed = player_ && viewWidth_ > 0 && guarded([&] { return player_->mouseUp(x, y); });
    frameStale_ |= changed;
    return changed;
}

swf::ViewOptions MoviePlayback::viewOptions() const {
    swf::ViewOptions options;
    static constexpr swf::ScaleMode modes[] = {swf::ScaleMode::ShowAll, swf::ScaleMode::NoBorder,
                                               swf::ScaleMode::ExactFit, swf::ScaleMode::NoScale};
    options.scaleMode = modes[scaleMode_];
    options.align.left = alignMode_ & 1;
    options.align.right = alignMode_ & 2;
    options.align.top = alignMode_ & 4;
    options.align.bottom = alignMode_ & 8;
    if (background_)
        options.background = swf::Rgba{static_cast<uint8_t>(*background_ >> 16), static_cast<uint8_t>(*background_ >> 8),
                                        static_cast<uint8_t>(*background_), 255};
    options.quality = quality_ == 0 || quality_ == 2 ? swf::Quality::Low : swf::Quality::High;
    return options;
}

COLORREF MoviePlayback::backgroundColorRef() const {
    const long rgb = backgroundColor();
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

std::vector<PixelArea> MoviePlayback::renderFrame(int width, int height) {
    const bool whole = !frameValid_ || width != frameWidth_ || height != frameHeight_ || !frameBitmap_;
    frameValid_ = false;
    if (width != frameWidth_ || height != frameHeight_ || !frameBitmap_) {
        frameBitmap_.reset();
        frameBits_ = nullptr;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down rows, as the engine's image
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        frameBitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &frameBits_, nullptr, 0));
        frameWidth_ = frameBitmap_ ? width : 0;
        frameHeight_ = frameBitmap_ ? height : 0;
        if (!frameBitmap_) return {};
    }
    std::vector<swf::render::IntRect> changed;
    guarded([&] {
        player_->render(image_);
        changed = player_->changedArea();
        return true;
    });
    if (!player_) return {};
    frameStale_ = false;
    GdiFlush();  // GDI may still be reading the bitmap
    const long bg = backgroundColor();
    const BackgroundRgb background{static_cast<uint8_t>(bg >> 16), static_cast<uint8_t>(bg >> 8), static_cast<uint8_t>(bg)};
    auto* out = static_cast<uint8_t*>(frameBits_);
    std::vector<PixelArea> areas;
    if (image_.width != width || image_.height != height) {
        const uint8_t fill[4] = {background.b, background.g, background.r, 255};
        for (size_t i = 0; i < static_cast<size_t>(width) * static_cast<size_t>(height) * 4; i += 4)
            std::memcpy(out + i, fill, 4);
        areas.push_back({0, 0, width, height});
    } else if (whole) {
        areas.push_back(composeFrameArea(image_.pixels.data(), out, width, height, {0, 0, width, height}, background));
    } else {
        // Outside the changed rectangles the engine's picture is the one the bitmap was made from.
        for (const swf::render::IntRect& r : changed) {
            const PixelArea done =
                composeFrameArea(image_.pixels.data(), out, width, height, {r.x0, r.y0, r.x1, r.y1}, background);
            if (!done.empty()) areas.push_back(done);
        }
    }
    frameValid_ = true;
    return areas;
}

std::optional<std::vector<RECT>> MoviePlayback::updateFrame() {
    if (!player_ || !frameValid_ || viewWidth_ <= 0 || frameWidth_ != viewWidth_ || frameHeight_ != viewHeight_)
        return std::nullopt;
    std::vector<RECT> rects;
    if (!frameStale_) return rects;
    const std::vector<PixelArea> areas = renderFrame(viewWidth_, viewHeight_);
    if (!frameValid_) return std::nullopt;
    for (const PixelArea& a : areas) rects.push_back({a.x0, a.y0, a.x1, a.y1});
    return rects;
}

void MoviePlayback::draw(HDC dc, const RECT& bounds, const RECT* area) {
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) return;
    if (player_ && (width != viewWidth_ || height != viewHeight_)) {
        guarded([&] {
            player_->setViewport(width, height, viewOptions());
            return true;
        });
        viewWidth_ = width;
        viewHeight_ = height;
        frameValid_ = false;
    }
    if (player_ && (!frameValid_ || frameStale_)) renderFrame(width, height);
    RECT copy = bounds;
    if (area && !IntersectRect(&copy, &bounds, area)) return;
    if (player_ && frameValid_ && frameWidth_ == width && frameHeight_ == height) {
        const ui::UniqueMemoryDc memory(CreateCompatibleDC(dc));
        if (memory) {
            const ui::SelectScope selected(memory.get(), frameBitmap_.get());
            BitBlt(dc, copy.left, copy.top, copy.right - copy.left, copy.bottom - copy.top, memory.get(),
                   copy.left - bounds.left, copy.top - bounds.top, SRCCOPY);
            return;
        }
    }
    const ui::UniqueBrush brush(CreateSolidBrush(backgroundColorRef()));
    if (brush) FillRect(dc, &copy, brush.get());
}

}  // namespace flash

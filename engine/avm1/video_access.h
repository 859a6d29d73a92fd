// What the Video class reaches of a video object on the stage (which shares the clip face).
#pragma once

namespace swf::avm1 {

class VideoAccess {
public:
    virtual ~VideoAccess() = default;
    virtual bool smoothing() = 0;
    virtual void setSmoothing(bool on) = 0;
    virtual int deblocking() = 0;
    virtual void setDeblocking(int level) = 0;
    // The size of the picture shown, as decoded (0 while there is none).
    virtual int decodedWidth() = 0;
    virtual int decodedHeight() = 0;
    // Hides the picture shown until the next one.
    virtual void clearPicture() = 0;
    // A stream (or nothing) attached by a script takes the place of the embedded frames.
    virtual void attachStream() = 0;
};

}  // namespace swf::avm1

// Sends the engine's mix to the system's audio output through the waveform API (winmm). A thread
// of its own keeps a few short buffers queued on the device and refills each one from the mixer as
// the device finishes it; nothing here touches a window or COM. Destroying the output stops the
// thread and closes the device.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "support/handles.h"

namespace swf {
class AudioMixer;
}

namespace flash {

class WaveAudioOutput {
public:
    // Buffers queued on the device and their length: the sound heard is at most
    // kBufferCount * kBufferFrames behind the mix (60 ms), short enough to stay with the picture
    // and long enough to ride over a busy moment of the audio thread.
    static constexpr size_t kBufferCount = 4;
    static constexpr size_t kBufferFrames = 661;  // 15 ms at 44.1 kHz

    // Opens the default output at 44.1 kHz, 16-bit stereo and starts feeding it from `mixer`.
    // nullptr when there is no device (or it cannot be opened): the caller plays on silently.
    static std::unique_ptr<WaveAudioOutput> open(std::shared_ptr<swf::AudioMixer> mixer);
    ~WaveAudioOutput();
    WaveAudioOutput(const WaveAudioOutput&) = delete;
    WaveAudioOutput& operator=(const WaveAudioOutput&) = delete;

    // True once the device has refused a buffer (it went away): nothing pulls the mix any more.
    bool failed() const { return failed_.load(); }

private:
    WaveAudioOutput() = default;
    static DWORD WINAPI threadMain(void* self);
    void feed();
    bool refill(size_t index);  // mixes into buffer `index` and queues it; false when the device refuses

    std::shared_ptr<swf::AudioMixer> mixer_;
    HWAVEOUT device_ = nullptr;
    ui::UniqueKernelHandle bufferDone_;  // set by the device when a buffer has played
    ui::UniqueKernelHandle stop_;
    ui::UniqueKernelHandle thread_;
    std::array<WAVEHDR, kBufferCount> headers_{};
    std::array<bool, kBufferCount> prepared_{};
    std::vector<int16_t> samples_;
    std::atomic<bool> failed_{false};
};

}  // namespace flash

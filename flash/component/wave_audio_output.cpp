#include "flash/component/wave_audio_output.h"

#include <algorithm>
#include <new>

#include "engine/sound/audio_mixer.h"

namespace flash {

std::unique_ptr<WaveAudioOutput> WaveAudioOutput::open(std::shared_ptr<swf::AudioMixer> mixer) {
    if (!mixer) return nullptr;
    std::unique_ptr<WaveAudioOutput> output(new (std::nothrow) WaveAudioOutput());
    if (!output) return nullptr;
    output->mixer_ = std::move(mixer);
    // Auto-reset: one wake-up may stand for several finished buffers, which the thread all looks at.
    output->bufferDone_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    output->stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!output->bufferDone_ || !output->stop_) return nullptr;

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(format.nChannels * format.wBitsPerSample / 8);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    if (waveOutOpen(&output->device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(output->bufferDone_.get()), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        output->device_ = nullptr;
        return nullptr;
    }
    try {
        output->samples_.assign(kBufferCount * kBufferFrames * 2, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;  // the destructor closes the device
    }
    for (size_t i = 0; i < kBufferCount; ++i) {
        WAVEHDR& header = output->headers_[i];
        header.lpData = reinterpret_cast<LPSTR>(output->samples_.data() + i * kBufferFrames * 2);
        header.dwBufferLength = static_cast<DWORD>(kBufferFrames * 2 * sizeof(int16_t));
        if (waveOutPrepareHeader(output->device_, &header, sizeof(header)) != MMSYSERR_NOERROR) return nullptr;
        output->prepared_[i] = true;
    }
    output->thread_.reset(CreateThread(nullptr, 0, &WaveAudioOutput::threadMain, output.get(), 0, nullptr));
    if (!output->thread_) return nullptr;
    // Late samples are heard as clicks; late frames are not seen at all.
    SetThreadPriority(output->thread_.get(), THREAD_PRIORITY_HIGHEST);
    return output;
}

WaveAudioOutput::~WaveAudioOutput() {
    if (thread_) {
        SetEvent(stop_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }
    if (!device_) return;
    // Reset hands every queued buffer back at once, so that none is unprepared while playing.
    waveOutReset(device_);
    for (size_t i = 0; i < kBufferCount; ++i) {
        if (prepared_[i]) waveOutUnprepareHeader(device_, &headers_[i], sizeof(WAVEHDR));
    }
    waveOutClose(device_);
}

DWORD WINAPI WaveAudioOutput::threadMain(void* self) {
    auto* output = static_cast<WaveAudioOutput*>(self);
    output->feed();
    // Leaving without being asked to stop means the device refused a buffer.
    if (WaitForSingleObject(output->stop_.get(), 0) != WAIT_OBJECT_0) output->failed_ = true;
    return 0;
}

bool WaveAudioOutput::refill(size_t index) {
    WAVEHDR& header = headers_[index];
    auto* samples = reinterpret_cast<int16_t*>(header.lpData);
    try {
        mixer_->mix(samples, kBufferFrames);
    } catch (...) {
        std::fill_n(samples, kBufferFrames * 2, int16_t{0});  // no memory for this mix: a moment of silence
    }
    header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
    return waveOutWrite(device_, &header, sizeof(header)) == MMSYSERR_NOERROR;
}

void WaveAudioOutput::feed() {
    for (size_t i = 0; i < kBufferCount; ++i) {
        if (!refill(i)) return;
    }
    // Buffers come back in the order they were queued: refill from the oldest on.
    size_t next = 0;
    const HANDLE waits[2] = {stop_.get(), bufferDone_.get()};
    for (;;) {
        DWORD woke = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1) return;
        while (headers_[next].dwFlags & WHDR_DONE) {
            if (WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0) return;
            if (!refill(next)) return;
            next = (next + 1) % kBufferCount;
        }
    }
}

}  // namespace flash

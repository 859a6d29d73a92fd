// What the player tells scripts about itself (System.capabilities in ActionScript 1/2,
// flash.system.Capabilities in ActionScript 3): a Windows ActiveX player of the version whose
// features this engine plays, on the screen the host reports.
#pragma once

#include <cmath>
#include <string>

#include "engine/base/percent_encoding.h"

namespace swf {

inline constexpr const char* kPlayerVersion = "WIN 9,0,115,0";
inline constexpr const char* kPlayerManufacturer = "Adobe Windows";
inline constexpr const char* kPlayerOs = "Windows XP";

// The capabilities that do not depend on the screen, in the order the player lists them.
struct FixedCapability {
    const char* name;
    enum class Kind { Flag, Text, Number } kind;
    bool flag = false;
    const char* text = nullptr;
    double number = 0;
};

inline constexpr FixedCapability kFixedCapabilities[] = {
    {"avHardwareDisable", FixedCapability::Kind::Flag, false},
    {"hasAccessibility", FixedCapability::Kind::Flag, true},
    {"hasAudio", FixedCapability::Kind::Flag, true},
    {"hasAudioEncoder", FixedCapability::Kind::Flag, true},
    {"hasEmbeddedVideo", FixedCapability::Kind::Flag, true},
    {"hasIME", FixedCapability::Kind::Flag, true},
    {"hasMP3", FixedCapability::Kind::Flag, true},
    {"hasPrinting", FixedCapability::Kind::Flag, true},
    {"hasScreenBroadcast", FixedCapability::Kind::Flag, false},
    {"hasScreenPlayback", FixedCapability::Kind::Flag, false},
    {"hasStreamingAudio", FixedCapability::Kind::Flag, true},
    {"hasStreamingVideo", FixedCapability::Kind::Flag, true},
    {"hasTLS", FixedCapability::Kind::Flag, true},
    {"hasVideoEncoder", FixedCapability::Kind::Flag, true},
    {"isDebugger", FixedCapability::Kind::Flag, false},
    {"language", FixedCapability::Kind::Text, false, "en"},
    {"localFileReadDisable", FixedCapability::Kind::Flag, false},
    {"manufacturer", FixedCapability::Kind::Text, false, kPlayerManufacturer},
    {"os", FixedCapability::Kind::Text, false, kPlayerOs},
    {"pixelAspectRatio", FixedCapability::Kind::Number, false, nullptr, 1.0},
    {"playerType", FixedCapability::Kind::Text, false, "ActiveX"},
    {"screenColor", FixedCapability::Kind::Text, false, "color"},
    {"version", FixedCapability::Kind::Text, false, kPlayerVersion},
};

// The capabilities as one query string, as the player sends them to a server.
inline std::string capabilitiesServerString(double screenWidth, double screenHeight, double screenDpi) {
    auto whole = [](double v) { return std::to_string(std::lround(std::isfinite(v) ? v : 0)); };
    return "A=t&SA=t&SV=t&EV=t&MP3=t&AE=t&VE=t&ACC=t&PR=t&SP=f&SB=f&DEB=f&V=" + percentEncoded(kPlayerVersion) +
           "&M=" + percentEncoded(kPlayerManufacturer) + "&R=" + whole(screenWidth) + "x" + whole(screenHeight) +
           "&DP=" + whole(screenDpi) + "&COL=color&AR=1.0&OS=" + percentEncoded(kPlayerOs) +
           "&L=en&IME=t&PT=ActiveX&AVD=f&LFD=f&WD=f&TLS=t";
}

}  // namespace swf

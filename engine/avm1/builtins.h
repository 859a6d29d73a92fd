// Installers of the built-in classes and functions, one file per family.
#pragma once

#include <cmath>
#include <optional>
#include <vector>

#include "engine/avm1/machine.h"
#include "engine/base/effects.h"

namespace swf::avm1 {

inline Value arg(const std::vector<Value>& args, size_t i) { return i < args.size() ? args[i] : Value(); }
// A numeric argument of a built-in: one that was not passed is NaN, whatever undefined converts to
// in the movie's version.
inline double numberArg(Machine& m, const std::vector<Value>& args, size_t i) {
    return i < args.size() ? m.toNumber(args[i]) : std::nan("");
}

// Puts a read-only, hidden constant on `o`.
void putConstant(Machine& m, Object* o, const std::string& name, Value v);
// Makes a class: a constructor function with its prototype, stored on the global object.
Object* defineClass(Machine& m, const std::string& name, NativeFunction call, NativeFunction construct,
                    Object* prototype);

void installObjectAndFunction(Machine& m);
void installGlobalFunctions(Machine& m);
void installArray(Machine& m);
void installString(Machine& m);
void installNumberBooleanMath(Machine& m);
void installDateAndKey(Machine& m);
void installDate(Machine& m);  // from installDateAndKey
void installSelection(Machine& m);  // from installDateAndKey
void installMovieClip(Machine& m);
void installSound(Machine& m);
// Runs onSoundComplete of the Sound objects whose voices have ended.
void soundsCompleted(Machine& m, const std::vector<uint64_t>& voices);
void installBroadcasters(Machine& m);  // after installDateAndKey and installTextField
// MovieClipLoader, System.IME, Accessibility and the camera, microphone and socket classes; after installBroadcasters and installDataClasses (System).
void installLoadersAndDevices(Machine& m);
// Video, NetConnection and NetStream; after installMovieClip.
void installVideo(Machine& m);
// Gives `o` a listener list and addListener, removeListener and broadcastMessage.
void makeBroadcaster(Machine& m, Object* o);
void installTextField(Machine& m);  // after installMovieClip; installs TextFormat too
void installTextFormat(Machine& m);
void installStyleSheet(Machine& m, Object* textField);  // as TextField.StyleSheet
// How many characters a UTF-8 text holds (text fields count positions so).
size_t decodeLength(const std::string& utf8);
void installLocalConnection(Machine& m);
// flash.geom, flash.display and flash.filters (SWF 8 on), each class in a file of its own.
void installPoint(Machine& m);
void installRectangle(Machine& m);
void installMatrix(Machine& m);
void installColorTransform(Machine& m);
void installTransform(Machine& m);  // after installMovieClip
void installBitmapData(Machine& m);
void installFilters(Machine& m);  // after installMovieClip
// What the display draws for a script's array of filters (none for a value that is not an array).
std::optional<std::vector<swf::Filter>> displayFilters(const Value& list);
void installClipDrawing(Machine& m);  // after installMovieClip
void installStage(Machine& m);  // after installBroadcasters
// XML, LoadVars, SharedObject and the other classes for data and the player's services.
void installDataClasses(Machine& m);
void installXml(Machine& m);  // XMLNode and XML
void installExternalInterface(Machine& m);
void installContextMenu(Machine& m);
void installPrintJob(Machine& m);
void installTextSnapshot(Machine& m);  // after installMovieClip
void installSystemSecurity(Machine& m);  // after installStage
void installFileReference(Machine& m);  // after installBroadcasters
void installLoadVars(Machine& m);
void installSharedObject(Machine& m);
Value addRequestHeader(Machine& m, Object* self, std::vector<Value>& args);  // XML and LoadVars
void installASnative(Machine& m);  // last: it hands out functions installed before

}  // namespace swf::avm1

// Reads the sound tags (bodies after any character id) into plain data.
#pragma once

#include "engine/parse/sound.h"
#include "engine/parse/swf_reader.h"

namespace swf {

// The format byte shared by DefineSound and SoundStreamHead: codec, rate, size, channels.
SoundFormat readSoundFormat(uint8_t bits);
SoundInfo readSoundInfo(SwfReader& r);
DefinedSound readDefineSound(SwfReader& r);
SoundStreamHead readSoundStreamHead(SwfReader& r);
// DefineButtonSound after the button id: four optional sounds.
ButtonSounds readButtonSounds(SwfReader& r);

}  // namespace swf

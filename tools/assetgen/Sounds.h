// The game's sounds, synthesised: the 22 effects of the sound table
// ("se017-0006.wav" ... "levelup.wav") and the three music loops
// ("bgml031.mp3", "bgml001.mp3", "tamco03.mp3"), under "sound/".
#pragma once

#include "AssetWriter.h"

void fMakeSoundEffects(CAssetWriter& out);
void fMakeMusic(CAssetWriter& out);

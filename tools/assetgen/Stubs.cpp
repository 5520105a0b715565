#include "Pictures.h"
#include "Sounds.h"
void fMakeSoundEffects(CAssetWriter&) {}
void fMakeMusic(CAssetWriter&) {}

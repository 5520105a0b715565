// The digest moved beside the rules, which name a played game by it.
#pragma once

#include "util/Sha256.h"

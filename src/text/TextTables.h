// The two language tables behind fText.
#pragma once

#include <vector>

#include "text/Texts.h"

const std::vector<STextEntry>& fJapaneseTexts();
const std::vector<STextEntry>& fEnglishTexts();

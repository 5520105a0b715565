// One-call helpers over CMainWindow: add a ready button or text label, set
// all four links of a widget.
#pragma once

#include <memory>
#include <string>

#include "gui/CMainWindow.h"

// fAddButton, fSetWidgetPosition, fSetupButtonByName.
void fAddButtonAt(CMainWindow& window, const std::string& name, SPointD position, std::shared_ptr<CDrawData> normal,
                  std::shared_ptr<CDrawData> focused, int alpha, bool flag);
// fAddTextLabel, fSetWidgetPosition, fSetupLabelByName, fSetLabelText.
void fAddTextLabelAt(CMainWindow& window, const std::string& name, SPointD position, unsigned int normalColour,
                     unsigned int focusedColour, int font, const std::string& note, const std::string& text,
                     double alpha, std::shared_ptr<CFocusBgInfo> highlight);
// The same with the standard highlight, a pale box with a grey outline.
void fAddTextLabelAt(CMainWindow& window, const std::string& name, SPointD position, unsigned int normalColour,
                     unsigned int focusedColour, int font, const std::string& note, const std::string& text,
                     double alpha);
std::shared_ptr<CFocusBgInfo> fMakeStandardFocusBg();
void fSetWidgetLinks(CMainWindow& window, const std::string& name, const std::string& left, const std::string& up,
                     const std::string& right, const std::string& down);

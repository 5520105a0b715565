#include "input/KeyNames.h"

#include <cstdio>
#include <map>

#include "gamelib/GameLib.h"

namespace {

const std::map<int, const char*>& fNames() {
  static const std::map<int, const char*> names = {
      {KEY_INPUT_ESCAPE, "Esc"},     {KEY_INPUT_1, "1"},         {KEY_INPUT_2, "2"},
      {KEY_INPUT_3, "3"},            {KEY_INPUT_4, "4"},         {KEY_INPUT_5, "5"},
      {KEY_INPUT_6, "6"},            {KEY_INPUT_7, "7"},         {KEY_INPUT_8, "8"},
      {KEY_INPUT_9, "9"},            {KEY_INPUT_0, "0"},         {KEY_INPUT_MINUS, "-"},
      {KEY_INPUT_BACK, "BackSpace"}, {KEY_INPUT_TAB, "Tab"},     {KEY_INPUT_Q, "Q"},
      {KEY_INPUT_W, "W"},            {KEY_INPUT_E, "E"},         {KEY_INPUT_R, "R"},
      {KEY_INPUT_T, "T"},            {KEY_INPUT_Y, "Y"},         {KEY_INPUT_U, "U"},
      {KEY_INPUT_I, "I"},            {KEY_INPUT_O, "O"},         {KEY_INPUT_P, "P"},
      {KEY_INPUT_LBRACKET, "["},     {KEY_INPUT_RBRACKET, "]"},  {KEY_INPUT_RETURN, "Enter"},
      {KEY_INPUT_LCONTROL, "Ctrl"},  {KEY_INPUT_A, "A"},         {KEY_INPUT_S, "S"},
      {KEY_INPUT_D, "D"},            {KEY_INPUT_F, "F"},         {KEY_INPUT_G, "G"},
      {KEY_INPUT_H, "H"},            {KEY_INPUT_J, "J"},         {KEY_INPUT_K, "K"},
      {KEY_INPUT_L, "L"},            {KEY_INPUT_SEMICOLON, ";"}, {KEY_INPUT_LSHIFT, "Shift"},
      {KEY_INPUT_BACKSLASH, "\\"},   {KEY_INPUT_Z, "Z"},         {KEY_INPUT_X, "X"},
      {KEY_INPUT_C, "C"},            {KEY_INPUT_V, "V"},         {KEY_INPUT_B, "B"},
      {KEY_INPUT_N, "N"},            {KEY_INPUT_M, "M"},         {KEY_INPUT_COMMA, ","},
      {KEY_INPUT_PERIOD, "."},       {KEY_INPUT_SLASH, "/"},     {KEY_INPUT_RSHIFT, "Right Shift"},
      {KEY_INPUT_LALT, "Alt"},       {KEY_INPUT_SPACE, "Space"}, {KEY_INPUT_F1, "F1"},
      {KEY_INPUT_F2, "F2"},          {KEY_INPUT_F3, "F3"},       {KEY_INPUT_F4, "F4"},
      {KEY_INPUT_F5, "F5"},          {KEY_INPUT_F6, "F6"},       {KEY_INPUT_F7, "F7"},
      {KEY_INPUT_F8, "F8"},          {KEY_INPUT_F9, "F9"},       {KEY_INPUT_F10, "F10"},
      {KEY_INPUT_F11, "F11"},        {KEY_INPUT_F12, "F12"},     {KEY_INPUT_RCONTROL, "Right Ctrl"},
      {KEY_INPUT_NUMPADENTER, "Keypad Enter"},
      {KEY_INPUT_RALT, "Right Alt"}, {KEY_INPUT_PAUSE, "Pause"}, {KEY_INPUT_HOME, "Home"},
      {KEY_INPUT_UP, "Up"},          {KEY_INPUT_PGUP, "PageUp"}, {KEY_INPUT_LEFT, "Left"},
      {KEY_INPUT_RIGHT, "Right"},    {KEY_INPUT_END, "End"},     {KEY_INPUT_DOWN, "Down"},
      {KEY_INPUT_PGDN, "PageDown"},  {KEY_INPUT_INSERT, "Insert"}, {KEY_INPUT_DELETE, "Delete"},
  };
  return names;
}

}  // namespace

std::string fKeyName(int keyCode) {
  const auto found = fNames().find(keyCode);
  if (found != fNames().end()) return found->second;
  char text[16];
  std::snprintf(text, sizeof text, "Key 0x%02X", keyCode & 0xFF);
  return text;
}

bool fIsNamedKey(int keyCode) { return fNames().count(keyCode) != 0; }

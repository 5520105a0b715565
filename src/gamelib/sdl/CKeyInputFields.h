// The text-input fields behind the key-input handles, without SDL: which
// field is active, what typing, Enter, Escape and Backspace do to it, and
// the state the game reads back (0 typing, 1 finished, 2 cancelled).
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "gamelib/sdl/KeyInputText.h"

class CKeyInputFields {
 public:
  enum class EState { Typing = 0, Finished = 1, Cancelled = 2 };
  enum class EKey { Enter, Escape, Backspace };

  // handle: the new field's handle, from the backend's shared counter.
  int fMake(int handle, int maxLength, bool cancelAllowed, bool singleByteOnly, bool digitsOnly) {
    if (maxLength <= 0) return -1;
    SField field;
    field.rules = SKeyInputRules{static_cast<std::size_t>(maxLength), singleByteOnly, digitsOnly};
    field.cancelAllowed = cancelAllowed;
    mFields[handle] = std::move(field);
    return handle;
  }

  // Makes the field the one typed into, typing again if it had ended; -1
  // leaves none active.
  bool fActivate(int handle) {
    if (handle == -1) {
      mActive = -1;
      return true;
    }
    auto it = mFields.find(handle);
    if (it == mFields.end()) return false;
    it->second.state = EState::Typing;
    mActive = handle;
    return true;
  }

  // True while some field takes typing.
  bool fIsTyping() const { return fActive() != nullptr; }
  int fActiveHandle() const { return mActive; }

  void fType(std::string_view text) {
    if (SField* field = fActive()) fAppendTyped(field->text, text, field->rules);
  }

  // A key press (repeat: the key is held down and repeating).
  void fPress(EKey key, bool repeat) {
    SField* field = fActive();
    if (field == nullptr) return;
    switch (key) {
      case EKey::Enter:
        if (!repeat) fEnd(*field, EState::Finished);
        break;
      case EKey::Escape:
        if (!repeat && field->cancelAllowed) fEnd(*field, EState::Cancelled);
        break;
      case EKey::Backspace:
        fEraseLastCharacter(field->text);
        break;
    }
  }

  // -1 for an unknown handle.
  int fState(int handle) const {
    auto it = mFields.find(handle);
    return it == mFields.end() ? -1 : static_cast<int>(it->second.state);
  }

  const std::string* fText(int handle) const {
    auto it = mFields.find(handle);
    return it == mFields.end() ? nullptr : &it->second.text;
  }

  // Copies the text and its NUL: at most maxLength + 1 bytes, since the
  // rules never let the text grow past maxLength.
  bool fCopyText(int handle, char* buffer) const {
    const std::string* text = fText(handle);
    if (text == nullptr || buffer == nullptr) return false;
    std::memcpy(buffer, text->c_str(), text->size() + 1);
    return true;
  }

  // Puts a text into the field (a name to start from), by the field's own
  // rules: what they refuse is left out, and it is cut to the field's length.
  bool fSetText(int handle, std::string_view text) {
    auto it = mFields.find(handle);
    if (it == mFields.end()) return false;
    it->second.text.clear();
    fAppendTyped(it->second.text, text, it->second.rules);
    return true;
  }

  bool fDelete(int handle) {
    if (mFields.erase(handle) == 0) return false;
    if (handle == mActive) mActive = -1;
    return true;
  }

  void fClear() {
    mFields.clear();
    mActive = -1;
  }

  int fCount() const { return static_cast<int>(mFields.size()); }

 private:
  struct SField {
    SKeyInputRules rules;
    bool cancelAllowed = false;
    EState state = EState::Typing;
    std::string text;
  };

  SField* fActive() {
    auto it = mFields.find(mActive);
    return it == mFields.end() || it->second.state != EState::Typing ? nullptr : &it->second;
  }
  const SField* fActive() const { return const_cast<CKeyInputFields*>(this)->fActive(); }

  // Once a field has ended, nothing is typed into it until it is made active again.
  void fEnd(SField& field, EState state) {
    field.state = state;
    mActive = -1;
  }

  std::map<int, SField> mFields;
  int mActive = -1;
};

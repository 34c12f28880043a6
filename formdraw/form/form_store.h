// The form store of a print session: up to 400 form numbers (file name, magnification,
// offsets, alias, slot), up to 20 loaded slots, and the current form.
//  - Registering a file that an earlier number names makes the new number an alias of
//    that number: nothing new is loaded. The earlier numbers are compared in turn up to
//    the first one without a name of its own (an unregistered number or an alias).
//  - With 20 slots in use, a form made current by number reuses slots round-robin from
//    slot 0; the number that held the reused slot loses it and reloads on demand.
//  - The current form is always the form of the current number: the slot its file is
//    loaded in, or none. Only MakeCurrent changes the current number; registering or
//    changing its file changes the form at once, and a file that fails to load leaves
//    the number without a form rather than with the one it had.
// Owned by the session's work area; used by one thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "formdraw/form/form_data.h"

namespace fmdraw::form {

struct FormNumber {
  std::string fileName;   // empty for an alias or an unregistered number
  int32_t magnification = 0;  // percent
  int16_t xOffset = 0;    // 0.01 mm
  int16_t yOffset = 0;
  int aliasOf = -1;       // the number whose file this number shares
  int slot = -1;          // slot that holds the form, -1 when not loaded
};

struct FormSlot {
  bool used = false;
  int formNo = -1;        // the number (not an alias) whose form the slot holds
  FormData form;
  std::array<uint8_t, kHangingListSize> hanging{};
};

class FormStore {
 public:
  // Called for a slot's form before its arrays are released (temporary image copies).
  using ReleaseHook = std::function<void(FormSlot&)>;
  // Reads a form file by name into `out`; returns 0 or a reader code.
  using Loader = std::function<int(const std::string& fileName, FormData& out)>;

  FormStore();
  void SetReleaseHook(ReleaseHook hook) { releaseHook_ = std::move(hook); }
  void SetLoader(Loader loader) { loader_ = std::move(loader); }

  // Registers formNo for fileName. Returns -1 for a number outside 0..399, 0 for an
  // alias or when all slots are used, else the load result. A magnification of 0 keeps
  // the number's magnification and offsets (100 percent when it has none yet).
  int SetForm(int formNo, int magnification, int16_t xOffset, int16_t yOffset,
              std::string_view fileName);

  // Makes formNo current, loading it when no slot holds it. Returns 0, or -3 when the
  // number has no file (own or through its alias) or its form cannot be loaded; the
  // current number then stays.
  int MakeCurrent(int formNo);

  // Replaces the file of the current form and reloads it into the current slot (a slot
  // of its own when it had none); its magnification and offsets stay. Returns 0, or the
  // load result: the current number then has no form until a load succeeds.
  int ChangeCurrentFile(std::string_view fileName);

  // Releases every slot (the session is closing).
  void ReleaseAll();

  [[nodiscard]] int CurrentNumber() const { return currentNo_; }
  // The slot that holds the current number's form, -1 when none does.
  [[nodiscard]] int CurrentSlot() const;
  [[nodiscard]] int LoadedCount() const { return loadedCount_; }
  [[nodiscard]] const FormNumber& Number(int formNo) const { return numbers_.at(formNo); }
  [[nodiscard]] FormNumber& Number(int formNo) { return numbers_.at(formNo); }
  [[nodiscard]] const FormSlot& Slot(int slot) const { return slots_.at(slot); }
  [[nodiscard]] FormSlot& Slot(int slot) { return slots_.at(slot); }
  // The current form's data, or nullptr when the current slot holds nothing.
  [[nodiscard]] const FormData* CurrentForm() const;
  [[nodiscard]] FormData* CurrentForm();
  // Magnification and offsets that apply to drawing: those of the current number.
  [[nodiscard]] const FormNumber& CurrentSettings() const { return numbers_[currentNo_]; }
  [[nodiscard]] FormNumber& CurrentSettings() { return numbers_[currentNo_]; }

 private:
  int Owner(int formNo) const;  // the number that holds the file name
  int LoadInto(int slot, int owner);
  int LoadOrRelease(int slot, int owner);
  int ChooseSlot();
  void HandOverAliases(int formNo);
  void ReleaseSlot(int slot);
  int FreeSlot() const;
  static void StoreScale(FormNumber& n, int magnification, int16_t xOffset, int16_t yOffset);

  std::array<FormNumber, kMaxFormNumbers> numbers_;
  std::array<FormSlot, kMaxSlots> slots_;
  int loadedCount_ = 0;
  int nextReuse_ = 0;
  int currentNo_ = 0;
  ReleaseHook releaseHook_;
  Loader loader_;
};

// The default loader: finds the file (bare-name search as a fallback) and loads it.
int LoadFormFile(const std::string& fileName, FormData& out);

}  // namespace fmdraw::form

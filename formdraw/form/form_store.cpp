#include "formdraw/form/form_store.h"

#include <cstring>

#include "formdraw/form/file_search.h"

namespace fmdraw::form {

int LoadFormFile(const std::string& fileName, FormData& out) {
  auto bytes = ReadLocatedFile(fileName);
  if (!bytes) return kErrFile;
  return LoadForm(*bytes, out);
}

FormStore::FormStore() : loader_(LoadFormFile) {}

int FormStore::Owner(int formNo) const {
  const FormNumber& n = numbers_[formNo];
  if (!n.fileName.empty()) return formNo;
  if (n.aliasOf >= 0 && !numbers_[n.aliasOf].fileName.empty()) return n.aliasOf;
  return -1;
}

// A magnification above 0 is stored with its offsets; 0 (or below) keeps what the number
// has. A number that never had one draws at 100 percent: drawing at 0 percent would put
// every object of the form on one point.
void FormStore::StoreScale(FormNumber& n, int magnification, int16_t xOffset, int16_t yOffset) {
  if (magnification > 0) {
    n.magnification = magnification;
    n.xOffset = xOffset;
    n.yOffset = yOffset;
  } else if (n.magnification < 1) {
    n.magnification = 100;
  }
}

int FormStore::FreeSlot() const {
  for (int s = 0; s < kMaxSlots; ++s)
    if (!slots_[s].used) return s;
  return -1;
}

void FormStore::ReleaseSlot(int slot) {
  FormSlot& s = slots_[slot];
  if (!s.used) return;
  if (releaseHook_) releaseHook_(s);
  if (s.formNo >= 0 && numbers_[s.formNo].slot == slot) numbers_[s.formNo].slot = -1;
  s = FormSlot{};
  --loadedCount_;
}

// Loads the file of `owner` into `slot`. The form is read before the slot's old form is
// released, so a file that fails to load leaves the slot (perhaps the current form) as it
// was.
int FormStore::LoadInto(int slot, int owner) {
  FormData data;
  int rc = loader_(numbers_[owner].fileName, data);
  if (rc != 0) return rc;
  ReleaseSlot(slot);
  FormSlot& s = slots_[slot];
  s.used = true;
  s.formNo = owner;
  s.form = std::move(data);
  s.hanging.fill(0);
  std::memcpy(s.hanging.data(), s.form.text.hanging.data(),
              std::min(s.form.text.hanging.size(), kMaxHangingBytes));
  numbers_[owner].slot = slot;
  ++loadedCount_;
  return 0;
}

int FormStore::SetForm(int formNo, int magnification, int16_t xOffset, int16_t yOffset,
                       std::string_view fileName) {
  if (formNo < 0 || formNo >= kMaxFormNumbers) return -1;
  FormNumber& n = numbers_[formNo];
  // Earlier numbers are compared in turn, up to the first without a name. An alias
  // counts with its owner's name, so a file registered after an alias is still shared
  // rather than loaded a second time.
  for (int other = 0; other < formNo; ++other) {
    int owner = Owner(other);
    if (owner < 0) break;
    if (numbers_[owner].fileName != fileName) continue;
    if (n.slot >= 0) ReleaseSlot(n.slot);
    n.aliasOf = owner;
    n.fileName.clear();
    StoreScale(n, magnification, xOffset, yOffset);
    // The current number now draws from its owner's slot.
    if (formNo == currentNo_ && numbers_[owner].slot >= 0) currentSlot_ = numbers_[owner].slot;
    return 0;
  }
  n.fileName = std::string(fileName);
  n.aliasOf = -1;
  StoreScale(n, magnification, xOffset, yOffset);
  // A number registered again keeps its slot; otherwise the next free slot is used.
  int slot = n.slot >= 0 ? n.slot : FreeSlot();
  if (slot < 0) return 0;
  return LoadInto(slot, formNo);
}

int FormStore::MakeCurrent(int formNo) {
  if (formNo < 0 || formNo >= kMaxFormNumbers) return -3;
  int owner = Owner(formNo);
  if (owner < 0) return -3;
  int slot = numbers_[owner].slot;
  if (slot < 0) {
    slot = FreeSlot();
    if (slot < 0) {
      slot = nextReuse_;
      nextReuse_ = (nextReuse_ + 1) % kMaxSlots;
    }
    if (LoadInto(slot, owner) != 0) return -3;
  }
  currentNo_ = formNo;
  currentSlot_ = slot;
  return 0;
}

int FormStore::ChangeCurrentFile(std::string_view fileName) {
  int owner = Owner(currentNo_);
  if (owner < 0) owner = currentNo_;
  numbers_[owner].fileName = std::string(fileName);
  numbers_[owner].aliasOf = -1;
  return LoadInto(currentSlot_, owner);
}

void FormStore::ReleaseAll() {
  for (int s = 0; s < kMaxSlots; ++s) ReleaseSlot(s);
}

const FormData* FormStore::CurrentForm() const {
  const FormSlot& s = slots_[currentSlot_];
  return s.used ? &s.form : nullptr;
}

FormData* FormStore::CurrentForm() {
  FormSlot& s = slots_[currentSlot_];
  return s.used ? &s.form : nullptr;
}

}  // namespace fmdraw::form

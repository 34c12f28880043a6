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
// released, so a file that fails to load leaves the slot as it was (a slot taken
// round-robin keeps the form of the number that holds it).
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

// The numbers that share `formNo`'s file pass to the first of them, which takes over the
// file and the slot: `formNo` is about to name another file, and the aliases must keep
// the one they were registered for.
void FormStore::HandOverAliases(int formNo) {
  int heir = -1;
  for (int other = formNo + 1; other < kMaxFormNumbers; ++other) {
    if (numbers_[other].aliasOf != formNo) continue;
    if (heir < 0) {
      heir = other;
      FormNumber& h = numbers_[heir];
      h.fileName = numbers_[formNo].fileName;
      h.aliasOf = -1;
      h.slot = numbers_[formNo].slot;
      if (h.slot >= 0) slots_[h.slot].formNo = heir;
      numbers_[formNo].slot = -1;
    } else {
      numbers_[other].aliasOf = heir;
    }
  }
}

int FormStore::SetForm(int formNo, int magnification, int16_t xOffset, int16_t yOffset,
                       std::string_view fileName) {
  if (formNo < 0 || formNo >= kMaxFormNumbers) return -1;
  FormNumber& n = numbers_[formNo];
  const bool renamed = !n.fileName.empty() && n.fileName != fileName;
  // The names of the earlier numbers are compared in turn, up to the first number without
  // a name of its own: an alias has none, so the search ends there.
  for (int other = 0; other < formNo; ++other) {
    if (numbers_[other].fileName.empty()) break;
    if (numbers_[other].fileName != fileName) continue;
    if (!n.fileName.empty()) HandOverAliases(formNo);
    if (n.slot >= 0) ReleaseSlot(n.slot);
    n.aliasOf = other;
    n.fileName.clear();
    StoreScale(n, magnification, xOffset, yOffset);
    return 0;
  }
  if (renamed) HandOverAliases(formNo);
  n.fileName = std::string(fileName);
  n.aliasOf = -1;
  StoreScale(n, magnification, xOffset, yOffset);
  // A number registered again keeps its slot; otherwise the next free slot is used.
  int slot = n.slot >= 0 ? n.slot : FreeSlot();
  if (slot < 0) return 0;
  return LoadOrRelease(slot, formNo);
}

int FormStore::LoadOrRelease(int slot, int owner) {
  const int rc = LoadInto(slot, owner);
  // The slot must not go on holding the old form under the new file name.
  if (rc != 0 && numbers_[owner].slot == slot) ReleaseSlot(slot);
  return rc;
}

int FormStore::ChooseSlot() {
  int slot = FreeSlot();
  if (slot >= 0) return slot;
  slot = nextReuse_;
  nextReuse_ = (nextReuse_ + 1) % kMaxSlots;
  return slot;
}

int FormStore::MakeCurrent(int formNo) {
  if (formNo < 0 || formNo >= kMaxFormNumbers) return -3;
  int owner = Owner(formNo);
  if (owner < 0) return -3;
  if (numbers_[owner].slot < 0 && LoadInto(ChooseSlot(), owner) != 0) return -3;
  currentNo_ = formNo;
  return 0;
}

int FormStore::ChangeCurrentFile(std::string_view fileName) {
  int owner = Owner(currentNo_);
  if (owner < 0) owner = currentNo_;
  numbers_[owner].fileName = std::string(fileName);
  numbers_[owner].aliasOf = -1;
  const int slot = numbers_[owner].slot;
  return LoadOrRelease(slot >= 0 ? slot : ChooseSlot(), owner);
}

void FormStore::ReleaseAll() {
  for (int s = 0; s < kMaxSlots; ++s) ReleaseSlot(s);
}

int FormStore::CurrentSlot() const {
  const int owner = Owner(currentNo_);
  return owner < 0 ? -1 : numbers_[owner].slot;
}

const FormData* FormStore::CurrentForm() const {
  const int slot = CurrentSlot();
  return slot < 0 ? nullptr : &slots_[slot].form;
}

FormData* FormStore::CurrentForm() {
  const int slot = CurrentSlot();
  return slot < 0 ? nullptr : &slots_[slot].form;
}

}  // namespace fmdraw::form

#include "formdraw/form/form_data.h"

namespace fmdraw::form {

namespace {

// Every array, the font table included, must fit one block of at most 65,535 bytes.
int CheckBlockSizes(const Counts& counts) {
  for (int k = 0; k < kAllKinds; ++k) {
    if (counts[k] < 0) return kErrCheck;
    if (static_cast<std::size_t>(counts[k]) * kRecordSize[k] > kMaxBlockBytes) return kErrCheck;
  }
  return 0;
}

void ClearImageCopyNumbers(FormData& form) {
  for (int i = 0; i < form.counts[kImage]; ++i)
    PutI16(form.Record(kImage, i) + kImageTempWordOffset, 0);
}

}  // namespace

int LoadForm(std::span<const uint8_t> file, FormData& out, const LoadOptions& options) {
  ScanResult scan = ScanForm(file, 0);
  if (scan.error != 0) return scan.error;
  if (options.enforceBlockLimit) {
    if (int rc = CheckBlockSizes(scan.counts); rc != 0) return rc;
  } else {
    for (int k = 0; k < kFileKinds; ++k)
      if (scan.counts[k] < 0) return kErrFile;
  }
  FormData form;
  form.counts = scan.counts;
  form.text = std::move(scan.text);
  const uint8_t* header = &file[scan.recordsOffset - kHeaderSize];
  for (int i = 0; i < kHeaderRandomWords; ++i)
    form.headerRandom[i] = GetI16(header + kHeaderRandomOffset + 2 * i);
  std::array<uint8_t*, kFileKinds> dest{};
  for (int k = 0; k < kFileKinds; ++k) {
    form.arrays[k].assign(static_cast<std::size_t>(form.counts[k]) * kRecordSize[k], 0);
    dest[k] = form.arrays[k].data();
  }
  if (int rc = ReadArrays(file, scan.recordsOffset, {form.counts.data(), kFileKinds}, dest);
      rc != 0)
    return rc;
  if (options.rewriteFonts) {
    for (int kind : {kText, kDataField, kListField})
      RewriteFontReferences(kind, form.arrays[kind].data(), form.counts[kind], form.text.fonts);
  }
  ClearImageCopyNumbers(form);
  out = std::move(form);
  return 0;
}

}  // namespace fmdraw::form

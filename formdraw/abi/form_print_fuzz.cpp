// Fuzz entry for printing a form through the library's C interface: a session opens a
// form built from the input on a folder printer that writes trace files, prints the form
// pass, fills every data and barcode field the form names with text from the input, and
// ends the document. This is where the records' values (coordinates, pen widths, text
// lengths, font references, flow flags) reach the drawing code.
//
// Input: byte 0 flags (bit 0 adds a hanging-character line, bits 1-2 pick the printer
// resolution, bit 3 a second font line), then 12 little-endian 16-bit record counts,
// then the records of kinds 0 to 11 in order (counts are cut to what the bytes hold),
// then the field values, separated by NUL bytes. The text part and the header's check
// value are built by the harness, so every input is a form the library opens.
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "cmake/fuzz_input.h"
#include "formdraw/fmdraw32.h"

namespace {

namespace fs = std::filesystem;

constexpr std::array<int, 12> kRecordSize = {6, 26, 32, 64, 154, 30, 92, 46, 40, 92, 66, 36};
constexpr int kDataFieldKind = 6, kBarcodeFieldKind = 7, kListFieldKind = 9, kImageFieldKind = 11;
constexpr std::size_t kDataFieldNameAt = 68, kBarcodeFieldNameAt = 22, kListFieldNameAt = 68,
                      kImageFieldNameAt = 16, kFieldNameBytes = 20;
constexpr std::size_t kListColumnsAt = 12, kListRowsAt = 14;
const std::string kMincho = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";    // the Mincho face
const std::string kGothic = "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e";

// A Windows directory with one trace printer per resolution, made once per process.
struct Printers {
  fs::path root, out;
  Printers() {
    root = fs::temp_directory_path() / ("form_print_fuzz_" + std::to_string(::getpid()));
    out = root / "out";
    fs::create_directories(root / "win");
    fs::create_directories(out);
    std::ofstream ini(root / "win" / "printers.ini");
    for (int dpi : {72, 150, 300, 600})
      ini << "[T" << dpi << "]\r\nDriver=fmdraw\r\nPort=" << out.string()
          << "\r\nFormat=trace\r\nDpi=" << dpi << "\r\nPaperSize=9\r\n";
    ::setenv("FMDRAW_WINDIR", (root / "win").c_str(), 1);
    ::setenv("FMDRAW_PATH", root.c_str(), 1);  // image names are looked up here only
    // One picture that image records and image fields can name: a.bmp, 2 x 2, 24 bits.
    const unsigned char bmp[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0,
                                 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255,
                                 0, 255, 0, 0, 0, 0};
    std::ofstream(root / "a.bmp", std::ios::binary).write(reinterpret_cast<const char*>(bmp), sizeof bmp);
  }
  ~Printers() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  void UsePrinter(int dpi) const {
    std::ofstream(root / "win" / "win.ini") << "[windows]\r\ndevice=T" << dpi << ",fmdraw,"
                                            << out.string() << "\r\n";
  }
};

void Put16(std::string& s, int v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

struct BuiltForm {
  std::string file;
  std::vector<std::string> dataFields, barcodeFields, imageFields;
  struct List {
    std::string name;
    int columns = 0, rows = 0;
  };
  std::vector<List> listFields;
  std::size_t inputUsed = 0;  // bytes of the input taken by counts and records
};

std::string FieldName(std::span<const uint8_t> record, std::size_t at) {
  const auto* p = reinterpret_cast<const char*>(record.data() + at);
  return std::string(p, std::find(p, p + kFieldNameBytes, '\0'));
}

BuiltForm BuildForm(fuzzing::FuzzInput& in, std::uint8_t flags) {
  BuiltForm f;
  f.file = "#Formvista Ver4.00\r\n9,0\r\n\r\n\r\n\r\n400," + kMincho + ",0,17,128\r\n";
  if (flags & 8) f.file += "401," + kGothic + ",1,49,128\r\n";
  if (flags & 1) f.file += "300,\x81\x42\x81\x41\x81\x76\r\n";  // 。、」 may hang
  f.file += "99\r\n";
  std::array<int, 12> stated{};
  for (int& c : stated) c = static_cast<int>(in.Unsigned(2) & 0x7FFF);
  const auto records = in.Rest();
  std::size_t used = 0;
  std::array<int, 12> counts{};
  for (int k = 0; k < 12; ++k) {
    counts[k] = static_cast<int>(std::min<std::size_t>(stated[k], (records.size() - used) / kRecordSize[k]));
    used += static_cast<std::size_t>(counts[k]) * kRecordSize[k];
  }
  int sum = 0;
  for (int c : counts) sum += static_cast<int16_t>(c);
  std::string header;
  for (int c : counts) Put16(header, c);
  for (int w : {0, 7, 11, 13, 17, 19, 23}) Put16(header, w);
  sum += 7 + 11 + 13 + 17 + 19 + 23;
  Put16(header, sum % 54);
  f.file += header;
  std::size_t at = 0;
  for (int k = 0; k < 12; ++k) {
    for (int i = 0; i < counts[k]; ++i, at += kRecordSize[k]) {
      const auto record = records.subspan(at, kRecordSize[k]);
      if (k == kDataFieldKind) f.dataFields.push_back(FieldName(record, kDataFieldNameAt));
      if (k == kBarcodeFieldKind) f.barcodeFields.push_back(FieldName(record, kBarcodeFieldNameAt));
      if (k == kImageFieldKind) f.imageFields.push_back(FieldName(record, kImageFieldNameAt));
      if (k == kListFieldKind) {
        auto word = [&](std::size_t o) { return static_cast<int16_t>(record[o] | (record[o + 1] << 8)); };
        f.listFields.push_back({FieldName(record, kListFieldNameAt), word(kListColumnsAt), word(kListRowsAt)});
      }
    }
  }
  f.file.append(reinterpret_cast<const char*>(records.data()), used);
  f.inputUsed = 24 + used;
  return f;
}

// The field values: the input after the records, cut at NUL bytes.
std::vector<std::string> Values(std::span<const uint8_t> rest) {
  std::vector<std::string> values;
  std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
  while (!text.empty() && values.size() < 64) {
    const auto nul = text.find('\0');
    values.emplace_back(text.substr(0, nul));
    text = nul == std::string_view::npos ? std::string_view{} : text.substr(nul + 1);
  }
  return values;
}

void PrintFields(const BuiltForm& form, const std::vector<std::string>& values, int32_t* session) {
  std::size_t next = 0;
  auto value = [&]() -> const std::string& {
    static const std::string kNone = "12345";
    return values.empty() ? kNone : values[next++ % values.size()];
  };
  for (const auto& name : form.dataFields) (void)FmPrintDataField(name.c_str(), value().c_str(), session);
  for (const auto& name : form.barcodeFields) {
    const std::string& text = value();
    // The interface carries no size: the encoded text is the input, a check character
    // and start and stop characters at most.
    std::vector<char> encoded(text.size() + 8);
    (void)FmPrintBarcodeField(name.c_str(), text.c_str(), encoded.data(), session);
  }
  for (const auto& name : form.imageFields) (void)FmPrintImageField(name.c_str(), "a.bmp", session);
  // List fields: every cell the record declares (a few rows and columns at most) gets a
  // value through the list buffer, then the buffer is printed.
  for (const auto& list : form.listFields) {
    if (FmAllocListBuffer(list.name.c_str(), session) != 0) continue;
    for (int row = 1; row <= std::clamp(list.rows, 0, 4); ++row)
      for (int column = 1; column <= std::clamp(list.columns, 0, 4); ++column) {
        const std::string& text = value();
        (void)FmSetListData(column, row, static_cast<int32_t>(text.size()), text.c_str(), session);
      }
    (void)FmPrintListBuffer(session);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const Printers printers;
  fuzzing::FuzzInput in(data, size);
  const std::uint8_t flags = in.Byte();
  printers.UsePrinter(std::array{72, 150, 300, 600}[(flags >> 1) & 3]);
  const BuiltForm form = BuildForm(in, flags);
  // The values are what the counts and records leave of the input.
  const std::size_t valuesAt = std::min(size, 1 + form.inputUsed);
  const auto values = Values(std::span<const uint8_t>(data + valuesAt, size - valuesAt));

  const fs::path file = printers.root / "form.fed";
  std::ofstream(file, std::ios::binary | std::ios::trunc) << form.file;
  std::array<int32_t, 4> session{};
  if (FmInit(0, 0, 1, 100, 0, 0, 0, 0, 0, 0, file.c_str(), "", session.data()) == 0) {
    (void)FmPrintForm("", session.data());
    PrintFields(form, values, session.data());
    (void)FmTerm(session.data());
  }
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(printers.out, ec)) fs::remove(e.path(), ec);
  return 0;
}

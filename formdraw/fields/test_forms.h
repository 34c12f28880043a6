// Test helper: writes small version-4 form files with named fields through the form
// writer, into a temporary folder that is removed with the object.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "formdraw/form/form_data.h"
#include "formdraw/form/form_format.h"
#include "formdraw/form/form_writer.h"

namespace fmdraw::fields::testing {

class TestForms {
 public:
  explicit TestForms(const std::string& tag)
      : dir_(std::filesystem::temp_directory_path() /
             ("fmfields_" + std::to_string(::getpid()) + "_" + tag)) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    form_.text.head = {"#Formvista Ver4.00", "9,0", "", "", ""};
  }
  ~TestForms() { std::filesystem::remove_all(dir_); }

  // A data or list field: x, y, width, height in twips.
  void AddSizedField(int kind, const std::string& name, int number, int x, int y, int w, int h,
                     int columns = 0, int rows = 0) {
    uint8_t* r = Append(kind);
    form::PutI16(r + 2, number);
    Words(r + 4, x, y, w, h);
    if (kind == form::kListField) {
      form::PutI16(r + 12, columns);
      form::PutI16(r + 14, rows);
    }
    Name(r + 68, name);
  }
  void AddBarcodeField(const std::string& name, int number, int x1, int y1, int x2, int y2) {
    uint8_t* r = Append(form::kBarcodeField);
    form::PutI16(r + 2, number);
    Words(r + 14, x1, y1, x2, y2);
    Name(r + 22, name);
  }
  void AddImageField(const std::string& name, int number, int x1, int y1, int x2, int y2) {
    uint8_t* r = Append(form::kImageField);
    form::PutI16(r + 2, number);
    Words(r + 8, x1, y1, x2, y2);
    Name(r + 16, name);
  }

  // Writes the fields added so far to `file` in the folder; returns its path.
  std::string Write(const std::string& file) const {
    auto bytes = form::BuildFormFile(form_, {1, 2, 3, 4, 5, 6});
    std::string path = (dir_ / file).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  [[nodiscard]] const std::filesystem::path& Dir() const { return dir_; }

 private:
  uint8_t* Append(int kind) {
    auto& a = form_.arrays[kind];
    a.resize(a.size() + form::kRecordSize[kind], 0);
    ++form_.counts[kind];
    return a.data() + a.size() - form::kRecordSize[kind];
  }
  static void Words(uint8_t* p, int a, int b, int c, int d) {
    form::PutI16(p, a);
    form::PutI16(p + 2, b);
    form::PutI16(p + 4, c);
    form::PutI16(p + 6, d);
  }
  static void Name(uint8_t* p, const std::string& name) {
    for (std::size_t i = 0; i < name.size() && i < 20; ++i) p[i] = static_cast<uint8_t>(name[i]);
  }

  std::filesystem::path dir_;
  form::FormData form_;
};

}  // namespace fmdraw::fields::testing

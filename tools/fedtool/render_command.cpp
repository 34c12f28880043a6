#include "tools/fedtool/render_command.h"

#include <stdlib.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

#include <nlohmann/json.hpp>

#include "formdraw/fmdraw32.h"
#include "formdraw/form/file_search.h"
#include "formdraw/form/form_data.h"
#include "platform/codepage.h"

namespace fedtool {

namespace fs = std::filesystem;

namespace {

struct RenderArgs {
  std::string form;
  fs::path out;
  std::string values;
  int dpi = 300;
  std::string format;  // pdf or png
};

std::optional<RenderArgs> Parse(const std::vector<std::string>& args) {
  RenderArgs r;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--values" && i + 1 < args.size()) {
      r.values = args[++i];
    } else if (args[i] == "--dpi" && i + 1 < args.size()) {
      r.dpi = std::atoi(args[++i].c_str());
      if (r.dpi < 72 || r.dpi > 2400) return std::nullopt;
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) return std::nullopt;
  r.form = positional[0];
  r.out = positional[1];
  r.format = r.out.extension() == ".png" ? "png" : r.out.extension() == ".pdf" ? "pdf" : "";
  if (r.format.empty()) return std::nullopt;
  return r;
}

// A temporary Windows directory with one folder printer, removed on destruction.
class PrivatePrinter {
 public:
  PrivatePrinter(const RenderArgs& a, int paperSize) {
    std::string pattern = (fs::temp_directory_path() / "fedtool-render-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a temporary folder");
    root_ = pattern;
    fs::create_directories(root_ / "win");
    fs::create_directories(root_ / "out");
    std::ofstream(root_ / "win" / "win.ini") << "[windows]\r\ndevice=fedtool,fmdraw," << Out().string() << "\r\n";
    std::ofstream(root_ / "win" / "printers.ini")
        << "[fedtool]\r\nDriver=fmdraw\r\nPort=" << Out().string() << "\r\nFormat=" << a.format
        << "\r\nDpi=" << a.dpi << "\r\nColor=2\r\nPaperSize=" << paperSize << "\r\n";
    ::setenv("FMDRAW_WINDIR", (root_ / "win").c_str(), 1);
  }
  ~PrivatePrinter() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  PrivatePrinter(const PrivatePrinter&) = delete;
  PrivatePrinter& operator=(const PrivatePrinter&) = delete;
  [[nodiscard]] fs::path Out() const { return root_ / "out"; }

 private:
  fs::path root_;
};

// Rows and columns of the list fields of the form, by CP932 name.
struct ListShape {
  int rows = 0, columns = 0;
};
std::optional<ListShape> ListFieldShape(const std::string& formFile, const std::string& name) {
  const auto bytes = fmdraw::form::ReadFileBytes(formFile);
  fmdraw::form::FormData form;
  if (!bytes || fmdraw::form::LoadForm(*bytes, form) != 0) return std::nullopt;
  const auto& list = form.arrays[fmdraw::form::kListField];
  for (std::size_t at = 0; at + 92 <= list.size(); at += 92) {
    const uint8_t* r = list.data() + at;
    const std::string recordName(reinterpret_cast<const char*>(r + 68), strnlen(reinterpret_cast<const char*>(r + 68), 20));
    if (recordName == name) return ListShape{fmdraw::form::GetI16(r + 14), fmdraw::form::GetI16(r + 12)};
  }
  return std::nullopt;
}

std::string Text(const nlohmann::json& v) { return v.is_string() ? v.get<std::string>() : v.dump(); }

// Cells row by row: int16 length and 32 bytes each (the default item length).
std::vector<uint8_t> CellBuffer(const nlohmann::json& rows, const ListShape& shape) {
  constexpr std::size_t kItem = 32;
  std::vector<uint8_t> cells(static_cast<std::size_t>(shape.rows) * shape.columns * (kItem + 2), 0);
  for (int r = 0; r < shape.rows && r < static_cast<int>(rows.size()); ++r) {
    const nlohmann::json row = rows[r].is_array() ? rows[r] : nlohmann::json::array({rows[r]});
    for (int c = 0; c < shape.columns && c < static_cast<int>(row.size()); ++c) {
      const std::string cell = platform::Utf8ToCp932(Text(row[c])).substr(0, kItem);
      uint8_t* at = cells.data() + (static_cast<std::size_t>(r) * shape.columns + c) * (kItem + 2);
      at[0] = static_cast<uint8_t>(cell.size());
      std::copy(cell.begin(), cell.end(), at + 2);
    }
  }
  return cells;
}

int FillValues(const RenderArgs& a, int32_t* session) {
  std::ifstream in(a.values);
  if (!in) {
    std::cerr << "fedtool: cannot read " << a.values << "\n";
    return 1;
  }
  const nlohmann::json values = nlohmann::json::parse(in);
  if (!values.is_object()) {
    std::cerr << "fedtool: " << a.values << " must hold an object of field values\n";
    return 1;
  }
  int failures = 0;
  for (const auto& [key, value] : values.items()) {
    const std::string name = platform::Utf8ToCp932(key);
    int rc = 0;
    if (value.is_array()) {
      const auto shape = ListFieldShape(a.form, name);
      // The buffer must cover every cell the form declares; a form declaring more than a
      // million cells is refused rather than allocated.
      if (!shape || static_cast<long long>(shape->rows) * shape->columns > 1000000) rc = -3;
      else rc = FmPrintListField(name.c_str(), CellBuffer(value, *shape).data(), session);
    } else {
      rc = FmPrintDataField(name.c_str(), platform::Utf8ToCp932(Text(value)).c_str(), session);
    }
    if (rc != 0) {
      std::cerr << "fedtool: field " << key << ": code " << rc << "\n";
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

int Render(const RenderArgs& a) {
  const int paper = FmGetPaperSize(a.form.c_str());
  if (paper < 0) {
    std::cerr << "fedtool: cannot read " << a.form << "\n";
    return 1;
  }
  PrivatePrinter printer(a, paper);
  std::array<int32_t, 4> session{};
  const int opened = FmInitName(0, 0, 1, 100, 0, 0, 0, 0, 0, 0, a.form.c_str(), "", session.data(), "render");
  if (opened != 0) {
    std::cerr << "fedtool: the form cannot be opened (code " << opened << ")\n";
    return 1;
  }
  FmPrintForm(nullptr, session.data());
  const int filled = a.values.empty() ? 0 : FillValues(a, session.data());
  FmPrintOut(session.data());
  if (FmTerm(session.data()) != 0) {
    std::cerr << "fedtool: the document could not be finished\n";
    return 1;
  }
  for (const auto& e : fs::directory_iterator(printer.Out())) {
    fs::copy_file(e.path(), a.out, fs::copy_options::overwrite_existing);
    return filled;
  }
  std::cerr << "fedtool: no output was produced\n";
  return 1;
}

}  // namespace

int RenderCommand(const std::vector<std::string>& args) {
  const auto parsed = Parse(args);
  if (!parsed) {
    std::cerr << "usage: fedtool render FORM.fed OUT.pdf|OUT.png [--values VALUES.json] [--dpi N]\n";
    return 2;
  }
  return Render(*parsed);
}

}  // namespace fedtool

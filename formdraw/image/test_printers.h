// Test support shared by the barcode and image tests (header only, no library code):
// a temporary Windows directory with one folder printer, form files built from record
// arrays, and raster checks of printed pages (pdftoppm, zbarimg, PGM and PNG pixels).
#pragma once

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fmdraw::testing {

namespace tfs = std::filesystem;

inline void Put16(std::vector<uint8_t>& b, std::size_t o, int v) {
  b[o] = static_cast<uint8_t>(v & 0xFF);
  b[o + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}
inline void Put32(std::vector<uint8_t>& b, std::size_t o, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[o + i] = static_cast<uint8_t>(v >> (8 * i));
}

inline constexpr int kRecordSizes[12] = {6, 26, 32, 64, 154, 30, 92, 46, 40, 92, 66, 36};
inline constexpr int kImageKind = 4, kBarcodeFieldKind = 7, kImageFieldKind = 11;

// A version-4 form whose record arrays are `arrays[kind]` (whole records).
inline std::string FormFile(const std::array<std::vector<uint8_t>, 12>& arrays) {
  std::string s = "#Formvista Ver4.00\r\n9,0\r\n\r\n\r\n\r\n99\r\n";
  std::vector<uint8_t> header(40, 0);
  int sum = 0;
  for (int k = 0; k < 12; ++k) {
    const int count = static_cast<int>(arrays[k].size()) / kRecordSizes[k];
    Put16(header, 2 * k, count);
    sum += count;
  }
  Put16(header, 38, sum % 54);
  s.append(header.begin(), header.end());
  for (const auto& a : arrays) s.append(a.begin(), a.end());
  return s;
}

inline std::vector<uint8_t> BarcodeField(const std::string& name, int symbology, int flag,
                                         int direction, int x1, int y1, int x2, int y2,
                                         uint32_t color = 0) {
  std::vector<uint8_t> r(46, 0);
  Put16(r, 0, 1);
  Put16(r, 2, 1);
  Put16(r, 8, symbology);
  Put16(r, 10, flag);
  Put16(r, 12, direction);
  Put16(r, 14, x1);
  Put16(r, 16, y1);
  Put16(r, 18, x2);
  Put16(r, 20, y2);
  std::copy(name.begin(), name.end(), r.begin() + 22);
  Put32(r, 42, color);
  return r;
}

inline std::vector<uint8_t> ImageField(const std::string& name, int x1, int y1, int x2, int y2) {
  std::vector<uint8_t> r(36, 0);
  Put16(r, 0, 1);
  Put16(r, 2, 1);
  Put16(r, 8, x1);
  Put16(r, 10, y1);
  Put16(r, 12, x2);
  Put16(r, 14, y2);
  std::copy(name.begin(), name.end(), r.begin() + 16);
  return r;
}

inline std::vector<uint8_t> ImageRecord(const std::string& file, int x1, int y1, int x2, int y2) {
  std::vector<uint8_t> r(154, 0);
  Put16(r, 0, 1);
  Put32(r, 4, static_cast<uint32_t>(x1));
  Put32(r, 8, static_cast<uint32_t>(y1));
  Put32(r, 12, static_cast<uint32_t>(x2));
  Put32(r, 16, static_cast<uint32_t>(y2));
  Put16(r, 24, static_cast<int>(file.size()));
  std::copy(file.begin(), file.end(), r.begin() + 26);
  return r;
}

// A bottom-up 24-bit bitmap whose pixel (x, y) from the top-left is colour(x, y)
// (0x00RRGGBB).
template <typename Colour>
std::vector<uint8_t> Bitmap24(int w, int h, Colour colour) {
  const int stride = (w * 3 + 3) / 4 * 4;
  std::vector<uint8_t> b(54 + static_cast<std::size_t>(stride) * h, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, 54);
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<uint32_t>(w));
  Put32(b, 22, static_cast<uint32_t>(h));
  b[26] = 1;
  b[28] = 24;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = colour(x, y);
      uint8_t* p = b.data() + 54 + static_cast<std::size_t>(h - 1 - y) * stride + 3 * x;
      p[0] = c & 0xFF;
      p[1] = (c >> 8) & 0xFF;
      p[2] = (c >> 16) & 0xFF;
    }
  return b;
}

inline void WriteBytes(const tfs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}
inline void WriteBytes(const tfs::path& p, const std::vector<uint8_t>& bytes) {
  WriteBytes(p, std::string(bytes.begin(), bytes.end()));
}

inline std::string ReadAll(const tfs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline std::string Run(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    ::pclose(p);
  }
  return out;
}

inline bool HaveTool(const std::string& tool) {
  return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// A temporary Windows directory (FMDRAW_WINDIR) with one default folder printer
// writing `format` files at `dpi` into out/; forms/ for form files.
class TestPrinters {
 public:
  explicit TestPrinters(const std::string& name) {
    root_ = tfs::temp_directory_path() / ("fmimg_" + std::to_string(::getpid()) + "_" + name);
    tfs::remove_all(root_);
    for (const char* d : {"win", "out", "forms", "img", "tmp"}) tfs::create_directories(root_ / d);
    ::setenv("FMDRAW_WINDIR", (root_ / "win").c_str(), 1);
  }
  ~TestPrinters() {
    ::unsetenv("FMDRAW_WINDIR");
    std::error_code ec;
    tfs::remove_all(root_, ec);
  }
  TestPrinters(const TestPrinters&) = delete;
  TestPrinters& operator=(const TestPrinters&) = delete;

  void Install(const std::string& format, int dpi) const {
    const std::string out = (root_ / "out").string();
    std::ofstream(root_ / "win" / "win.ini") << "[windows]\r\ndevice=Folder,fmdraw," << out << "\r\n";
    std::ofstream(root_ / "win" / "printers.ini")
        << "[Folder]\r\nDriver=fmdraw\r\nPort=" << out << "\r\nFormat=" << format
        << "\r\nDpi=" << dpi << "\r\nOrientation=1\r\nCopies=1\r\nPaperSize=9\r\n";
  }
  [[nodiscard]] std::string Form(const std::string& name,
                                 const std::array<std::vector<uint8_t>, 12>& arrays = {}) const {
    const tfs::path p = root_ / "forms" / name;
    WriteBytes(p, FormFile(arrays));
    return p.string();
  }
  [[nodiscard]] std::vector<tfs::path> Outputs() const {
    std::vector<tfs::path> files;
    for (auto& e : tfs::directory_iterator(root_ / "out")) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
  }
  [[nodiscard]] const tfs::path& Root() const { return root_; }

 private:
  tfs::path root_;
};

// An 8-bit grey picture.
struct Grey {
  int width = 0, height = 0;
  std::vector<uint8_t> pixels;
  [[nodiscard]] uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

inline Grey ReadPgm(const tfs::path& p) {
  Grey g;
  std::ifstream in(p, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  in >> magic >> g.width >> g.height >> maxValue;
  in.get();
  if (magic != "P5" || g.width <= 0 || g.height <= 0) return {};
  g.pixels.resize(static_cast<std::size_t>(g.width) * g.height);
  in.read(reinterpret_cast<char*>(g.pixels.data()), static_cast<std::streamsize>(g.pixels.size()));
  return g;
}

inline void WritePgm(const tfs::path& p, const Grey& g) {
  std::ofstream out(p, std::ios::binary);
  out << "P5\n" << g.width << " " << g.height << "\n255\n";
  out.write(reinterpret_cast<const char*>(g.pixels.data()), static_cast<std::streamsize>(g.pixels.size()));
}

// Turned a quarter counter-clockwise: a code running top to bottom then runs left to right.
inline Grey RotateCounterClockwise(const Grey& g) {
  Grey r;
  r.width = g.height;
  r.height = g.width;
  r.pixels.resize(g.pixels.size());
  for (int y = 0; y < g.height; ++y)
    for (int x = 0; x < g.width; ++x)
      r.pixels[static_cast<std::size_t>(g.width - 1 - x) * r.width + y] = g.At(x, y);
  return r;
}

// A part of a page in millimetres from its top-left corner.
struct CropMm {
  int x = 0, y = 0, width = 0, height = 0;  // width 0: the whole page
};

// The pages of a PDF as grey PGM files at `dpi`, in page order.
inline std::vector<tfs::path> RasterisePdf(const tfs::path& pdf, int dpi, CropMm crop = {}) {
  const tfs::path prefix = pdf.parent_path() / (pdf.stem().string() + "_page");
  std::string area;
  if (crop.width > 0) {
    auto px = [&](int mm) { return std::to_string(mm * dpi * 10 / 254); };
    area = " -x " + px(crop.x) + " -y " + px(crop.y) + " -W " + px(crop.width) + " -H " + px(crop.height);
  }
  Run("pdftoppm -r " + std::to_string(dpi) + area + " -gray '" + pdf.string() + "' '" +
      prefix.string() + "' 2>&1");
  std::vector<tfs::path> pages;
  for (auto& e : tfs::directory_iterator(pdf.parent_path()))
    if (e.path().extension() == ".pgm" && e.path().filename().string().rfind(prefix.filename().string(), 0) == 0)
      pages.push_back(e.path());
  std::sort(pages.begin(), pages.end());
  return pages;
}

// Every code zbarimg reads in the picture, one per line, without line ends at the end.
inline std::string Decode(const tfs::path& picture) {
  std::string out = Run("zbarimg --quiet --raw -Sdisable -Sean13.enable -Sean8.enable "
                        "-Scode39.enable -Si25.enable -Scodabar.enable -Si25.min-length=2 '" +
                        picture.string() + "' 2>/dev/null");
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

}  // namespace fmdraw::testing

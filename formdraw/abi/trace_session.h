// Tests only: a session on a folder printer that writes trace files (or PNG pages), in
// a temporary Windows directory, and a builder of version-4 form files from records.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "formdraw/fmdraw32.h"

namespace fmtest {

namespace fs = std::filesystem;

// One record of `size` bytes, written field by field.
struct Rec {
  std::vector<uint8_t> b;
  explicit Rec(std::size_t size) : b(size, 0) {}
  Rec& W(std::size_t word, int v) { return I16(2 * word, v); }
  Rec& I16(std::size_t at, int v) {
    b[at] = static_cast<uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    return *this;
  }
  Rec& I32(std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>((v >> (8 * i)) & 0xFF);
    return *this;
  }
  Rec& B(std::size_t at, int v) {
    b[at] = static_cast<uint8_t>(v);
    return *this;
  }
  Rec& S(std::size_t at, const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) b[at + i] = static_cast<uint8_t>(s[i]);
    return *this;
  }
};

inline constexpr int kSizes[12] = {6, 26, 32, 64, 154, 30, 92, 46, 40, 92, 66, 36};
inline const std::string kMincho = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";

// A form: record arrays by kind, and the text part's record lines (font 400 = Mincho).
struct FormBuilder {
  std::array<std::vector<Rec>, 12> records;
  std::vector<std::string> lines{"400," + kMincho + ",0,17,128"};

  FormBuilder& Add(int kind, const Rec& r, bool inOrder = true) {
    records[kind].push_back(r);
    if (inOrder && kind != 0)
      records[0].push_back(Rec(6).W(0, 1).W(1, kind).W(2, static_cast<int>(records[kind].size()) - 1));
    return *this;
  }
  [[nodiscard]] std::string Bytes() const {
    std::string s = "#Formvista Ver4.00\r\n9,0\r\n\r\n\r\n\r\n";
    for (const auto& l : lines) s += l + "\r\n";
    s += "99\r\n";
    std::vector<int> words;
    for (const auto& r : records) words.push_back(static_cast<int>(r.size()));
    words.push_back(0);
    for (int r : {7, 11, 13, 17, 19, 23}) words.push_back(r);
    int sum = 0;
    for (int w : words) sum += static_cast<int16_t>(w);
    words.push_back(sum % 54);
    for (int w : words) {
      s.push_back(static_cast<char>(w & 0xFF));
      s.push_back(static_cast<char>((w >> 8) & 0xFF));
    }
    for (const auto& kind : records)
      for (const auto& r : kind) s.append(r.b.begin(), r.b.end());
    return s;
  }
};

class TraceSession : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("fmtrace_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "win");
    fs::create_directories(root_ / "out");
    ::setenv("FMDRAW_WINDIR", (root_ / "win").c_str(), 1);
  }
  void TearDown() override {
    if (session_[2] != 0) FmTerm(session_.data());
    ::unsetenv("FMDRAW_WINDIR");
    fs::remove_all(root_);
  }
  // Opens a session at `dpi` (Color=1 makes a monochrome printer) on `form`.
  void Open(const FormBuilder& form = {}, int dpi = 300, int color = 2, int magnification = 100) {
    std::ofstream(root_ / "win" / "win.ini") << "[windows]\r\ndevice=T,fmdraw," << (root_ / "out").string() << "\r\n";
    std::ofstream(root_ / "win" / "printers.ini")
        << "[T]\r\nDriver=fmdraw\r\nPort=" << (root_ / "out").string() << "\r\nFormat=" << format_ << "\r\nDpi=" << dpi
        << "\r\nColor=" << color << "\r\nPaperSize=9\r\n";
    const fs::path file = root_ / "form.fed";
    std::ofstream(file, std::ios::binary) << form.Bytes();
    ASSERT_EQ(FmInit(0, 0, 1, magnification, 0, 0, 0, 0, 0, 0, file.c_str(), "", session_.data()), 0);
  }
  // Ends the session and returns the trace lines after the first StartPage.
  std::vector<std::string> Close() {
    EXPECT_EQ(FmTerm(session_.data()), 0);
    std::vector<std::string> lines;
    for (const auto& e : fs::directory_iterator(root_ / "out")) {
      std::ifstream in(e.path());
      std::string line;
      bool started = false;
      while (std::getline(in, line)) {
        if (started) lines.push_back(line);
        started = started || line == "StartPage";
      }
    }
    return lines;
  }
  // The lines that begin with `prefix`.
  static std::vector<std::string> Only(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& l : lines)
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    return out;
  }
  int32_t* S() { return session_.data(); }
  // The files the printer wrote, in name order.
  std::vector<fs::path> Outputs() const {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(root_ / "out")) files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
  }

  std::string format_ = "trace";  // the printer's output: trace, png or pdf
  fs::path root_;
  std::array<int32_t, 4> session_{};
};

}  // namespace fmtest

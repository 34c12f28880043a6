// CP932 <-> UTF-8 through glibc iconv. Each thread keeps its own pair of conversion
// descriptors (iconv_t is not safe to share). Bytes that do not convert are replaced one
// at a time and the conversion goes on after them, so one bad byte never loses the rest.
#include "platform/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace platform {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; at a byte that does not convert, calls skip(rest, out), which appends
  // a replacement and returns how many input bytes it stands for.
  template <class Skip>
  std::string Run(std::string_view in, Skip skip) {
    std::string out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // fresh shift state
    char buf[4096];
    while (!in.empty()) {
      char* src = const_cast<char*>(in.data());
      std::size_t srcLeft = in.size();
      char* dst = buf;
      std::size_t dstLeft = sizeof buf;
      std::size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      int err = errno;
      out.append(buf, static_cast<std::size_t>(dst - buf));
      in.remove_prefix(in.size() - srcLeft);
      if (rc == static_cast<std::size_t>(-1) && err != E2BIG) {
        in.remove_prefix(std::min(in.size(), skip(in, out)));
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 sequence at the start of `s` when it is well formed, else 0.
std::size_t Utf8SequenceLength(std::string_view s) {
  auto b0 = static_cast<unsigned char>(s[0]);
  std::size_t len = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
  if (len == 0 || len > s.size()) return 0;
  for (std::size_t i = 1; i < len; ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0;
  return len;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  thread_local Converter conv("UTF-8", "CP932");
  return conv.Run(cp932, [](std::string_view, std::string& out) {
    out += "\xEF\xBF\xBD";  // U+FFFD for one byte that is not CP932
    return std::size_t{1};
  });
}

std::string Utf8ToCp932(std::string_view utf8) {
  thread_local Converter conv("CP932", "UTF-8");
  return conv.Run(utf8, [](std::string_view rest, std::string& out) {
    out += '?';
    // A whole character CP932 cannot hold becomes one "?"; a byte that is not UTF-8, too.
    std::size_t len = Utf8SequenceLength(rest);
    return len == 0 ? std::size_t{1} : len;
  });
}

}  // namespace platform

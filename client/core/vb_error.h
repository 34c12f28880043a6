// Errors inside the report client. The client's procedures follow one failure style: a
// procedure arms one failure path (a try/catch around its body) or runs statements in
// "resume mode" (each statement in its own try/catch, a failure skips only that
// statement). Errors carry a number, a source and a description so that the error
// message of Run can show them. Exceptions never leave the client library: the web host
// and the tools catch at their entry points.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace tb {

class VbError : public std::runtime_error {
 public:
  VbError(int number, std::string source, std::string description)
      : std::runtime_error(description), number_(number), source_(std::move(source)),
        description_(std::move(description)) {}
  [[nodiscard]] int Number() const { return number_; }
  [[nodiscard]] const std::string& Source() const { return source_; }
  [[nodiscard]] const std::string& Description() const { return description_; }

 private:
  int number_;
  std::string source_;
  std::string description_;
};

// Error numbers the client raises itself.
inline constexpr int kErrTypeMismatch = 13;   // a text that is not a valid number or date
inline constexpr int kErrOverflow = 6;        // a number outside its integer type
inline constexpr int kErrDatabase = 3704;     // a database operation failed
inline constexpr char kErrSource[] = "TB_Client";
inline constexpr char kTypeMismatchText[] = "型が一致しません。";
inline constexpr char kOverflowText[] = "オーバーフローしました。";

// Runs one statement in resume mode: any failure is passed over.
template <class F>
void ResumeNext(F&& statement) noexcept {
  try {
    statement();
  } catch (...) {
  }
}

}  // namespace tb

#include "formdraw/form/form_writer.h"

#include <random>

namespace fmdraw::form {

std::array<int16_t, kHeaderRandomWords> FreshRandomWords() {
  std::random_device device;
  std::array<int16_t, kHeaderRandomWords> words{};
  for (auto& w : words) w = static_cast<int16_t>(device() % 32768);
  return words;
}

std::vector<uint8_t> BuildHeader(std::span<const int16_t> counts12,
                                 const std::array<int16_t, kHeaderRandomWords>& random,
                                 int variant) {
  std::vector<uint8_t> header(kHeaderSize, 0);
  for (int k = 0; k < kFileKinds; ++k) PutI16(&header[2 * k], counts12[k]);
  for (int i = 0; i < kHeaderRandomWords; ++i)
    PutI16(&header[kHeaderRandomOffset + 2 * i], random[i]);
  PutI16(&header[kHeaderCheckOffset],
         HeaderCheckValue({header.data(), kHeaderCheckOffset}, CheckDivisor(variant)));
  return header;
}

std::vector<uint8_t> BuildBinaryPart(std::span<const int16_t> counts12,
                                     const std::array<const uint8_t*, kFileKinds>& arrays,
                                     const std::array<int16_t, kHeaderRandomWords>& random,
                                     int variant) {
  std::vector<uint8_t> out = BuildHeader(counts12, random, variant);
  for (int k = 0; k < kFileKinds; ++k) {
    if (counts12[k] <= 0 || arrays[k] == nullptr) continue;
    std::size_t bytes = static_cast<std::size_t>(counts12[k]) * kRecordSize[k];
    out.insert(out.end(), arrays[k], arrays[k] + bytes);
  }
  return out;
}

std::string QuoteField(const std::string& value) {
  if (value.find(',') == std::string::npos) return value;
  return "\"" + value + "\"";
}

std::string BuildTextPart(const TextPart& text) {
  std::string out;
  for (const auto& line : text.head) out += line + "\r\n";
  if (!text.recordLines.empty()) {
    for (const auto& line : text.recordLines) out += line + "\r\n";
    return out + "99\r\n";
  }
  if (!text.hanging.empty()) out += "300," + QuoteField(text.hanging) + "\r\n";
  for (int i = 0; i < 3; ++i)
    if (text.formStrings[i]) out += std::to_string(301 + i) + "," + QuoteField(*text.formStrings[i]) + "\r\n";
  for (const auto& f : text.fonts)
    out += std::to_string(400 + f.id) + "," + QuoteField(f.face) + "," + std::to_string(f.first) + "," +
           std::to_string(f.pitchFamily) + "," + std::to_string(f.charset) + "\r\n";
  out += "99\r\n";
  return out;
}

std::vector<uint8_t> BuildFormFile(const FormData& form,
                                   const std::array<int16_t, kHeaderRandomWords>& random) {
  std::string text = BuildTextPart(form.text);
  std::vector<uint8_t> out(text.begin(), text.end());
  std::array<const uint8_t*, kFileKinds> arrays{};
  for (int k = 0; k < kFileKinds; ++k) arrays[k] = form.arrays[k].data();
  auto binary = BuildBinaryPart({form.counts.data(), kFileKinds}, arrays, random, 0);
  out.insert(out.end(), binary.begin(), binary.end());
  return out;
}

}  // namespace fmdraw::form

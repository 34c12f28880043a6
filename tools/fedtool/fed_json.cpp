#include "tools/fedtool/fed_json.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "formdraw/form/form_data.h"
#include "formdraw/form/form_writer.h"
#include "platform/codepage.h"
#include "tools/fedtool/record_fields.h"

namespace fedtool {

using json = nlohmann::ordered_json;
namespace form = fmdraw::form;

namespace {

std::string Hex(const uint8_t* p, std::size_t n) {
  std::string out;
  char b[3];
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(b, sizeof b, "%02x", p[i]);
    out += b;
  }
  return out;
}

std::vector<uint8_t> Unhex(const std::string& s) {
  std::vector<uint8_t> out;
  for (std::size_t i = 0; i + 1 < s.size(); i += 2) out.push_back(static_cast<uint8_t>(std::stoi(s.substr(i, 2), nullptr, 16)));
  return out;
}

std::string Utf8(std::string_view cp932) { return platform::Cp932ToUtf8(cp932); }
std::string Cp932(const std::string& utf8) { return platform::Utf8ToCp932(utf8); }

json FieldValue(const FieldDef& f, const uint8_t* r) {
  switch (f.type) {
    case FieldType::kI16: return form::GetI16(r + f.offset);
    case FieldType::kI32: return form::GetI32(r + f.offset);
    case FieldType::kU32: return static_cast<uint32_t>(form::GetI32(r + f.offset));
    case FieldType::kU8: return r[f.offset];
    case FieldType::kText: {
      const char* t = reinterpret_cast<const char*>(r + f.offset);
      return Utf8(std::string(t, strnlen(t, f.size)));
    }
    case FieldType::kI16Array: {
      json a = json::array();
      for (std::size_t i = 0; i < f.size; ++i) a.push_back(form::GetI16(r + f.offset + 2 * i));
      return a;
    }
  }
  return nullptr;
}

void SetField(const FieldDef& f, const json& v, uint8_t* r) {
  switch (f.type) {
    case FieldType::kI16: form::PutI16(r + f.offset, v.get<int>()); break;
    case FieldType::kI32: form::PutI32(r + f.offset, static_cast<uint32_t>(v.get<int32_t>())); break;
    case FieldType::kU32: form::PutI32(r + f.offset, v.get<uint32_t>()); break;
    case FieldType::kU8: r[f.offset] = static_cast<uint8_t>(v.get<int>()); break;
    case FieldType::kText: {
      std::string bytes = Cp932(v.get<std::string>());
      if (bytes.size() > f.size) throw std::runtime_error(std::string(f.name) + " is too long");
      std::memset(r + f.offset, 0, f.size);
      std::memcpy(r + f.offset, bytes.data(), bytes.size());
      break;
    }
    case FieldType::kI16Array:
      for (std::size_t i = 0; i < f.size && i < v.size(); ++i) form::PutI16(r + f.offset + 2 * i, v[i].get<int>());
      break;
  }
}

// One record line of the text part as a JSON entry (in file order).
json TextRecordJson(const std::string& line) {
  auto f = form::SplitFields(line);
  int code = form::ParseLeadingInt(f[0]);
  auto field = [&](std::size_t i) { return i < f.size() ? f[i] : std::string(); };
  if (code == 300) return {{"hanging", Utf8(field(1))}};
  if (code >= 301 && code <= 303)
    return {{"formString", code - 297}, {"text", Utf8(form::DecodeFormString(field(1)))}};
  if (code >= 400)
    return {{"font", code - 400}, {"face", Utf8(field(1))}, {"flag", form::ParseLeadingInt(field(2))},
            {"pitchFamily", form::ParseLeadingInt(field(3))}, {"charset", form::ParseLeadingInt(field(4))}};
  return {{"line", Utf8(line)}};
}

std::string TextRecordLine(const json& e) {
  auto q = [](const std::string& v) { return form::QuoteField(v); };
  if (e.contains("hanging")) return "300," + q(Cp932(e["hanging"].get<std::string>()));
  if (e.contains("formString")) {
    int kind = e["formString"].get<int>();
    if (kind < 4 || kind > 6) throw std::runtime_error("formString must be 4, 5 or 6");
    return std::to_string(297 + kind) + "," + q(form::EncodeFormString(Cp932(e.value("text", ""))));
  }
  if (e.contains("font")) {
    std::string face = Cp932(e.value("face", ""));
    if (face.empty() || face.size() > form::kMaxFaceBytes) throw std::runtime_error("font face must be 1 to 32 bytes");
    return std::to_string(400 + e["font"].get<int>()) + "," + q(face) + "," +
           std::to_string(e.value("flag", 0)) + "," + std::to_string(e.value("pitchFamily", 0)) + "," +
           std::to_string(e.value("charset", 128));
  }
  if (e.contains("line")) return Cp932(e["line"].get<std::string>());
  throw std::runtime_error("unknown text record " + e.dump());
}

json TextPartJson(const form::TextPart& t) {
  json j;
  j["signature"] = Utf8(t.head[0]);
  auto f = form::SplitFields(t.head[1]);
  if (f.size() == 2 && std::to_string(form::ParseLeadingInt(f[0])) == f[0] &&
      std::to_string(form::ParseLeadingInt(f[1])) == f[1]) {
    j["paperSize"] = form::ParseLeadingInt(f[0]);
    j["orientation"] = form::ParseLeadingInt(f[1]);
  } else {
    j["line2"] = Utf8(t.head[1]);
  }
  j["lines3to5"] = {Utf8(t.head[2]), Utf8(t.head[3]), Utf8(t.head[4])};
  j["textRecords"] = json::array();
  for (const auto& line : t.recordLines) j["textRecords"].push_back(TextRecordJson(line));
  return j;
}

form::TextPart TextPartFrom(const json& j) {
  form::TextPart t;
  t.head[0] = Cp932(j.value("signature", "#Formvista Ver4.00"));
  t.head[1] = j.contains("line2") ? Cp932(j["line2"].get<std::string>())
                                  : std::to_string(j.value("paperSize", 9)) + "," +
                                        std::to_string(j.value("orientation", 0));
  if (j.contains("lines3to5"))
    for (int i = 0; i < 3 && i < static_cast<int>(j["lines3to5"].size()); ++i)
      t.head[2 + i] = Cp932(j["lines3to5"][i].get<std::string>());
  for (const auto& e : j.value("textRecords", json::array())) t.recordLines.push_back(TextRecordLine(e));
  return t;
}

// A text part the library could not read back (a record code below 300, an empty line,
// a line break inside a value, a line over 511 bytes) is refused here rather than
// written as a form that no session can open.
void CheckReadsBack(const form::TextPart& wanted, std::span<const uint8_t> bytes) {
  auto read = form::ParseTextPart(bytes);
  if (read.error != 0)
    throw std::runtime_error("text part would not read back: line " + std::to_string(read.line) +
                             ": " + read.reason);
  if (read.part.head != wanted.head || read.part.recordLines != wanted.recordLines)
    throw std::runtime_error("a text line holds a line break or is longer than 511 bytes");
}

}  // namespace

DumpResult Dump(std::span<const uint8_t> fedBytes) {
  DumpResult result;
  form::FormData data;
  result.error = form::LoadForm(fedBytes, data, {.rewriteFonts = false, .enforceBlockLimit = false});
  if (result.error != 0) return result;
  json j = TextPartJson(data.text);
  for (int k = 0; k < form::kFileKinds; ++k) {
    json list = json::array();
    for (int i = 0; i < data.counts[k]; ++i) {
      const uint8_t* r = data.Record(k, i);
      json rec;
      for (const auto& f : FieldsOf(k)) rec[std::string(f.name)] = FieldValue(f, r);
      rec["bytes"] = Hex(r, form::kRecordSize[k]);
      list.push_back(rec);
    }
    j["records"][std::string(KindName(k))] = list;
  }
  result.json = j;
  return result;
}

// A record starts from its "bytes" (when given); each named field that differs from
// what those bytes hold is written over them.
std::vector<uint8_t> Compile(const json& j) {
  form::FormData data;
  data.text = TextPartFrom(j);
  for (int k = 0; k < form::kFileKinds; ++k) {
    std::string name(KindName(k));
    json list = j.contains("records") && j["records"].contains(name) ? j["records"][name] : json::array();
    if (list.size() > 32767) throw std::runtime_error(name + ": too many records");
    data.counts[k] = static_cast<int16_t>(list.size());
    data.arrays[k].assign(list.size() * form::kRecordSize[k], 0);
    for (std::size_t i = 0; i < list.size(); ++i) {
      uint8_t* r = data.Record(k, static_cast<int>(i));
      if (list[i].contains("bytes")) {
        auto bytes = Unhex(list[i]["bytes"].get<std::string>());
        std::memcpy(r, bytes.data(), std::min(bytes.size(), static_cast<std::size_t>(form::kRecordSize[k])));
      }
      for (const auto& f : FieldsOf(k)) {
        std::string key(f.name);
        if (list[i].contains(key) && list[i][key] != FieldValue(f, r)) SetField(f, list[i][key], r);
      }
    }
  }
  auto bytes = form::BuildFormFile(data, form::FreshRandomWords());
  CheckReadsBack(data.text, bytes);
  return bytes;
}

}  // namespace fedtool

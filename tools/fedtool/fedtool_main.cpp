// fedtool: form files from JSON and back.
//   fedtool compile FORM.json OUT.fed
//   fedtool dump IN.fed            (JSON on standard output)
//   fedtool render FORM.fed OUT.pdf|OUT.png [--values VALUES.json] [--dpi N]
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "formdraw/form/file_search.h"
#include "formdraw/form/text_part.h"
#include "tools/fedtool/fed_json.h"
#include "tools/fedtool/render_command.h"

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  try {
    if (command == "render") return fedtool::RenderCommand({argv + 2, argv + argc});
    if (command == "dump" && argc == 3) {
      auto bytes = fmdraw::form::ReadFileBytes(argv[2]);
      if (!bytes) {
        std::cerr << "fedtool: cannot read " << argv[2] << "\n";
        return 1;
      }
      auto result = fedtool::Dump(*bytes);
      if (result.error != 0) {
        auto text = fmdraw::form::ParseTextPart(*bytes);
        std::cerr << "fedtool: " << argv[2] << " is not a readable form file (code " << result.error << ")";
        if (text.error != 0) std::cerr << ": line " << text.line << ": " << text.reason;
        std::cerr << "\n";
        return 1;
      }
      std::cout << result.json.dump(2) << "\n";
      return 0;
    }
    if (command == "compile" && argc == 4) {
      std::ifstream in(argv[2]);
      if (!in) {
        std::cerr << "fedtool: cannot read " << argv[2] << "\n";
        return 1;
      }
      auto bytes = fedtool::Compile(nlohmann::ordered_json::parse(in, nullptr, true, true));
      std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
      if (!out) {
        std::cerr << "fedtool: cannot write " << argv[3] << "\n";
        return 1;
      }
      return 0;
    }
  } catch (const std::exception& e) {
    std::cerr << "fedtool: " << e.what() << "\n";
    return 1;
  }
  std::cerr << "usage: fedtool compile FORM.json OUT.fed | fedtool dump IN.fed\n"
            << "       fedtool render FORM.fed OUT.pdf|OUT.png [--values VALUES.json] [--dpi N]\n";
  return 2;
}

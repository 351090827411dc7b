// skinpack build DIR -o FILE: packs every file of DIR into a skin package.
// skinpack dump FILE: lists a package's entries and the skin it gives.
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "base/exception.h"
#include "tools/skinpack/package_dump.h"
#include "tools/skinpack/package_writer.h"

namespace {

int Usage() {
    std::cerr << "usage: skinpack build DIR -o FILE\n       skinpack dump FILE\n";
    return 2;
}

std::vector<uint8_t> ReadFile(const std::string& name) {
    std::ifstream file(name, std::ios::binary);
    if (!file) throw base::EFOpenError("Cannot open \"" + name + "\"");
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 4 && args[0] == "build" && args[2] == "-o") {
            const auto package = skinpack::PackContainer(skinpack::BuildContainer(skinpack::ReadFolder(args[1])));
            std::ofstream file(args[3], std::ios::binary | std::ios::trunc);
            file.write(reinterpret_cast<const char*>(package.data()), static_cast<std::streamsize>(package.size()));
            if (!file.flush()) throw base::EFCreateError("Cannot write \"" + args[3] + "\"");
            return 0;
        }
        if (args.size() == 2 && args[0] == "dump") {
            std::cout << skinpack::DumpPackage(ReadFile(args[1]));
            return 0;
        }
    } catch (const base::Exception& e) {
        std::cerr << "skinpack: " << e.Message() << "\n";
        return 1;
    }
    return Usage();
}

// Writes the bundled sample files into a folder (normally samples/).
//   make_samples FOLDER
#include "tools/make-samples/sample_set.h"

#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "Usage: make_samples FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    for (const samples::SampleFile& sample : samples::BuildSampleSet()) {
        const std::filesystem::path path = folder / sample.name;
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(sample.bytes.data()), static_cast<std::streamsize>(sample.bytes.size()));
        if (!out) {
            std::cerr << "make_samples: cannot write " << path.string() << "\n";
            return 1;
        }
        std::cout << path.string() << " (" << sample.bytes.size() << " bytes)\n";
    }
    return 0;
}

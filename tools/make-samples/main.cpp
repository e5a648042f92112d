// SPDX-License-Identifier: BSD-3-Clause
// Writes the bundled sample files into a folder (normally samples/).
//   make_samples FOLDER          the committed samples
//   make_samples --album FOLDER  the album image, made at build time
#include "tools/make-samples/sample_set.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const bool album = argc == 3 && std::string(argv[1]) == "--album";
    if (argc != 2 && !album) {
        std::cerr << "Usage: make_samples [--album] FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[argc - 1];
    const std::vector<samples::SampleFile> set =
        album ? std::vector<samples::SampleFile>{samples::AlbumImage()} : samples::BuildSampleSet();
    for (const samples::SampleFile& sample : set) {
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

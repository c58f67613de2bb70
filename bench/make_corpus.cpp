// Writes the benchmark corpus: one catalogue per file, the same bytes for the same seed.
//
//   make_corpus DIR [FILES=2000] [BYTES_PER_FILE=500000] [SEED=1]

#include "CatalogueWriter.h"

#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: make_corpus DIR [FILES=2000] [BYTES_PER_FILE=500000] [SEED=1]\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const long files = argc > 2 ? std::atol(argv[2]) : 2000;
    const long bytes = argc > 3 ? std::atol(argv[3]) : 500000;
    const unsigned seed = argc > 4 ? unsigned(std::atol(argv[4])) : 1;
    std::filesystem::create_directories(dir);
    tagmill::bench::Writer writer(seed);
    for (long i = 0; i < files; ++i) {
        char name[48];
        std::snprintf(name, sizeof name, "catalogue-%05ld.xml", i);
        const std::string text = writer.catalogue(std::size_t(bytes));
        FILE* f = std::fopen((dir / name).c_str(), "wb");
        if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() ||
            std::fclose(f) != 0) {
            std::perror(name);
            return 1;
        }
    }
    return 0;
}

// Writes a folder tree for timing folder scans: small files of mixed extensions, about a third
// of them ".xml" in mixed case, in folders of varied depth. The same seed gives the same tree.
//
//   make_tree DIR [FILES=200000] [FOLDERS=20000] [SEED=1]

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Each extension's share of the files, in percent; the first three make the third that is XML.
struct Extension {
    const char* text;
    int percent;
};
const Extension Extensions[] = {{".xml", 20},  {".XML", 8},  {".Xml", 5},  {".txt", 15},
                                {".json", 12}, {".csv", 10}, {".log", 10}, {".html", 8},
                                {".xmlx", 6},  {"", 6}};

const char* pickExtension(std::mt19937& random) {
    int roll = int(std::uniform_int_distribution<int>(0, 99)(random));
    for (const Extension& extension : Extensions) {
        roll -= extension.percent;
        if (roll < 0)
            return extension.text;
    }
    return "";
}

// Each folder hangs below one made before it, so depths vary from one to a few dozen.
std::vector<fs::path> makeFolders(const fs::path& root, long count, std::mt19937& random) {
    std::vector<fs::path> folders{root};
    for (long i = 1; i < count; ++i) {
        const fs::path& parent =
            folders[std::uniform_int_distribution<std::size_t>(0, folders.size() - 1)(random)];
        char name[32];
        std::snprintf(name, sizeof name, "Folder %05ld", i);
        folders.push_back(parent / name);
        fs::create_directories(folders.back());
    }
    return folders;
}

bool writeFile(const fs::path& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f && std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fclose(f) == 0)
        return true;
    std::perror(path.c_str());
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_tree DIR [FILES=200000] [FOLDERS=20000] [SEED=1]\n");
        return 2;
    }
    const fs::path root = argv[1];
    const long files = argc > 2 ? std::atol(argv[2]) : 200000;
    const long folderCount = argc > 3 ? std::atol(argv[3]) : 20000;
    std::mt19937 random(argc > 4 ? unsigned(std::atol(argv[4])) : 1u);
    fs::create_directories(root);
    const std::vector<fs::path> folders = makeFolders(root, folderCount, random);
    std::uniform_int_distribution<std::size_t> anyFolder(0, folders.size() - 1);
    for (long i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "item-%06ld%s", i, pickExtension(random));
        const std::string text = "<item><id>" + std::to_string(i) + "</id></item>\n";
        if (!writeFile(folders[anyFolder(random)] / name, text))
            return 1;
    }
    return 0;
}

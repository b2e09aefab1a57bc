// Runs a fuzz target over files and folders of inputs, so that the corpus
// is replayed as an ordinary test by any compiler.
//
// usage: replay PATH...

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace fs = std::filesystem;

static int runFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
    return 0;
}

int main(int argc, char *argv[])
{
    int failures = 0;
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const fs::path root(argv[i]);
        if (fs::is_directory(root)) {
            std::vector<fs::path> files;
            for (const auto &entry : fs::recursive_directory_iterator(root)) {
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            }
            std::sort(files.begin(), files.end());
            for (const fs::path &f : files) {
                failures += runFile(f);
                ++inputs;
            }
        } else {
            failures += runFile(root);
            ++inputs;
        }
    }
    std::printf("%d inputs replayed, %d unreadable\n", inputs, failures);
    return failures == 0 && inputs > 0 ? 0 : 1;
}

// Runs the fuzz target over saved inputs, without libFuzzer: each file named on the command line,
// and every file in each directory named there (sorted, not recursive). A crash or an abort in
// the target fails the run; so does a path that can't be read, so a moved directory doesn't
// pass as an empty one.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace fs = std::filesystem;

namespace {

bool replay(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return false;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "%s (%zu bytes)\n", file.c_str(), bytes.size());
    // An empty vector's data() may be null; the target gets a valid pointer either way.
    std::uint8_t none = 0;
    LLVMFuzzerTestOneInput(bytes.empty() ? &none : bytes.data(), bytes.size());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_DIRECTORY...\n", argv[0]);
        return 2;
    }
    std::size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        fs::path path = argv[i];
        std::error_code error;
        if (fs::is_directory(path, error)) {
            std::vector<fs::path> files;
            for (const auto &entry : fs::directory_iterator(path, error))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
            if (error) {
                std::fprintf(stderr, "cannot list %s: %s\n", path.c_str(), error.message().c_str());
                return 1;
            }
            std::sort(files.begin(), files.end());
            for (const auto &file : files) {
                if (!replay(file))
                    return 1;
                ++count;
            }
        } else {
            if (!replay(path))
                return 1;
            ++count;
        }
    }
    std::fprintf(stderr, "replayed %zu inputs\n", count);
    return 0;
}

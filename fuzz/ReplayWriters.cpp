// The writers' fuzzing target without libFuzzer: runs each input kept in the folders
// given (or files) once, so that every native build's tests replay them. A failed
// check aborts, as under the fuzzer.
//   replay-writers PATH...

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void replay(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    std::cout << "replayed " << file.string() << '\n';
}

}  // namespace

int main(int argc, char* argv[]) {
    namespace fs = std::filesystem;
    for (int i = 1; i < argc; ++i) {
        if (!fs::is_directory(argv[i])) {
            replay(argv[i]);
            continue;
        }
        for (const auto& entry : fs::directory_iterator(argv[i])) {
            if (entry.is_regular_file() && entry.path().extension() != ".md") replay(entry.path());
        }
    }
    return 0;
}

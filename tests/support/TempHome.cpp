#include "tests/support/TempHome.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/foundation/Paths.h"

#ifdef NDEBUG
#error "The tests are built with asserts on."
#endif

namespace fs = std::filesystem;

void TempHomeTest::SetUp() {
    const char* previous = std::getenv("VARNELO_HOME");
    hadPreviousHome_ = previous != nullptr;
    if (previous) previousHome_ = previous;
    std::string pattern = (fs::temp_directory_path() / "varnelo-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    home_ = pattern;
    setenv("VARNELO_HOME", home_.c_str(), 1);
    // The desktop's shared lists (recently used files) go to the temporary home too.
    setenv("XDG_DATA_HOME", home_.c_str(), 1);
}

void TempHomeTest::TearDown() {
    std::error_code ec;
    fs::remove_all(home_, ec);
    if (hadPreviousHome_) {
        setenv("VARNELO_HOME", previousHome_.c_str(), 1);
    } else {
        unsetenv("VARNELO_HOME");
    }
}

std::string TempHomeTest::pathInDocuments(const std::string& name) const {
    return Paths::documentsFolder() + "/" + name;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

int openFileDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
    return count;
}

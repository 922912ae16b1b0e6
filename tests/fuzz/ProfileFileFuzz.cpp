// Any bytes as a profile (INI) file: reads never fail, and a key written is the
// key read back.
#include "app/LoginSettings.h"
#include "common/ProfileFile.h"
#include "send/ColumnMemory.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

void check(bool ok) {
    if (!ok)
        __builtin_trap();
}

const std::string& scratchPath() {
    static const std::string path = [] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir && *dir ? dir : "/tmp") + "/qb-fuzz-profile-" + std::to_string(::getpid()) +
               ".ini";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = scratchPath();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    const qb::ProfileFile ini(path);
    (void)ini.read("LOGIN", "ID", "x");
    (void)ini.read("", "", "");
    // Kept columns name only columns the table has.
    if (const auto kept = qb::KeptColumns::read(path, "0000000000000000", 10)) {
        check(kept->number >= 0 && kept->number <= 10);
        for (const int m : kept->merge)
            check(m >= 0 && m <= 10);
    }
    for (const auto& [key, value] : ini.readSection("SERVICE"))
        check(key.find('\n') == std::string::npos && value.find('\n') == std::string::npos);
    (void)qb::LoginSettings::read(path);

    if (ini.write("Fuzz", "Key", "value 1")) {
        check(ini.read("FUZZ", "key", "") == "value 1");
        check(ini.write("LOGIN", {{"ID", "abc"}, {"PASSWD", "0000"}}));
        check(ini.read("login", "id", "") == "abc");
        check(ini.read("Fuzz", "Key", "") == "value 1");
    }
    std::remove(path.c_str());
    return 0;
}

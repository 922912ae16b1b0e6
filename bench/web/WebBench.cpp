// The address book arrives whole in one reply and MMS pictures go out whole in
// one body; both should stay well under the time a user notices.
#include "web/CFormUploader.h"
#include "web/WebJson.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

void ReadAddressBookReply(benchmark::State& state) {
    std::vector<qb::webjson::Object> entries;
    entries.reserve(static_cast<std::size_t>(state.range(0)));
    for (int i = 0; i < state.range(0); ++i)
        entries.push_back({{"idx", std::to_string(i)},
                           {"hpno", "010" + std::to_string(10000000 + i)},
                           {"name", "\xC8\xAB\xB1\xE6\xB5\xBF"},
                           {"etc", std::string(40, 'm')},
                           {"groupname", "friends"},
                           {"credate", "2024-03-05 14:07:09"}});
    const std::string reply = qb::webjson::writeStyledList("tester", entries);
    static constexpr std::array<std::string_view, 6> fields{"idx", "hpno",      "name",
                                                            "etc", "groupname", "credate"};
    std::vector<qb::webjson::Row> rows;
    for (auto _ : state) {
        qb::webjson::readList(reply, "tester", fields, rows);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(reply.size()));
}
BENCHMARK(ReadAddressBookReply)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

void AssembleMmsBody(benchmark::State& state) {
    const auto path = std::filesystem::temp_directory_path() / "qb-bench-picture.jpg";
    {
        std::ofstream out(path, std::ios::binary);
        const std::string picture(static_cast<std::size_t>(state.range(0)), '\xFF');
        out.write(picture.data(), static_cast<std::streamsize>(picture.size()));
    }
    qb::CFormUploader uploader;
    uploader.AddField("m_id", "tester");
    uploader.AddField("title", "title");
    uploader.AddField("data", std::string(2000, 'b'));
    for (const char* name : {"img1", "img2", "img3"})
        uploader.AddFile(name, "tester_20240305140709_1.jpg", path.string());
    std::string body;
    for (auto _ : state) {
        uploader.assembleBody(body);
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(body.size()));
    std::filesystem::remove(path);
}
BENCHMARK(AssembleMmsBody)->Arg(300 << 10)->Arg(4 << 20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

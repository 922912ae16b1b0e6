// Files from outside: what reading a profile file and judging a picture cost in
// time and memory. Memory follows the limits, never the file: a profile file of
// 20 MB of blank lines is refused unread, one at the 1 MiB limit is parsed once.
#include "BenchSupport.h"
#include "common/PictureCheck.h"
#include "common/ProfileFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <jpeglib.h>
#include <unistd.h>
#include <vector>

namespace {

std::string scratch(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("qb-bench-") + std::to_string(::getpid()) + name))
        .string();
}

void writeFile(const std::string& path, std::size_t blankLines) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "[SERVICE]\r\nHOST=far.example\r\n" << std::string(blankLines, '\n');
}

// Reading every key of service.ini from a file of blank lines.
void ReadProfileFile(benchmark::State& state) {
    const std::string path = scratch("service.ini");
    writeFile(path, static_cast<std::size_t>(state.range(0)));
    qb::bench::resetPeak();
    for (auto _ : state) {
        const qb::ProfileFile::Contents c = qb::ProfileFile(path).load();
        for (const char* key : {"HOST", "LOGIN_PORT", "SEND_PORT", "WEB_PORT", "HOME_URL", "SIGNUP_URL"})
            benchmark::DoNotOptimize(c.read("SERVICE", key, "x"));
    }
    state.counters["peak_MiB"] = qb::bench::peakMiB();
    std::remove(path.c_str());
}
BENCHMARK(ReadProfileFile)->Arg(1000)->Arg((1 << 20) - 64)->Arg(20 << 20)->Unit(benchmark::kMillisecond);

std::string jpeg(int width, int height) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < row.size(); ++x)
            row[x] = static_cast<unsigned char>((x * 7 + static_cast<std::size_t>(y) * 3) & 0xFF);
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(out), size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

// A progressive picture judged without keeping its pixels, as qbsend and the
// upload judge it; arg: width and height.
void CheckPicture(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const std::string bytes = jpeg(side, side);
    qb::bench::resetPeak();
    for (auto _ : state)
        benchmark::DoNotOptimize(qb::checkPictureBytes(bytes).status);
    state.counters["peak_MiB"] = qb::bench::peakMiB();
    state.counters["file_KiB"] = static_cast<double>(bytes.size()) / 1024.0;
}
BENCHMARK(CheckPicture)->Arg(640)->Arg(4000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// Times each step of one conversion inside this process: the load, the tone
// mapping and the JPEG save, orvex's own against the bare FreeImage calls,
// alternating, with the median of each.
//
//   step_bench <input.hdr> [runs]        (run it from a Release build folder)
#include <FreeImage.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/image_io.h"
#include "imaging/tone_map.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kJpegFlags = 95 | JPEG_SUBSAMPLING_444;

double SecondsSince(Clock::time_point& start) {
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - start).count();
    start = now;
    return seconds;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0);
}

struct Steps {
    std::vector<double> load, toneMap, save;
    bool ok = true;
    void Print(const char* name) const {
        std::printf("%-22s load %6.3f s   tone mapping %6.3f s   save %6.3f s%s\n", name,
                    Median(load), Median(toneMap), Median(save), ok ? "" : "   (FAILED runs)");
    }
};

void RunOrvex(const std::string& input, const std::string& output, Steps* steps) {
    Clock::time_point t = Clock::now();
    FIBITMAP* image = orvex::LoadInputImage(input);
    steps->load.push_back(SecondsSince(t));
    image = orvex::ToneMapImage(image);
    steps->toneMap.push_back(SecondsSince(t));
    steps->ok = orvex::SaveImage(image, output, FIF_JPEG, kJpegFlags) && steps->ok;
    steps->save.push_back(SecondsSince(t));
}

void RunLibrary(const std::string& input, const std::string& output, Steps* steps) {
    Clock::time_point t = Clock::now();
    FIBITMAP* image = FreeImage_Load(FIF_HDR, input.c_str(), 0);
    steps->load.push_back(SecondsSince(t));
    FIBITMAP* mapped = image ? FreeImage_TmoDrago03(image, 1.0, 0.0) : nullptr;
    if (image) FreeImage_Unload(image);
    steps->toneMap.push_back(SecondsSince(t));
    steps->ok = mapped && FreeImage_Save(FIF_JPEG, mapped, output.c_str(), kJpegFlags) && steps->ok;
    if (mapped) FreeImage_Unload(mapped);
    steps->save.push_back(SecondsSince(t));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <input.hdr> [runs]\n", argv[0]);
        return 2;
    }
    const std::string input = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string output = "/tmp/orvex_step_bench_" + std::to_string(::getpid()) + ".jpg";
    Steps ours, library;
    for (int i = 0; i < runs; ++i) {
        RunOrvex(input, output, &ours);
        RunLibrary(input, output, &library);
    }
    std::remove(output.c_str());
    std::printf("Steps in one process, median of %d alternating runs:\n", runs);
    ours.Print("orvex");
    library.Print("bare FreeImage calls");
    std::printf("%-22s load %6.2f x    tone mapping %6.2f x    save %6.2f x\n", "ratio orvex / bare",
                Median(ours.load) / Median(library.load),
                Median(ours.toneMap) / Median(library.toneMap),
                Median(ours.save) / Median(library.save));
    std::printf("goals: load <= 0.150 s, tone mapping <= 0.150 s\n");
    return ours.ok && library.ok ? 0 : 1;
}

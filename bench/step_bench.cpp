// Times each step of one conversion inside this process: the load, the tone
// mapping and the JPEG save, orvex's own against the bare FreeImage calls,
// alternating, with the median of each; then the JPEG save alone at quality
// 95 and 100, FreeImage's writer against the program's, in strips on every
// core and in one piece.
//
//   step_bench <input.hdr> [runs]        (run it from a Release build folder)
#include <FreeImage.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/bitmap.h"
#include "formats/image_io.h"
#include "formats/jpeg_writer.h"
#include "imaging/tone_map.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kJpegFlags = 95 | JPEG_SUBSAMPLING_444;

// Processor time of the whole process (all threads), user and system.
double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Wall and processor time since the last mark.
struct Mark {
    Clock::time_point wall = Clock::now();
    double cpu = CpuSeconds();
};

struct Time {
    double wall = 0, cpu = 0;
};

Time Since(Mark& mark) {
    const Mark now;
    const Time time{std::chrono::duration<double>(now.wall - mark.wall).count(),
                    now.cpu - mark.cpu};
    mark = now;
    return time;
}

double Median(std::vector<double> values);

double Median(const std::vector<Time>& times, double Time::*part) {
    std::vector<double> values;
    for (const Time& time : times) values.push_back(time.*part);
    return Median(values);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0.0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0);
}

struct Steps {
    std::vector<Time> load, toneMap, save;
    bool ok = true;
    void Print(const char* name) const {
        std::printf("%-22s load %6.3f s   tone mapping %6.3f s   save %6.3f s%s\n", name,
                    Median(load, &Time::wall), Median(toneMap, &Time::wall),
                    Median(save, &Time::wall), ok ? "" : "   (FAILED runs)");
        std::printf("%-22s load %6.3f s   tone mapping %6.3f s   save %6.3f s\n",
                    "  processor time", Median(load, &Time::cpu), Median(toneMap, &Time::cpu),
                    Median(save, &Time::cpu));
    }
};

void RunOrvex(const std::string& input, const std::string& output, Steps* steps) {
    Mark mark;
    orvex::Bitmap image = orvex::LoadInputImage(input);
    steps->load.push_back(Since(mark));
    image = orvex::ToneMapImage(std::move(image));
    steps->toneMap.push_back(Since(mark));
    steps->ok = orvex::SaveImage(image.get(), output, FIF_JPEG, kJpegFlags) && steps->ok;
    image.reset();  // the unload counts to the save, as it always has
    steps->save.push_back(Since(mark));
    // Without a run's pool each run loads into fresh memory, like the first
    // picture of a conversion.
}

void RunLibrary(const std::string& input, const std::string& output, Steps* steps) {
    Mark mark;
    FIBITMAP* image = FreeImage_Load(FIF_HDR, input.c_str(), 0);
    steps->load.push_back(Since(mark));
    FIBITMAP* mapped = image ? FreeImage_TmoDrago03(image, 1.0, 0.0) : nullptr;
    if (image) FreeImage_Unload(image);
    steps->toneMap.push_back(Since(mark));
    steps->ok = mapped && FreeImage_Save(FIF_JPEG, mapped, output.c_str(), kJpegFlags) && steps->ok;
    if (mapped) FreeImage_Unload(mapped);
    steps->save.push_back(Since(mark));
}

// The save alone, on one tone-mapped picture: FreeImage's writer, the
// program's (strips on every core) and the program's in one piece, each
// into a file, alternating.
struct Saves {
    std::vector<Time> library, ours, onePiece;
    bool ok = true;
};

void RunSaves(FIBITMAP* picture, int flags, const std::string& output, Saves* saves) {
    Mark mark;
    saves->ok = FreeImage_Save(FIF_JPEG, picture, output.c_str(), flags) && saves->ok;
    saves->library.push_back(Since(mark));
    saves->ok = orvex::SaveImage(picture, output, FIF_JPEG, flags) && saves->ok;
    saves->ours.push_back(Since(mark));
    orvex::JpegFile file;
    std::string message;
    saves->ok = orvex::EncodeJpeg(picture, flags, &file, &message, orvex::JpegCut::OnePiece()) &&
                orvex::SaveEncoded(file.Join(), output) && saves->ok;
    saves->onePiece.push_back(Since(mark));
}

void PrintSaves(const char* name, const Saves& saves, double goal) {
    const double library = Median(saves.library, &Time::wall);
    const double ours = Median(saves.ours, &Time::wall);
    const double onePiece = Median(saves.onePiece, &Time::wall);
    std::printf("%-22s FreeImage %6.3f s   orvex %6.3f s (cpu %6.3f s)   one piece %6.3f s%s\n",
                name, library, ours, Median(saves.ours, &Time::cpu), onePiece,
                saves.ok ? "" : "   (FAILED runs)");
    std::printf("%-22s orvex / FreeImage %5.2f x (goal <= %.2f x)   strips / one piece %5.2f x\n",
                "", ours / library, goal, ours / onePiece);
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
    Saves standard, best;
    {
        orvex::Bitmap picture = orvex::ToneMapImage(orvex::LoadInputImage(input));
        for (int i = 0; picture && i < runs; ++i) {
            RunSaves(picture.get(), kJpegFlags, output, &standard);
            RunSaves(picture.get(), 100 | JPEG_SUBSAMPLING_444, output, &best);
        }
        if (!picture) standard.ok = best.ok = false;
    }
    std::remove(output.c_str());
    std::printf("Steps in one process, median of %d alternating runs:\n", runs);
    ours.Print("orvex");
    library.Print("bare FreeImage calls");
    std::printf("%-22s load %6.2f x    tone mapping %6.2f x    save %6.2f x\n",
                "ratio orvex / bare",
                Median(ours.load, &Time::wall) / Median(library.load, &Time::wall),
                Median(ours.toneMap, &Time::wall) / Median(library.toneMap, &Time::wall),
                Median(ours.save, &Time::wall) / Median(library.save, &Time::wall));
    std::printf("goals: load <= 0.150 s, tone mapping <= 0.150 s\n");
    std::printf("JPEG save alone, median of %d alternating runs:\n", runs);
    PrintSaves("quality 95, 4:4:4", standard, 0.55);
    PrintSaves("quality 100, 4:4:4", best, 0.60);
    return ours.ok && library.ok && standard.ok && best.ok ? 0 : 1;
}

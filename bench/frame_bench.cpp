// frame_bench: one steady-state frame of the show's pipeline, also paced as a display paces it,
// each of its passes and gentle mode's filter, against a memcpy of about the traffic the passes
// must make. The last line is frame_vs_memcpy: R, the ratio of the two medians.
#include "common/random.h"
#include "display/pixel_converters.h"
#include "pictures/embedded_files.h"
#include "pictures/pcx_decoder.h"
#include "show/gentle_filter.h"
#include "show/show_frame.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kSettleFrames = 2000;  // frames run before timing: the swarm has settled
constexpr int kFrameMs = 16;         // the virtual clock's step

// The pipeline's state, settled once and shared by every benchmark.
struct Pipeline {
    ShowBuffers &b = showBuffers();
    LineSwarm swarm;
    std::vector<Pixel> display = std::vector<Pixel>(kScreenPixels);
    int32_t t = 0;

    Pipeline() {
        resetShowBuffers();
        seedRandom(1);
        const EmbeddedFile &file = kEmbeddedFiles[kPicture0];
        decodePcx(openMemoryStream(file.data, file.size).get(), kScreenWidth, kScreenHeight,
                  b.picture);
        swarm.init(kScreenWidth, kScreenHeight);
        for (int i = 0; i < kSettleFrames; ++i) frame();
    }
    // One frame as the show runs it, with a silent spectrum, presented at 32 bits.
    void frame() {
        swarm.update(b.frame, b.picture, b.spectrum);
        scaleFeedback(b.frame, b.picture, t, feedbackAllRows(b.spectrum, b.bands));
        clearLetterbox(letterboxOnPicture(b.bands) ? b.picture : b.frame);
        copyPixels32(display.data(), b.frame, kScreenPixels);
        t += kFrameMs;
    }
};

// The settled pipeline, made once.
Pipeline &pipeline() {
    static Pipeline p;
    return p;
}

// One whole frame.
void BM_Frame(benchmark::State &state) {
    Pipeline &p = pipeline();
    for (auto _ : state) p.frame();
}

// One whole frame as a display paces it: after 15 ms of rest, as between two frames at 60 Hz.
// The caches then hold what the rest left of the frame's memory, not what the last frame did.
void BM_FramePaced(benchmark::State &state) {
    Pipeline &p = pipeline();
    for (auto _ : state) {
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        state.ResumeTiming();
        p.frame();
    }
}

// The swarm's update: lines, bursts and filterC.
void BM_SwarmUpdate(benchmark::State &state) {
    Pipeline &p = pipeline();
    for (auto _ : state) p.swarm.update(p.b.frame, p.b.picture, p.b.spectrum);
}

// filterC alone.
void BM_FilterC(benchmark::State &state) {
    Pipeline &p = pipeline();
    for (auto _ : state) p.swarm.filterC(p.b.frame, p.b.picture, 1.0f);
}

// The feedback pass on every row.
void BM_ScaleFeedback(benchmark::State &state) {
    Pipeline &p = pipeline();
    for (auto _ : state) scaleFeedback(p.b.frame, p.b.picture, 7, true);
}

// The letterbox pass.
void BM_ClearLetterbox(benchmark::State &state) {
    Pipeline &p = pipeline();
    for (auto _ : state) clearLetterbox(p.b.frame);
}

// The 32-bit conversion of one frame.
void BM_CopyPixels32(benchmark::State &state) {
    Pipeline &p = pipeline();
    for (auto _ : state) copyPixels32(p.display.data(), p.b.frame, kScreenPixels);
}

// Gentle mode's filter on settled frames of the show, one after another as the show runs them.
void BM_GentleFilter(benchmark::State &state) {
    Pipeline &p = pipeline();
    constexpr int kFrames = 4;
    std::vector<Pixel> frames(size_t{kFrames} * kScreenPixels);
    for (int k = 0; k < kFrames; ++k) {
        p.frame();
        std::memcpy(&frames[size_t(k) * kScreenPixels], p.b.frame, sizeof(Pixel) * kScreenPixels);
    }
    const auto filter = std::make_unique<GentleFilter>();
    int32_t ms = 0;
    for (auto _ : state) {
        const Pixel *frame = &frames[size_t(ms / kFrameMs % kFrames) * kScreenPixels];
        benchmark::DoNotOptimize(gentleFrame(*filter, frame, ms));
        ms += kFrameMs;
    }
}

// About the traffic of one frame's passes: 4 x 640 x 480 x 4 bytes.
void BM_Memcpy(benchmark::State &state) {
    const size_t bytes = 4u * kScreenPixels * sizeof(Pixel);
    std::vector<char> from(bytes, 1), to(bytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}

// Keeps the median of every benchmark while printing as usual.
class MedianReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> medians;  // run name -> median real time
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs)
            if (run.aggregate_name == "median")
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

#define GLAXEN_BENCH(fn)                                                                           \
    BENCHMARK(fn)->Repetitions(9)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond)
GLAXEN_BENCH(BM_Frame);
// About 8 s: a paced frame costs its rest too.
BENCHMARK(BM_FramePaced)
    ->Iterations(100)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
GLAXEN_BENCH(BM_SwarmUpdate);
GLAXEN_BENCH(BM_FilterC);
GLAXEN_BENCH(BM_ScaleFeedback);
GLAXEN_BENCH(BM_ClearLetterbox);
GLAXEN_BENCH(BM_CopyPixels32);
GLAXEN_BENCH(BM_GentleFilter);
GLAXEN_BENCH(BM_Memcpy);

// Runs every benchmark, then prints the ratio of the frame's median to memcpy's.
int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const double frame = reporter.medians["BM_Frame"];
    const double copy = reporter.medians["BM_Memcpy"];
    if (frame > 0 && copy > 0) std::printf("frame_vs_memcpy: %.2f\n", frame / copy);
    return 0;
}

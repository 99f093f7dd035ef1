// decodePcx on hand-made files: literals, runs, and data that ends early or runs too long.
#include "pictures/pcx_decoder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr Pixel kSentinel = 0xA5A5A5A5;

// Decodes header + data at width x height into a buffer with sentinels on both sides.
std::vector<Pixel> decode(const std::vector<uint8_t> &data, int width, int height) {
    std::vector<uint8_t> file(128, 0x77);  // the header is not examined
    file.insert(file.end(), data.begin(), data.end());
    const int n = width * height;
    std::vector<Pixel> out(n + 2, kSentinel);
    decodePcx(openMemoryStream(file.data(), int32_t(file.size())).get(), width, height, &out[1]);
    EXPECT_EQ(out.front(), kSentinel) << "written before the output";
    EXPECT_EQ(out.back(), kSentinel) << "written past width x height";
    return std::vector<Pixel>(out.begin() + 1, out.end() - 1);
}

}  // namespace

TEST(PcxDecoder, LiteralsAndRuns) {
    const struct {
        const char *name;
        std::vector<uint8_t> data;
        std::vector<Pixel> want;
    } cases[] = {
        {"literals", {1, 2, 3, 4}, {1, 2, 3, 4}},
        {"0xBF is a literal", {0xBF, 0, 0xBF, 1}, {191, 0, 191, 1}},
        {"a run of three", {0xC3, 9, 4}, {9, 9, 9, 4}},
        {"0xC0 adds nothing", {0xC0, 0x55, 1, 2, 3, 4}, {1, 2, 3, 4}},
        {"0xC1 0xC5 stores 0xC5", {0xC1, 0xC5, 0xC1, 0xFF, 0, 0}, {0xC5, 0xFF, 0, 0}},
        {"a run of 63", {0xFF, 200, 0}, {200, 200, 200, 200}},  // cut at the end
        {"a run crossing the end is cut", {1, 2, 0xC5, 8}, {1, 2, 8, 8}},
        {"data ends early", {7, 0xC2, 6}, {7, 6, 6, 0}},
        {"ends between count and value", {7, 0xC2}, {7, 0, 0, 0}},
        {"no data at all", {}, {0, 0, 0, 0}},
    };
    for (const auto &c : cases) EXPECT_EQ(decode(c.data, 2, 2), c.want) << c.name;
}

TEST(PcxDecoder, NoStreamOrShortHeaderGivesZeros) {
    std::vector<Pixel> out(6, kSentinel);
    decodePcx(nullptr, 3, 2, out.data());
    EXPECT_EQ(out, std::vector<Pixel>(6, 0));

    const std::vector<uint8_t> shortFile(100, 0x42);  // shorter than the header
    std::fill(out.begin(), out.end(), kSentinel);
    decodePcx(openMemoryStream(shortFile.data(), 100).get(), 3, 2, out.data());
    EXPECT_EQ(out, std::vector<Pixel>(6, 0));
}

// The stream is read only as far as width x height values need.
TEST(PcxDecoder, StopsReadingAtTheLastValue) {
    std::vector<uint8_t> file(128, 0);
    file.insert(file.end(), {0xC4, 3, 0x0C, 1, 2});
    auto stream = openMemoryStream(file.data(), int32_t(file.size()));
    std::vector<Pixel> out(4);
    decodePcx(stream.get(), 2, 2, out.data());
    EXPECT_EQ(out, std::vector<Pixel>(4, 3));
    EXPECT_EQ(stream->position, 130);
}

// Whatever the bytes, at most width x height values are written (sizes 0 and negative too).
TEST(PcxDecoder, DegenerateSizesWriteNothing) {
    const std::vector<uint8_t> file(200, 0xC9);
    for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-3, 4}, {4, -3}}) {
        Pixel out[2] = {kSentinel, kSentinel};
        decodePcx(openMemoryStream(file.data(), 200).get(), w, h, out);
        EXPECT_EQ(out[0], kSentinel) << w << " x " << h;
    }
}

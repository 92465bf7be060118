// Renders the synthetic Radiance picture shipped as data/sample.hdr: a sky
// that brightens towards the horizon, a sun far above 1.0 with a soft glow,
// dark ground and a few coloured shapes, written run-length encoded.
// With "photo" it renders content with a photograph's statistics instead
// (see Photo below), for benchmarks of the JPEG save on real-looking content.
//
//   make_sample_hdr <output.hdr> [width height [photo]]
#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Colour {
    float r, g, b;
};

Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// The scene in unit coordinates: x from 0 (left) to 1, y from 0 (top) to 1.
Colour Scene(float x, float y, float aspect) {
    const float horizon = 0.68f;
    Colour colour;
    if (y < horizon) {
        // Quantised per row so that each row of sky is one run.
        float t = std::floor(y / horizon * 64.0f) / 64.0f;
        colour = Mix({0.05f, 0.12f, 0.45f}, {0.9f, 0.85f, 1.2f}, t * t);
    } else {
        float t = (y - horizon) / (1.0f - horizon);
        colour = Mix({0.10f, 0.16f, 0.05f}, {0.03f, 0.05f, 0.02f}, t);
    }

    // Sun: a disc of about 40 times paper white inside a glow that fades out.
    float dx = (x - 0.74f) * aspect;
    float dy = y - 0.22f;
    float distance = std::sqrt(dx * dx + dy * dy);
    if (distance < 0.045f) return {48.0f, 42.0f, 30.0f};
    if (distance < 0.16f && y < horizon) {
        float glow = (0.16f - distance) / 0.115f;
        colour.r += 3.0f * glow * glow;
        colour.g += 2.4f * glow * glow;
        colour.b += 1.2f * glow * glow;
    }

    // A red ball, a yellow box and a cyan triangle standing on the ground.
    float bx = (x - 0.22f) * aspect;
    float by = y - 0.72f;
    if (bx * bx + by * by < 0.09f * 0.09f) return {2.2f, 0.15f, 0.1f};
    if (x > 0.40f && x < 0.52f && y > 0.60f && y < 0.80f) return {1.6f, 1.4f, 0.1f};
    if (y > 0.55f && y < 0.82f) {
        float half = (y - 0.55f) * 0.5f;
        if (std::fabs(x - 0.88f) < half) return {0.1f, 0.9f, 1.1f};
    }
    return colour;
}

// ---- Photograph-like content ---------------------------------------------------

uint32_t Hash(uint32_t x, uint32_t y, uint32_t salt) {
    uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ salt * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return h;
}

// A value in [-1, 1] for each lattice point.
float Lattice(uint32_t x, uint32_t y, uint32_t salt) {
    return static_cast<float>(Hash(x, y, salt) & 0xFFFF) / 32767.5f - 1.0f;
}

// Value noise with lattice spacing `cell`, smoothly interpolated.
float Noise(float x, float y, float cell, uint32_t salt) {
    const float fx = x / cell, fy = y / cell;
    const auto ix = static_cast<uint32_t>(fx), iy = static_cast<uint32_t>(fy);
    float tx = fx - static_cast<float>(ix), ty = fy - static_cast<float>(iy);
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    const float top =
        Lattice(ix, iy, salt) + (Lattice(ix + 1, iy, salt) - Lattice(ix, iy, salt)) * tx;
    const float bottom = Lattice(ix, iy + 1, salt) +
                         (Lattice(ix + 1, iy + 1, salt) - Lattice(ix, iy + 1, salt)) * tx;
    return top + (bottom - top) * ty;
}

// Octaves from 1024 pixels down to 2, each at half the amplitude of the one
// above: the 1/f amplitude spectrum of natural scenes.
constexpr float kOctaveFalloff = 0.9f;
float Fractal(float x, float y, uint32_t salt) {
    float sum = 0, amplitude = 1;
    for (float cell = 1024; cell >= 2; cell /= 2, amplitude *= kOctaveFalloff) {
        sum += amplitude * Noise(x, y, cell, salt++);
    }
    return sum;
}

// A scene with a photograph's statistics: luminance from 1/f noise over
// about eight stops, hard-edged regions (where two coarse noise fields cross
// zero: outlines of objects) that step the light up or down, colour that
// drifts slowly, and sensor grain. Drago's mapping of it compresses about
// 6.5:1 at quality 95 without chroma subsampling, as photographs do.
Colour Photo(int column, int row) {
    const auto x = static_cast<float>(column), y = static_cast<float>(row);
    float stops = 1.6f * Fractal(x, y, 1);
    if (Noise(x, y, 300, 40) + 0.4f * Noise(x, y, 37, 41) > 0.15f) stops += 2.5f;   // lit objects
    if (Noise(x, y, 180, 50) + 0.3f * Noise(x, y, 23, 51) < -0.35f) stops -= 2.0f;  // shadows
    const float grain =
        0.10f * Lattice(static_cast<uint32_t>(column), static_cast<uint32_t>(row), 99);
    const float luminance = std::exp2(stops) * (1.0f + grain);
    const float warm = 0.35f * Noise(x, y, 700, 60) + 0.1f * Noise(x, y, 60, 61);
    const float cool = 0.35f * Noise(x, y, 900, 70) + 0.1f * Noise(x, y, 80, 71);
    return {luminance * (1.0f + warm), luminance, luminance * (1.0f + cool)};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output.hdr> [width height]\n", argv[0]);
        return 2;
    }
    int width = argc >= 4 ? std::atoi(argv[2]) : 640;
    int height = argc >= 4 ? std::atoi(argv[3]) : 400;
    const bool photo = argc >= 5 && std::string(argv[4]) == "photo";
    if (width < 8 || height < 8 || width > 32767 || height > 32767) {
        std::fprintf(stderr, "width and height must be 8 to 32767\n");
        return 2;
    }
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, width, height);
    if (image == nullptr) return 1;
    float aspect = static_cast<float>(width) / static_cast<float>(height);
    const auto render = [&](int firstRow, int step) {
        for (int row = firstRow; row < height; row += step) {
            // FreeImage keeps rows bottom-up.
            auto* line = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, height - 1 - row));
            float y = (static_cast<float>(row) + 0.5f) / static_cast<float>(height);
            for (int column = 0; column < width; ++column) {
                float x = (static_cast<float>(column) + 0.5f) / static_cast<float>(width);
                Colour c = photo ? Photo(column, row) : Scene(x, y, aspect);
                line[column] = FIRGBF{c.r, c.g, c.b};
            }
        }
    };
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t) workers.emplace_back(render, t, threads);
    render(0, threads);
    for (std::thread& worker : workers) worker.join();
    bool saved = FreeImage_Save(FIF_HDR, image, argv[1], 0) != FALSE;
    FreeImage_Unload(image);
    if (!saved) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

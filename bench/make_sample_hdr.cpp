// Renders the synthetic Radiance picture shipped as data/sample.hdr: a sky
// that brightens towards the horizon, a sun far above 1.0 with a soft glow,
// dark ground and a few coloured shapes, written run-length encoded.
//
//   make_sample_hdr <output.hdr> [width height]
#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output.hdr> [width height]\n", argv[0]);
        return 2;
    }
    int width = argc >= 4 ? std::atoi(argv[2]) : 640;
    int height = argc >= 4 ? std::atoi(argv[3]) : 400;
    if (width < 8 || height < 8 || width > 32767 || height > 32767) {
        std::fprintf(stderr, "width and height must be 8 to 32767\n");
        return 2;
    }
    FIBITMAP* image = FreeImage_AllocateT(FIT_RGBF, width, height);
    if (image == nullptr) return 1;
    float aspect = static_cast<float>(width) / static_cast<float>(height);
    for (int row = 0; row < height; ++row) {
        // FreeImage keeps rows bottom-up.
        auto* line = reinterpret_cast<FIRGBF*>(FreeImage_GetScanLine(image, height - 1 - row));
        float y = (static_cast<float>(row) + 0.5f) / static_cast<float>(height);
        for (int column = 0; column < width; ++column) {
            float x = (static_cast<float>(column) + 0.5f) / static_cast<float>(width);
            Colour c = Scene(x, y, aspect);
            line[column] = FIRGBF{c.r, c.g, c.b};
        }
    }
    bool saved = FreeImage_Save(FIF_HDR, image, argv[1], 0) != FALSE;
    FreeImage_Unload(image);
    if (!saved) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

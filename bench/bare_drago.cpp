// The reference for the process benchmark: the least a program can do for
// the same job with FreeImage alone (load, Drago tone mapping, JPEG save).
//
//   bare_drago <input.hdr> <output.jpg>
#include <FreeImage.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <input.hdr> <output.jpg>\n", argv[0]);
        return 2;
    }
    FIBITMAP* hdr = FreeImage_Load(FIF_HDR, argv[1], 0);
    if (hdr == nullptr) return 1;
    FIBITMAP* mapped = FreeImage_TmoDrago03(hdr, 1.0, 0.0);
    FreeImage_Unload(hdr);
    if (mapped == nullptr) return 1;
    bool saved = FreeImage_Save(FIF_JPEG, mapped, argv[2], 95 | JPEG_SUBSAMPLING_444) != FALSE;
    FreeImage_Unload(mapped);
    return saved ? 0 : 1;
}

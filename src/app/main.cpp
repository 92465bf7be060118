// Process entry: picks the console or the desktop face.
#include <cstdio>

int main(int argc, char** argv) {
    (void)argv;
    if (argc <= 1) {
        std::fprintf(stderr, "orvex: this build has no desktop interface; run it with -h for the console usage.\n");
        return 1;
    }
    return 0;
}

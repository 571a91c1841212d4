// Build-time program: writes the five scene pictures into the folder it is given.
//   velmora_pictures OUTPUT_FOLDER
#include <cstdio>

#include "tools/Pictures.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora_pictures OUTPUT_FOLDER\n");
        return 2;
    }
    if (!velmora::pictures::writeScenePictures(argv[1])) {
        std::fprintf(stderr, "velmora_pictures: cannot write the pictures into %s\n", argv[1]);
        return 1;
    }
    return 0;
}

// Writes the NE seeds of the version fuzz target with the tests' own image builder: a 16-bit
// image with a version resource, and one without fixed information and another alignment.
// Built and run by fuzz/make-seeds.sh.
#include "TestImages.h"

#include <fstream>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    NeResource version;
    version.type = 16;
    version.name = 1;
    version.data = Ne16VersionResource(1, 2, 3, 4);
    std::ofstream(argv[1], std::ios::binary) << BuildNeImage({version});
    NeResource withoutFixedInfo = version;
    withoutFixedInfo.data = Ne16VersionResource(1, 2, 3, 4, false);
    std::ofstream(argv[2], std::ios::binary) << BuildNeImage({withoutFixedInfo}, 9);
    return 0;
}

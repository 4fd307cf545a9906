/* The simplest program a user could write instead of the installer for the compressed files
 * of a medium: each SZDD file expanded with libmspack's decompressor and its default I/O, and
 * given the source's modification time, as the installer gives it.
 *
 *   szdd_baseline [-n] SOURCE DESTINATION [SOURCE DESTINATION ...]
 *
 * -n keeps a destination that exists, as cp -n does. Exit status 0 when every file was done.
 */
#include <mspack.h>

#include <stdio.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    int first = 1;
    int keepExisting = 0;
    if (argc > 1 && strcmp(argv[1], "-n") == 0) {
        keepExisting = 1;
        first = 2;
    }
    if ((argc - first) % 2 != 0) {
        fprintf(stderr, "usage: szdd_baseline [-n] SOURCE DESTINATION [SOURCE DESTINATION ...]\n");
        return 64;
    }
    struct msszdd_decompressor* decompressor = mspack_create_szdd_decompressor(NULL);
    if (!decompressor)
        return 1;
    int failed = 0;
    for (int i = first; i + 1 < argc; i += 2) {
        const char* source = argv[i];
        const char* destination = argv[i + 1];
        struct stat info;
        if (keepExisting && lstat(destination, &info) == 0)
            continue;
        if (decompressor->decompress(decompressor, source, destination) != MSPACK_ERR_OK) {
            fprintf(stderr, "szdd_baseline: cannot expand %s\n", source);
            failed = 1;
            continue;
        }
        if (stat(source, &info) == 0) {
            struct timespec times[2] = {info.st_atim, info.st_mtim};
            utimensat(AT_FDCWD, destination, times, 0);
        }
    }
    mspack_destroy_szdd_decompressor(decompressor);
    return failed;
}

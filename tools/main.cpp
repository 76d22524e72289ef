// kestrin-art OUTDIR: draws the icon and bitmaps the program embeds and writes them to OUTDIR.

#include <exception>
#include <iostream>

#include "ArtFiles.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kestrin-art OUTDIR\n";
        return 2;
    }
    try {
        kestrin::art::WriteArtFiles(argv[1]);
    } catch (const std::exception& error) {
        std::cerr << "kestrin-art: " << error.what() << '\n';
        return 1;
    }
    return 0;
}

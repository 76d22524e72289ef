// encoder-samples OUTDIR: writes small pictures whose every pixel is known through the
// encoders, for art_files_test.py to decode with Pillow.

#include <filesystem>
#include <fstream>

#include "BmpEncoder.h"
#include "IcoEncoder.h"

namespace {

using namespace kestrin::art;

// No two pixels alike and no channel symmetric, so a pixel in the wrong place shows.
Image Numbered(int width, int height) {
    Image image(width, height, kTransparent);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.set(x, y,
                      Opaque(static_cast<std::uint8_t>(10 + x), static_cast<std::uint8_t>(20 + y),
                             static_cast<std::uint8_t>(30 + x * y)));
        }
    }
    return image;
}

// Five pixels wide, so both the colour rows and the mask rows need padding.
Image FiveSquareWithHoles() {
    Image image = Numbered(5, 5);
    image.set(0, 0, kTransparent);
    image.set(4, 0, kTransparent);
    image.set(2, 3, kTransparent);
    return image;
}

bool Write(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::filesystem::path out = argv[1];
    const bool written = Write(out / "numbered.bmp", EncodeBmp24(Numbered(3, 2))) &&
                         Write(out / "holes.ico", EncodeIco({FiveSquareWithHoles()})) &&
                         Write(out / "two.ico", EncodeIco({Numbered(4, 4), Numbered(8, 8)})) &&
                         Write(out / "large.ico", EncodeIco({Image(256, 256, Opaque(1, 2, 3))}));
    return written ? 0 : 1;
}

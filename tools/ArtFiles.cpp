#include "ArtFiles.h"

#include <fstream>
#include <stdexcept>

#include "BmpEncoder.h"
#include "CloseGlyph.h"
#include "GlobeIcon.h"
#include "IcoEncoder.h"
#include "Strips.h"

namespace kestrin::art {

namespace {

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

void WriteArtFiles(const std::filesystem::path& directory) {
    std::filesystem::create_directories(directory);
    WriteFile(directory / "kestrin.ico", EncodeIco(DrawGlobeIconSizes()));
    WriteFile(directory / "strip_top.bmp", EncodeBmp24(DrawTopStrip()));
    WriteFile(directory / "strip_bottom.bmp", EncodeBmp24(DrawBottomStrip()));
    WriteFile(directory / "close.bmp", EncodeBmp24(DrawCloseGlyph()));
}

}  // namespace kestrin::art

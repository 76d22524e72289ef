#include "ScreenCapture.h"

#include <wincodec.h>

#include <algorithm>

#include "Handles.h"

namespace kestrin::test {

ScreenCapture::ScreenCapture(HWND window) {
    RECT inner;
    GetClientRect(window, &inner);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    width_ = inner.right;
    height_ = inner.bottom;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    UniqueBitmap target(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, target.get());
    BitBlt(memory, 0, 0, width_, height_, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    pixels_.assign(first, first + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

bool ScreenCapture::SaveBmp(const std::wstring& path) const {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width_;
    header.biHeight = -height_;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    // Opaque alpha: viewers take a zero alpha byte for a transparent pixel.
    std::vector<std::uint32_t> opaque(pixels_);
    for (auto& pixel : opaque) pixel |= 0xFF000000u;
    const auto imageBytes = static_cast<DWORD>(opaque.size() * sizeof opaque[0]);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageBytes;

    UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return out && WriteFile(out.get(), &file, sizeof file, &written, nullptr) &&
           WriteFile(out.get(), &header, sizeof header, &written, nullptr) &&
           WriteFile(out.get(), opaque.data(), imageBytes, &written, nullptr);
}

namespace {

template <typename T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p) p->Release();
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

}  // namespace

std::optional<ScreenCapture> ScreenCapture::FromFile(const std::wstring& path) {
    // Each test thread may already hold COM; a second initialisation is balanced too.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::optional<ScreenCapture> picture;
    {
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IWICBitmapDecoder> decoder;
        ComPtr<IWICBitmapFrameDecode> frame;
        ComPtr<IWICFormatConverter> converter;
        UINT width = 0;
        UINT height = 0;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IWICImagingFactory,
                                       reinterpret_cast<void**>(&factory))) &&
            SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                         WICDecodeMetadataCacheOnDemand,
                                                         &decoder)) &&
            SUCCEEDED(decoder->GetFrame(0, &frame)) &&
            SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
            SUCCEEDED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGR,
                                            WICBitmapDitherTypeNone, nullptr, 0.0,
                                            WICBitmapPaletteTypeCustom)) &&
            SUCCEEDED(converter->GetSize(&width, &height))) {
            ScreenCapture read;
            read.width_ = static_cast<int>(width);
            read.height_ = static_cast<int>(height);
            read.pixels_.resize(std::size_t{width} * height);
            const UINT stride = width * 4;
            if (SUCCEEDED(converter->CopyPixels(
                    nullptr, stride, static_cast<UINT>(read.pixels_.size() * 4),
                    reinterpret_cast<BYTE*>(read.pixels_.data()))))
                picture = std::move(read);
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return picture;
}

std::size_t ScreenCapture::DifferingPixels(const ScreenCapture& other) const {
    if (width_ != other.width_ || height_ != other.height_) return pixels_.size();
    std::size_t differing = 0;
    for (std::size_t i = 0; i < pixels_.size(); ++i)
        differing += ((pixels_[i] ^ other.pixels_[i]) & 0x00FFFFFFu) != 0;
    return differing;
}

}  // namespace kestrin::test

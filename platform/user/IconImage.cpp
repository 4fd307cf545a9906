// Decoding the bitmaps of icon resources.
#include "IconStore.h"
#include "kernel/LittleEndian.h"

namespace host::detail {

namespace {

constexpr int kMaxIconSide = 256;
constexpr uint32_t kRgb = 0; // BI_RGB: the only compression icons use besides PNG

} // namespace

bool DecodeIconImage(const uint8_t* data, size_t size, StoredIconImage& out) {
    if (!data || size < 40)
        return false;
    uint32_t headerSize = Dword(data);
    if (headerSize < 40 || headerSize > size)
        return false;
    int32_t width = static_cast<int32_t>(Dword(data + 4));
    int32_t doubleHeight = static_cast<int32_t>(Dword(data + 8));
    uint16_t bitCount = Word(data + 14);
    uint32_t compression = Dword(data + 16);
    uint32_t coloursUsed = Dword(data + 32);
    if (width <= 0 || width > kMaxIconSide || doubleHeight <= 0 ||
        doubleHeight > 2 * kMaxIconSide || doubleHeight % 2 != 0 || compression != kRgb)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return false;
    int height = doubleHeight / 2;

    size_t pos = headerSize;
    std::vector<COLORREF> palette;
    if (bitCount <= 8) {
        size_t entries = size_t(1) << bitCount;
        if (coloursUsed != 0 && coloursUsed < entries)
            entries = coloursUsed;
        if (entries * 4 > size - pos)
            return false;
        for (size_t i = 0; i < entries; ++i) {
            const uint8_t* quad = data + pos + 4 * i;
            palette.push_back(RGB(quad[2], quad[1], quad[0]));
        }
        pos += entries * 4;
    }
    size_t colourStride = ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    size_t maskStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    size_t colourBytes = colourStride * static_cast<size_t>(height);
    size_t maskBytes = maskStride * static_cast<size_t>(height);
    if (colourBytes > size - pos || maskBytes > size - pos - colourBytes)
        return false;
    const uint8_t* colours = data + pos;
    const uint8_t* mask = colours + colourBytes;

    // Images with an alpha channel say through it what is transparent; the mask is then only
    // kept for older systems.
    bool useAlpha = false;
    if (bitCount == 32)
        for (size_t i = 3; i < colourBytes && !useAlpha; i += 4)
            useAlpha = colours[i] != 0;

    res::IconImage& image = out.image;
    image = res::IconImage();
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int row = 0; row < height; ++row) {
        // Bitmaps are stored bottom-up.
        const uint8_t* colourRow = colours + colourStride * static_cast<size_t>(height - 1 - row);
        const uint8_t* maskRow = mask + maskStride * static_cast<size_t>(height - 1 - row);
        for (int x = 0; x < width; ++x) {
            COLORREF colour = 0;
            bool transparent = false;
            switch (bitCount) {
            case 1:
            case 4:
            case 8: {
                size_t bit = static_cast<size_t>(x) * bitCount;
                unsigned shift = 8 - bitCount - static_cast<unsigned>(bit % 8);
                size_t index = (colourRow[bit / 8] >> shift) & ((1u << bitCount) - 1);
                colour = index < palette.size() ? palette[index] : 0;
                break;
            }
            case 24: {
                const uint8_t* p = colourRow + 3 * static_cast<size_t>(x);
                colour = RGB(p[2], p[1], p[0]);
                break;
            }
            case 32: {
                const uint8_t* p = colourRow + 4 * static_cast<size_t>(x);
                colour = RGB(p[2], p[1], p[0]);
                if (useAlpha)
                    transparent = p[3] < 128;
                break;
            }
            }
            if (!useAlpha)
                transparent = (maskRow[x / 8] >> (7 - x % 8)) & 1;
            image.pixels[static_cast<size_t>(row) * width + x] =
                transparent ? res::kTransparentPixel : colour;
        }
    }
    out.bitCount = bitCount;
    return true;
}

} // namespace host::detail

#include "imaging/FreeImageLoader.h"

#include "imaging/Image32.h"
#include "platform/LibraryLoading.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <dlfcn.h>
#include <limits>
#include <mutex>
#include <string>

namespace {

// FreeImage's own types, as far as this binding touches them.
struct FIBITMAP;
struct FIMEMORY;
using FREE_IMAGE_FORMAT = int;
constexpr FREE_IMAGE_FORMAT FIF_UNKNOWN = -1;

#pragma pack(push, 1)
struct BitmapInfoHeader
{
    std::uint32_t biSize;
    std::int32_t biWidth;
    std::int32_t biHeight;
    std::uint16_t biPlanes;
    std::uint16_t biBitCount;
    std::uint32_t biCompression;
    std::uint32_t biSizeImage;
    std::int32_t biXPelsPerMeter;
    std::int32_t biYPelsPerMeter;
    std::uint32_t biClrUsed;
    std::uint32_t biClrImportant;
};
#pragma pack(pop)
static_assert(sizeof(BitmapInfoHeader) == 40);

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_BITFIELDS = 3;

// Every name the binding resolves, in the order it resolves them; only the
// ones with an index constant below are called.
constexpr std::array<const char *, 28> EntryNames = {
    "FreeImage_GetFileTypeU",
    "FreeImage_GetFIFFromFilenameU",
    "FreeImage_LoadU",
    "FreeImage_GetInfoHeader",
    "FreeImage_GetInfo",
    "FreeImage_GetBPP",
    "FreeImage_GetBits",
    "FreeImage_Unload",
    "FreeImage_Initialise",
    "FreeImage_DeInitialise",
    "FreeImage_SaveU",
    "FreeImage_Allocate",
    "FreeImage_GetColorsUsed",
    "FreeImage_GetHeight",
    "FreeImage_GetWidth",
    "FreeImage_Rescale",
    "FreeImage_OpenMemory",
    "FreeImage_CloseMemory",
    "FreeImage_LoadFromMemory",
    "FreeImage_GetFileTypeFromMemory",
    "FreeImage_SaveToMemory",
    "FreeImage_AcquireMemory",
    "FreeImage_GetMetadata",
    "FreeImage_GetTagValue",
    "FreeImage_ColorQuantize",
    "FreeImage_ConvertTo24Bits",
    "FreeImage_ConvertTo32Bits",
    "FreeImage_AdjustGamma",
};
enum Entry : std::size_t {
    GetInfoHeader = 3,
    GetInfo = 4,
    GetBPP = 5,
    GetBits = 6,
    Unload = 7,
    GetHeight = 13,
    GetWidth = 14,
    OpenMemory = 16,
    CloseMemory = 17,
    LoadFromMemory = 18,
    GetFileTypeFromMemory = 19,
};

using OpenMemoryFn = FIMEMORY *(*)(std::uint8_t *, std::uint32_t);
using CloseMemoryFn = void (*)(FIMEMORY *);
using GetFileTypeFromMemoryFn = FREE_IMAGE_FORMAT (*)(FIMEMORY *, int);
using LoadFromMemoryFn = FIBITMAP *(*)(FREE_IMAGE_FORMAT, FIMEMORY *, int);
using GetInfoHeaderFn = BitmapInfoHeader *(*)(FIBITMAP *);
using GetInfoFn = void *(*)(FIBITMAP *);
using UnsignedFn = unsigned (*)(FIBITMAP *);
using GetBitsFn = std::uint8_t *(*)(FIBITMAP *);
using UnloadFn = void (*)(FIBITMAP *);

struct Binding
{
    void *handle = nullptr;
    std::array<void *, EntryNames.size()> entries {};
    // The program binds on a worker after its first paint while the GUI
    // thread may already ask: the table is complete before this turns true.
    std::atomic<bool> loaded = false;
    // Loading and unloading run one at a time.
    std::mutex mutex;
    std::string nameOverride;

    template<typename Fn> Fn fn(Entry e) const { return reinterpret_cast<Fn>(entries[e]); }
};

Binding &binding()
{
    static Binding b;
    return b;
}

constexpr const char *LibraryName = "libfreeimage.so.3";

void *openLibrary(const std::string &name)
{
    return platform::OpenLibraryFolderFirst(platform::ExecutableFolder(), name);
}

// Copies the palette and pixel rows of a decoded bitmap that is not 32-bit
// into destination, fully opaque. Rows are bottom-up, each padded to 4 bytes.
bool convertOpaque(const BitmapInfoHeader &header, const std::uint8_t *info, const std::uint8_t *bits, unsigned bpp,
    Image32 &destination)
{
    const int width = header.biWidth;
    const int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    if (width <= 0 || height <= 0 || !bits)
        return false;
    const bool bottomUp = header.biHeight > 0;
    const std::size_t stride = ((std::size_t(width) * bpp + 31) / 32) * 4;
    const auto *palette = reinterpret_cast<const std::uint8_t *>(info) + header.biSize;
    const unsigned paletteSize = header.biClrUsed ? header.biClrUsed : (bpp <= 8 ? 1u << bpp : 0u);

    std::uint32_t masks[3] = { 0x7C00, 0x03E0, 0x001F };
    if (bpp == 16 && header.biCompression == BI_BITFIELDS)
        std::memcpy(masks, palette, sizeof masks);
    auto expand = [](std::uint32_t value, std::uint32_t mask) -> std::uint32_t {
        if (!mask)
            return 0;
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        const std::uint32_t max = mask >> shift;
        return (((value & mask) >> shift) * 255 + max / 2) / max;
    };

    destination.setSize(width, height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t *row = bits + stride * std::size_t(bottomUp ? height - 1 - y : y);
        std::uint32_t *out = destination.scanLine(y);
        for (int x = 0; x < width; ++x) {
            std::uint32_t bgr = 0;
            if (bpp <= 8) {
                const unsigned perByte = 8 / bpp;
                const unsigned shift = (perByte - 1 - unsigned(x) % perByte) * bpp;
                const unsigned index = (row[unsigned(x) / perByte] >> shift) & ((1u << bpp) - 1);
                if (index < paletteSize) {
                    const std::uint8_t *q = palette + 4 * index;
                    bgr = std::uint32_t(q[0]) | std::uint32_t(q[1]) << 8 | std::uint32_t(q[2]) << 16;
                }
            } else if (bpp == 16) {
                const std::uint32_t v = std::uint32_t(row[2 * x]) | std::uint32_t(row[2 * x + 1]) << 8;
                bgr = expand(v, masks[2]) | expand(v, masks[1]) << 8 | expand(v, masks[0]) << 16;
            } else if (bpp == 24) {
                const std::uint8_t *q = row + 3 * x;
                bgr = std::uint32_t(q[0]) | std::uint32_t(q[1]) << 8 | std::uint32_t(q[2]) << 16;
            } else {
                return false;
            }
            out[x] = 0xFF000000u | bgr;
        }
    }
    return true;
}

} // namespace

bool LoadFreeImageLibrary()
{
    Binding &b = binding();
    const std::lock_guard lock(b.mutex);
    if (b.handle)
        return b.loaded;
    b.handle = openLibrary(b.nameOverride.empty() ? LibraryName : b.nameOverride);
    if (!b.handle)
        return false;
    bool all = true;
    for (std::size_t i = 0; i < EntryNames.size(); ++i) {
        b.entries[i] = ::dlsym(b.handle, EntryNames[i]);
        all = all && b.entries[i];
    }
    b.loaded.store(all, std::memory_order_release);
    return all;
}

bool UnloadFreeImageLibrary()
{
    Binding &b = binding();
    const std::lock_guard lock(b.mutex);
    if (!b.handle)
        return false;
    if (::dlclose(b.handle) != 0)
        return false;
    b.handle = nullptr;
    b.entries.fill(nullptr);
    b.loaded = false;
    return true;
}

bool FreeImageLoaded()
{
    return binding().loaded.load(std::memory_order_acquire);
}

void SetFreeImageLibraryNameForTesting(const char *fileName)
{
    binding().nameOverride = fileName ? fileName : "";
}

bool DecodeImageFromMemory(const void *data, std::size_t size, Image32 &destination)
{
    const Binding &b = binding();
    if (!b.loaded || !data || size == 0 || size > std::numeric_limits<std::uint32_t>::max())
        return false;
    // FreeImage wants a writable pointer but only reads a stream it did not allocate.
    FIMEMORY *stream
        = b.fn<OpenMemoryFn>(OpenMemory)(static_cast<std::uint8_t *>(const_cast<void *>(data)), std::uint32_t(size));
    if (!stream)
        return false;
    struct StreamGuard
    {
        const Binding &b;
        FIMEMORY *stream;
        ~StreamGuard() { b.fn<CloseMemoryFn>(CloseMemory)(stream); }
    } streamGuard { b, stream };

    const FREE_IMAGE_FORMAT format = b.fn<GetFileTypeFromMemoryFn>(GetFileTypeFromMemory)(stream, 0);
    if (format == FIF_UNKNOWN)
        return false;
    FIBITMAP *image = b.fn<LoadFromMemoryFn>(LoadFromMemory)(format, stream, 0);
    if (!image)
        return false;
    struct ImageGuard
    {
        const Binding &b;
        FIBITMAP *image;
        ~ImageGuard() { b.fn<UnloadFn>(Unload)(image); }
    } imageGuard { b, image };

    const BitmapInfoHeader *header = b.fn<GetInfoHeaderFn>(GetInfoHeader)(image);
    const auto *info = static_cast<const std::uint8_t *>(b.fn<GetInfoFn>(GetInfo)(image));
    const unsigned bpp = b.fn<UnsignedFn>(GetBPP)(image);
    const std::uint8_t *bits = b.fn<GetBitsFn>(GetBits)(image);
    if (!header || !bits)
        return false;

    bool written = false;
    if (bpp == 32) {
        const unsigned width = b.fn<UnsignedFn>(GetWidth)(image);
        const unsigned height = b.fn<UnsignedFn>(GetHeight)(image);
        if (width == 0 || height == 0 || width > 65535 || height > 65535)
            return false;
        // FreeImage pads rows to 4 bytes, which 32-bit rows already are.
        destination.setSize(int(width), int(height));
        for (unsigned y = 0; y < height; ++y)
            std::memcpy(
                destination.scanLine(int(height - 1 - y)), bits + std::size_t(y) * width * 4, std::size_t(width) * 4);
        written = true;
    } else if (header->biCompression == BI_RGB || header->biCompression == BI_BITFIELDS) {
        Image32 converted;
        if (convertOpaque(*header, info, bits, bpp, converted)) {
            destination = std::move(converted);
            written = true;
        }
    }
    return written && destination.width() > 0 && destination.height() > 0;
}

#pragma once

#include <cstdint>
#include <memory>

// A 32-bit working image: pixel words 0xAARRGGBB (bytes blue, green, red,
// alpha in memory), straight alpha, rows top-down without padding. It carries
// the resampler used when it is drawn into another image at a different size:
// nearest-neighbour until a kernel is attached.
class Image32
{
public:
    Image32() = default;
    Image32(const Image32 &other);
    Image32 &operator=(const Image32 &other);
    Image32(Image32 &&) noexcept = default;
    Image32 &operator=(Image32 &&) noexcept = default;

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_width <= 0 || m_height <= 0; }

    // Resizes to width x height. The pixels are left as they are in memory
    // (not cleared): callers overwrite them at once or call fill().
    void setSize(int width, int height);
    void fill(std::uint32_t colour);

    std::uint32_t *bits() { return m_pixels.get(); }
    const std::uint32_t *bits() const { return m_pixels.get(); }
    std::uint32_t *scanLine(int y) { return m_pixels.get() + std::size_t(y) * std::size_t(m_width); }
    const std::uint32_t *scanLine(int y) const { return m_pixels.get() + std::size_t(y) * std::size_t(m_width); }
    std::uint32_t pixel(int x, int y) const { return scanLine(y)[x]; }
    void setPixel(int x, int y, std::uint32_t value) { scanLine(y)[x] = value; }

    // 0 is nearest-neighbour; 1 to 14 name the kernels of ResamplerKernels.h.
    int resamplerKernel() const { return m_kernel; }
    void setResamplerKernelSelector(int selector) { m_kernel = selector; }

    // Draws this image into the rectangle (x, y, w, h) of target with this
    // image's resampler, replacing the target's pixels there (no blending).
    // Parts of the rectangle outside target are cut off; an empty image
    // draws nothing.
    void drawTo(Image32 &target, int x, int y, int w, int h) const;

private:
    int m_width = 0;
    int m_height = 0;
    int m_kernel = 0;
    std::unique_ptr<std::uint32_t[]> m_pixels;
};

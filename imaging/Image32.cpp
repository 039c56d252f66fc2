#include "imaging/Image32.h"

#include "imaging/KernelResampler.h"

#include <algorithm>
#include <cstring>

Image32::Image32(const Image32 &other)
{
    *this = other;
}

Image32 &Image32::operator=(const Image32 &other)
{
    if (this == &other)
        return *this;
    setSize(other.m_width, other.m_height);
    if (!isEmpty())
        std::memcpy(m_pixels.get(), other.m_pixels.get(), std::size_t(m_width) * std::size_t(m_height) * 4);
    m_kernel = other.m_kernel;
    return *this;
}

void Image32::setSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    // new T[n] without () leaves the words uninitialised on purpose.
    m_pixels.reset(count ? new std::uint32_t[count] : nullptr);
    m_width = width;
    m_height = height;
}

void Image32::fill(std::uint32_t colour)
{
    if (!isEmpty())
        std::fill_n(m_pixels.get(), std::size_t(m_width) * std::size_t(m_height), colour);
}

void Image32::drawTo(Image32 &target, int x, int y, int w, int h) const
{
    if (isEmpty() || w <= 0 || h <= 0 || target.isEmpty())
        return;
    if (m_kernel == 0)
        DrawNearest(*this, target, x, y, w, h);
    else
        DrawWithKernel(*this, MakeResamplerKernel(m_kernel), target, x, y, w, h);
}

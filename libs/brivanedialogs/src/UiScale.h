#pragma once

#include <QSize>

namespace bd {

// The host scales its windows by hand with a DPI number (96 = 100 %) and
// switches Qt's own scaling off, so every length here is given at 96 DPI and
// passed through px(); fonts are sized in pixels for the same reason.
class UiScale
{
public:
    explicit UiScale(int dpi = 96)
        : m_dpi(dpi > 0 ? dpi : 96)
    { }

    int dpi() const { return m_dpi; }
    // MulDiv(length, dpi, 96), rounded to nearest.
    int px(int at96) const
    {
        const long long product = static_cast<long long>(at96) * m_dpi;
        return int(product >= 0 ? (product + 48) / 96 : (product - 48) / 96);
    }
    QSize px(QSize at96) const { return { px(at96.width()), px(at96.height()) }; }
    // The other way: a length on screen as it would be at 96 DPI.
    int at96(int pixels) const
    {
        const long long product = static_cast<long long>(pixels) * 96;
        const long long half = m_dpi / 2;
        return int(product >= 0 ? (product + half) / m_dpi : (product - half) / m_dpi);
    }

private:
    int m_dpi;
};

} // namespace bd

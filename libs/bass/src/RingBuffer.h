#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

namespace bass {

// A fixed ring of interleaved float frames. Not synchronised: its stream's
// mutex guards it, held only for the copies.
class RingBuffer
{
public:
    RingBuffer(size_t frames, size_t channels)
        : m_channels(channels)
        , m_data(frames * channels)
    { }

    size_t capacity() const { return m_data.size() / m_channels; }
    size_t available() const { return m_size; }
    size_t space() const { return capacity() - m_size; }
    void clear() { m_read = m_size = 0; }
    // Keeps only the first `frames` of what is queued.
    void truncate(size_t frames) { m_size = std::min(m_size, frames); }

    // Copies up to `frames` in; returns how many fitted.
    size_t write(const float *in, size_t frames)
    {
        frames = std::min(frames, space());
        size_t pos = (m_read + m_size) % capacity();
        for (size_t done = 0; done < frames;) {
            const size_t run = std::min(frames - done, capacity() - pos);
            std::memcpy(&m_data[pos * m_channels], in + done * m_channels, run * m_channels * sizeof(float));
            done += run;
            pos = (pos + run) % capacity();
        }
        m_size += frames;
        return frames;
    }

    // Copies up to `frames` out; returns how many there were.
    size_t read(float *out, size_t frames)
    {
        frames = std::min(frames, m_size);
        for (size_t done = 0; done < frames;) {
            const size_t run = std::min(frames - done, capacity() - m_read);
            std::memcpy(out + done * m_channels, &m_data[m_read * m_channels], run * m_channels * sizeof(float));
            done += run;
            m_read = (m_read + run) % capacity();
        }
        m_size -= frames;
        return frames;
    }

private:
    size_t m_channels;
    std::vector<float> m_data;
    size_t m_read = 0;
    size_t m_size = 0;
};

} // namespace bass

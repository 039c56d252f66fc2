#include "BassFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <thread>

namespace {

constexpr int kDsdRate = 2822400; // DSD64
constexpr int kDsfBlock = 4096;

// One second of a 440 Hz sine at half scale as a 1-bit stream, from a
// second-order sigma-delta modulator: what a DSD recorder produces.
std::vector<uint8_t> dsdBits(size_t samples, bool lsbFirst)
{
    std::vector<uint8_t> bytes((samples + 7) / 8, 0);
    double i1 = 0, i2 = 0;
    for (size_t n = 0; n < samples; ++n) {
        const double x = 0.5 * std::sin(2 * M_PI * 440.0 * double(n) / kDsdRate);
        const double y = i2 >= 0 ? 1.0 : -1.0;
        i1 += x - y;
        i2 += i1 - y;
        if (y > 0)
            bytes[n / 8] |= uint8_t(lsbFirst ? 1u << (n % 8) : 0x80u >> (n % 8));
    }
    return bytes;
}

void putLe(QByteArray &out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

void putBe(QByteArray &out, uint64_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

// Sony's DSF layout: DSD, fmt and data chunks, little-endian, each channel in
// blocks of 4096 bytes, least significant bit first.
QByteArray dsfFile()
{
    const size_t samples = kDsdRate;
    const std::vector<uint8_t> bits = dsdBits(samples, true);
    const size_t blocks = (bits.size() + kDsfBlock - 1) / kDsfBlock;
    QByteArray data;
    for (size_t b = 0; b < blocks; ++b) {
        for (int channel = 0; channel < 2; ++channel) {
            QByteArray block(kDsfBlock, '\0');
            const size_t start = b * kDsfBlock;
            std::memcpy(block.data(), bits.data() + start, std::min<size_t>(kDsfBlock, bits.size() - start));
            data.append(block);
        }
    }
    QByteArray out;
    const uint64_t total = 28 + 52 + 12 + uint64_t(data.size());
    out.append("DSD ");
    putLe(out, 28, 8);
    putLe(out, total, 8);
    putLe(out, 0, 8);
    out.append("fmt ");
    putLe(out, 52, 8);
    putLe(out, 1, 4); // version
    putLe(out, 0, 4); // raw DSD
    putLe(out, 2, 4); // stereo
    putLe(out, 2, 4); // channels
    putLe(out, kDsdRate, 4); // rate
    putLe(out, 1, 4); // bits per sample: LSB first
    putLe(out, samples, 8);
    putLe(out, kDsfBlock, 4);
    putLe(out, 0, 4);
    out.append("data");
    putLe(out, 12 + uint64_t(data.size()), 8);
    out.append(data);
    return out;
}

// Philips' DSDIFF layout: big-endian FRM8 with version, properties and the
// bytes of both channels interleaved, most significant bit first.
QByteArray dffFile()
{
    const std::vector<uint8_t> bits = dsdBits(kDsdRate, false);
    QByteArray sound;
    for (uint8_t byte : bits) {
        sound.append(char(byte));
        sound.append(char(byte));
    }
    QByteArray prop("SND ");
    prop.append("FS  ");
    putBe(prop, 4, 8);
    putBe(prop, kDsdRate, 4);
    prop.append("CHNL");
    putBe(prop, 2 + 8, 8);
    putBe(prop, 2, 2);
    prop.append("SLFTSRGT");
    const QByteArray name("not compressed");
    prop.append("CMPR");
    putBe(prop, 4 + 1 + uint64_t(name.size()) + 1, 8);
    prop.append("DSD ");
    prop.append(char(name.size()));
    prop.append(name);
    prop.append('\0'); // pad to an even length
    QByteArray body("DSD ");
    body.append("FVER");
    putBe(body, 4, 8);
    putBe(body, 0x01050000, 4);
    body.append("PROP");
    putBe(body, uint64_t(prop.size()), 8);
    body.append(prop);
    body.append("DSD ");
    putBe(body, uint64_t(sound.size()), 8);
    body.append(sound);
    QByteArray out("FRM8");
    putBe(out, uint64_t(body.size()), 8);
    out.append(body);
    return out;
}

void writeOnce(const QString &path, QByteArray (*make)())
{
    if (QFile::exists(path))
        return;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(make());
        file.commit();
    }
}

} // namespace

QString bassFixtureDir()
{
    // The folders ctest passes; this file is shared by test executables with
    // different mains, so it does not lean on theirs.
    static const QString dir = [] {
        const QString sourceDir = qEnvironmentVariable("VANTREL_SOURCE_DIR");
        const QString folder = qEnvironmentVariable("VANTREL_BINARY_DIR") + QStringLiteral("/fixtures/bass");
        QDir().mkpath(folder);
        QProcess script;
        script.start(QStringLiteral("bash"), { sourceDir + QStringLiteral("/tests/bass/make_fixtures.sh"), folder });
        script.waitForFinished(300000);
        writeOnce(folder + QStringLiteral("/tone.dsf"), &dsfFile);
        writeOnce(folder + QStringLiteral("/tone.dff"), &dffFile);
        return folder;
    }();
    return dir;
}

QString bassFixture(const QString &name)
{
    return bassFixtureDir() + QLatin1Char('/') + name;
}

Capture readCapture(const QString &path)
{
    Capture capture;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return capture;
    const QByteArray bytes = file.readAll();
    const size_t frames = size_t(bytes.size()) / (2 * sizeof(float));
    const auto *data = reinterpret_cast<const float *>(bytes.constData());
    capture.left.resize(frames);
    capture.right.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        capture.left[i] = data[2 * i];
        capture.right[i] = data[2 * i + 1];
    }
    return capture;
}

bool waitForCapturedAudio(std::chrono::milliseconds time)
{
    constexpr qint64 kBytesPerSecond = 44100 * 2 * qint64(sizeof(float));
    const QString capture = qEnvironmentVariable("SDL_DISKAUDIOFILE");
    const qint64 wanted = QFileInfo(capture).size() + kBytesPerSecond * time.count() / 1000;
    const auto until = std::chrono::steady_clock::now() + time + std::chrono::seconds(10);
    while (QFileInfo(capture).size() < wanted) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

double frequencyOf(const float *samples, size_t count, int rate)
{
    constexpr float kHysteresis = 0.02f;
    bool armed = false;
    long first = -1, last = -1, crossings = 0;
    for (size_t i = 0; i < count; ++i) {
        if (samples[i] < -kHysteresis) {
            armed = true;
        } else if (armed && samples[i] > kHysteresis) {
            armed = false;
            if (first < 0)
                first = long(i);
            last = long(i);
            ++crossings;
        }
    }
    if (crossings < 2 || last == first)
        return 0;
    return double(crossings - 1) * rate / double(last - first);
}

double rmsOf(const float *samples, size_t count)
{
    if (count == 0)
        return 0;
    double sum = 0;
    for (size_t i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(count));
}

std::vector<Slice> slices(const std::vector<float> &samples, int rate)
{
    std::vector<Slice> result;
    for (size_t start = 0; start + kSliceFrames <= samples.size(); start += kSliceFrames)
        result.push_back({ rmsOf(&samples[start], kSliceFrames), frequencyOf(&samples[start], kSliceFrames, rate) });
    return result;
}

int nearestPitch(double frequency, const std::vector<double> &candidates)
{
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (std::abs(frequency - candidates[i]) <= 0.08 * candidates[i])
            return int(i);
    }
    return -1;
}

std::vector<PitchRun> pitchRuns(const std::vector<Slice> &sliced, const std::vector<double> &pitches)
{
    std::vector<PitchRun> runs;
    for (const Slice &slice : sliced) {
        const int pitch = slice.silent() ? -1 : nearestPitch(slice.frequency, pitches);
        if (!runs.empty() && runs.back().pitch == pitch)
            ++runs.back().slices;
        else
            runs.push_back({ pitch, 1 });
    }
    return runs;
}

std::vector<PitchRun> steadyRuns(std::vector<PitchRun> runs)
{
    std::erase_if(runs, [](const PitchRun &run) { return run.slices <= 2; });
    std::vector<PitchRun> merged;
    for (const PitchRun &run : runs) {
        if (!merged.empty() && merged.back().pitch == run.pitch)
            merged.back().slices += run.slices;
        else
            merged.push_back(run);
    }
    return merged;
}

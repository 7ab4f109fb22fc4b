#include "filters/PlaneWaveSimulation.h"

#include "convolver/QConvolver.h"
#include "support/TestAudio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace vqtest {

namespace {

using Matrix = std::array<Vec, 3>;  // rows

Vec Apply(const Matrix& m, const Vec& v)
{
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2], m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

Matrix RotationAboutX(double degrees)
{
    const double c = std::cos(degrees * kPi / 180.0), s = std::sin(degrees * kPi / 180.0);
    return {{{1, 0, 0}, {0, c, -s}, {0, s, c}}};
}

Matrix RotationAboutY(double degrees)
{
    const double c = std::cos(degrees * kPi / 180.0), s = std::sin(degrees * kPi / 180.0);
    return {{{c, 0, s}, {0, 1, 0}, {-s, 0, c}}};
}

Matrix RotationAboutZ(double degrees)
{
    const double c = std::cos(degrees * kPi / 180.0), s = std::sin(degrees * kPi / 180.0);
    return {{{c, -s, 0}, {s, c, 0}, {0, 0, 1}}};
}

double Norm(const Vec& v)
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

}  // namespace

Vec Direction(double azimuthDegrees, double elevationDegrees)
{
    const double az = azimuthDegrees * kPi / 180.0, el = elevationDegrees * kPi / 180.0;
    return {std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el)};
}

double AngleDegrees(const Vec& a, const Vec& b)
{
    const double c = (a[0] * b[0] + a[1] * b[1] + a[2] * b[2]) / (Norm(a) * Norm(b));
    return std::acos(std::clamp(c, -1.0, 1.0)) * 180.0 / kPi;
}

double Microphone::Gain(int capsule, const Vec& source) const
{
    const CapsuleFlaws& f = flaws[capsule];
    const Vec& u = Norm(f.aim) > 0.0 ? f.aim : axes[capsule];
    const double a = f.omniShare >= 0.0 ? f.omniShare : omniShare;
    const double cosine = u[0] * source[0] + u[1] * source[1] + u[2] * source[2];
    return std::pow(10.0, f.gainDb / 20.0) * (a + (1.0 - a) * cosine);
}

double Microphone::Lead(int capsule, const Vec& source) const
{
    const CapsuleFlaws& f = flaws[capsule];
    const Vec& u = axes[capsule];
    const double r = f.radius > 0.0 ? f.radius : radius;
    return r * (u[0] * source[0] + u[1] * source[1] + u[2] * source[2]) / kSpeedOfSound - f.delay;
}

Complex Microphone::Response(int capsule, const Vec& source, double frequency) const
{
    return Gain(capsule, source) * std::polar(1.0, 2.0 * kPi * frequency * Lead(capsule, source));
}

Microphone MakeMicrophone(Mount mount, double omniShare, double radius)
{
    const double el = std::atan(1.0 / std::sqrt(2.0)) * 180.0 / kPi;  // 35.26°
    const Vec own[4] = {Direction(45, el), Direction(-45, -el), Direction(135, -el), Direction(-135, el)};
    Matrix turn = RotationAboutZ(0);
    if (mount == Mount::UpsideDown)  // hung from above, still facing the front
        turn = RotationAboutX(180);
    if (mount == Mount::EndFire) {  // tipped back so the front marking faces up, then turned round
        const Matrix back = RotationAboutY(-90), round = RotationAboutZ(180);
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                turn[r][c] = round[r][0] * back[0][c] + round[r][1] * back[1][c] + round[r][2] * back[2][c];
    }
    Microphone mic;
    for (int k = 0; k < 4; ++k)
        mic.axes[k] = Apply(turn, own[k]);
    mic.omniShare = omniShare;
    mic.radius = radius;
    return mic;
}

std::array<double, 4> IdealBFormat(const Vec& source)
{
    return {1.0 / std::sqrt(2.0), source[0], source[1], source[2]};
}

PlaneWaveError Compare(const Phasors& m, const Vec& source)
{
    const Vec velocity = {(std::conj(m[0]) * m[1]).real(), (std::conj(m[0]) * m[2]).real(),
                          (std::conj(m[0]) * m[3]).real()};
    const double vectorLevel = std::sqrt(std::norm(m[1]) + std::norm(m[2]) + std::norm(m[3]));
    return {20.0 * std::log10(std::abs(m[0]) * std::sqrt(2.0)), 20.0 * std::log10(vectorLevel),
            AngleDegrees(velocity, source)};
}

Taps SplitMatrix(const Audio& file)
{
    const std::size_t taps = static_cast<std::size_t>(file.info.frames / 4);
    Taps filters;
    for (int j = 0; j < 4; ++j) {
        const Signal channel = file.Channel(j);
        for (int k = 0; k < 4; ++k)
            filters[k][j].assign(channel.begin() + k * taps, channel.begin() + (k + 1) * taps);
    }
    return filters;
}

Phasors Respond(const Taps& filters, const Microphone& mic, const Vec& source, double frequency, int rate)
{
    Phasors out{};
    for (int k = 0; k < 4; ++k) {
        const Complex capsule = mic.Response(k, source, frequency);
        for (int j = 0; j < 4; ++j) {
            Complex dft = 0.0;
            for (std::size_t n = 0; n < filters[k][j].size(); ++n)
                dft += filters[k][j][n] * std::polar(1.0, -2.0 * kPi * frequency * static_cast<double>(n) / rate);
            out[j] += dft * capsule;
        }
    }
    return out;
}

std::vector<std::vector<Phasors>> SimulateThroughEngine(const std::string& matrixPath, int rate, const Microphone& mic,
                                                        const std::vector<Vec>& directions,
                                                        const std::vector<double>& tones)
{
    const int filterLength = static_cast<int>(ReadAudio(matrixPath).info.frames / 4);
    const std::size_t analysis = static_cast<std::size_t>(rate / 10);  // 0.1 s: whole periods of every tone
    const std::size_t settle = static_cast<std::size_t>(filterLength) + 64;
    const std::size_t segment = settle + analysis;
    const std::size_t frames = segment * directions.size();
    const double amplitude = 0.4 / tones.size();

    // e^{j w m} over one segment, per tone; a segment starting at n0 adds e^{j w n0}.
    std::vector<std::vector<Complex>> rotation(tones.size(), std::vector<Complex>(segment));
    std::vector<double> phase(tones.size());
    for (std::size_t t = 0; t < tones.size(); ++t) {
        phase[t] = 0.7 * static_cast<double>(t * t);  // spread phases keep the sum's peak low
        for (std::size_t m = 0; m < segment; ++m)
            rotation[t][m] = std::polar(1.0, 2.0 * kPi * tones[t] * static_cast<double>(m) / rate);
    }

    std::array<Signal, 4> capsules;
    for (auto& c : capsules)
        c.assign(frames, 0.0);
    for (std::size_t d = 0; d < directions.size(); ++d) {
        const std::size_t start = d * segment;
        for (int k = 0; k < 4; ++k)
            for (std::size_t t = 0; t < tones.size(); ++t) {
                const double w = 2.0 * kPi * tones[t] / rate;
                const Complex coefficient = amplitude * mic.Response(k, directions[d], tones[t]) *
                                            std::polar(1.0, phase[t] + w * static_cast<double>(start));
                for (std::size_t m = 0; m < segment; ++m)
                    capsules[k][start + m] += (coefficient * rotation[t][m]).real();
            }
    }

    TempDir dir;
    const std::string front = dir.File("planeF.wav"), rear = dir.File("planeR.wav"), out = dir.File("wxyz.wav");
    WriteAFormat(front, rear, capsules, rate);
    {
        QConvolver engine(1);
        EXPECT_EQ(engine.OpenInputFile(front.c_str(), 0), 0);
        EXPECT_EQ(engine.OpenInputFile(rear.c_str(), 1), 0);
        EXPECT_EQ(engine.LoadFilterMatrix(matrixPath.c_str()), 0);
        engine.SetOutputFileName(0, out);
        engine.m_outputInfo.format = kFloat64Wav;
        EXPECT_EQ(engine.Run(), 0);
    }
    const Audio wxyz = ReadAudio(out);

    std::vector<std::vector<Phasors>> result(directions.size(), std::vector<Phasors>(tones.size()));
    if (wxyz.samples.size() < frames * 4)
        return result;
    for (std::size_t d = 0; d < directions.size(); ++d) {
        const std::size_t first = d * segment + settle;
        for (std::size_t t = 0; t < tones.size(); ++t) {
            const double w = 2.0 * kPi * tones[t] / rate;
            // The tone at the centre has the phasor amplitude e^{j phase}.
            const Complex reference = amplitude * std::polar(1.0, phase[t]);
            const Complex shift = std::polar(1.0, -w * static_cast<double>(first));
            for (int j = 0; j < 4; ++j) {
                Complex sum = 0.0;
                for (std::size_t m = 0; m < analysis; ++m)
                    sum += wxyz.samples[(first + m) * 4 + j] * std::conj(rotation[t][m]);
                result[d][t][j] = 2.0 * sum * shift / static_cast<double>(analysis) / reference;
            }
        }
    }
    return result;
}

std::array<double, 4> DiffuseLevelsDb(const std::vector<std::vector<Phasors>>& measured,
                                      const std::vector<Vec>& directions, std::size_t tone)
{
    std::array<double, 4> power{}, ideal{};
    for (std::size_t d = 0; d < directions.size(); ++d) {
        const auto b = IdealBFormat(directions[d]);
        for (int j = 0; j < 4; ++j) {
            power[j] += std::norm(measured[d][tone][j]);
            ideal[j] += b[j] * b[j];
        }
    }
    std::array<double, 4> db{};
    for (int j = 0; j < 4; ++j)
        db[j] = 10.0 * std::log10(power[j] / ideal[j]);
    return db;
}

}  // namespace vqtest

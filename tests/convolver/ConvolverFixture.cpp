#include "convolver/ConvolverFixture.h"

namespace vqtest {

std::array<Signal, 4> ReadBFormat(const std::vector<std::string>& names, int fileCount)
{
    std::array<Signal, 4> wxyz;
    if (fileCount == 1) {
        const Audio a = ReadAudio(names[0]);
        for (int j = 0; j < 4; ++j)
            wxyz[j] = a.Channel(j);
    } else if (fileCount == 2) {
        // Stereo pairs carry X,W and Z,Y.
        const Audio front = ReadAudio(names[0]);
        const Audio rear = ReadAudio(names[1]);
        wxyz = {front.Channel(1), front.Channel(0), rear.Channel(1), rear.Channel(0)};
    } else {
        for (int j = 0; j < 4; ++j)
            wxyz[j] = ReadAudio(names[j]).Channel(0);
    }
    return wxyz;
}

Recording MakeRecording(const TempDir& dir, std::int64_t frames, int taps, unsigned seed, int rate)
{
    Recording rec;
    for (int k = 0; k < 4; ++k)
        rec.capsules[k] = Noise(frames, seed + k);
    rec.filters = RandomFilterMatrix(taps, seed + 100);
    rec.front = dir.File("takeF.wav");
    rec.rear = dir.File("takeR.wav");
    rec.matrix = dir.File("FilterMatrix.wav");
    WriteAFormat(rec.front, rec.rear, rec.capsules, rate);
    WriteFilterMatrix(rec.matrix, rec.filters, rate);
    return rec;
}

void OpenRecording(QConvolver& engine, const Recording& rec, const std::vector<std::string>& outputs)
{
    ASSERT_EQ(engine.OpenInputFile(rec.front.c_str(), 0), 0);
    ASSERT_EQ(engine.OpenInputFile(rec.rear.c_str(), 1), 0);
    ASSERT_EQ(engine.LoadFilterMatrix(rec.matrix.c_str()), 0);
    for (std::size_t i = 0; i < outputs.size(); ++i)
        engine.SetOutputFileName(static_cast<int>(i), outputs[i]);
}

}  // namespace vqtest

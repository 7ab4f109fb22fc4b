#include "FuzzInput.h"

#include <algorithm>

namespace vqfuzz {

namespace {

// Takes the part behind a 16-bit length; what the data lacks is left out.
std::string TakePart(const std::uint8_t*& data, const std::uint8_t* end)
{
    if (end - data < 2) {
        data = end;
        return std::string();
    }
    const std::size_t length = data[0] | std::size_t(data[1]) << 8;
    data += 2;
    const std::size_t available = std::min<std::size_t>(length, static_cast<std::size_t>(end - data));
    std::string part(reinterpret_cast<const char*>(data), available);
    data += available;
    return part;
}

void PutPart(std::vector<std::uint8_t>& out, const std::string& part)
{
    out.push_back(static_cast<std::uint8_t>(part.size() & 0xFF));
    out.push_back(static_cast<std::uint8_t>(part.size() >> 8));
    out.insert(out.end(), part.begin(), part.end());
}

}  // namespace

FuzzInput SplitInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input;
    const std::uint8_t* end = data + size;
    for (std::uint8_t& byte : input.settings)
        byte = data < end ? *data++ : 0;
    input.matrix = TakePart(data, end);
    input.input0 = TakePart(data, end);
    input.input1.assign(reinterpret_cast<const char*>(data), static_cast<std::size_t>(end - data));
    return input;
}

std::vector<std::uint8_t> JoinInput(const FuzzInput& input)
{
    std::vector<std::uint8_t> out(input.settings, input.settings + kSettingsBytes);
    PutPart(out, input.matrix);
    PutPart(out, input.input0);
    out.insert(out.end(), input.input1.begin(), input.input1.end());
    return out;
}

}  // namespace vqfuzz

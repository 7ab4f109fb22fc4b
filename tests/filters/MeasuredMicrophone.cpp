#include "filters/MeasuredMicrophone.h"

#include <gtest/gtest.h>
#include <hdf5.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace vqtest {

namespace {

constexpr double kCutoff = 0.45;  // cycles per sample
constexpr double kHalfWidth = 32.0;
constexpr double kKaiserBeta = 9.0;

// A band-limited unit impulse at `t` samples, sampled at n.
double Impulse(double n, double t)
{
    const double x = n - t;
    if (std::fabs(x) >= kHalfWidth)
        return 0.0;
    const double arg = 2.0 * kCutoff * x;
    const double sinc = arg == 0.0 ? 1.0 : std::sin(kPi * arg) / (kPi * arg);
    const double r = x / kHalfWidth;
    const double window =
        std::cyl_bessel_i(0.0, kKaiserBeta * std::sqrt(1.0 - r * r)) / std::cyl_bessel_i(0.0, kKaiserBeta);
    return 2.0 * kCutoff * sinc * window;
}

Vec Turned(const Vec& axis, const Vec& towards, double degrees)
{
    // The axis turned by `degrees` in the plane it spans with `towards`.
    const double along = axis[0] * towards[0] + axis[1] * towards[1] + axis[2] * towards[2];
    Vec p = {towards[0] - along * axis[0], towards[1] - along * axis[1], towards[2] - along * axis[2]};
    const double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    const double c = std::cos(degrees * kPi / 180.0), s = std::sin(degrees * kPi / 180.0);
    return {c * axis[0] + s * p[0] / length, c * axis[1] + s * p[1] / length, c * axis[2] + s * p[2] / length};
}

// Closes an HDF5 handle when it goes out of scope.
struct Hid {
    hid_t id;
    herr_t (*close)(hid_t);
    ~Hid()
    {
        if (id >= 0)
            close(id);
    }
};

void Attribute(hid_t object, const char* name, const std::string& value)
{
    Hid type{H5Tcopy(H5T_C_S1), H5Tclose};
    H5Tset_size(type.id, value.size() + 1);
    Hid space{H5Screate(H5S_SCALAR), H5Sclose};
    Hid attribute{H5Acreate2(object, name, type.id, space.id, H5P_DEFAULT, H5P_DEFAULT), H5Aclose};
    EXPECT_GE(H5Awrite(attribute.id, type.id, value.c_str()), 0) << name;
}

// A netCDF dimension: an empty dimension scale whose NAME carries its length.
void Dimension(hid_t file, const char* name, hsize_t length)
{
    Hid space{H5Screate_simple(1, &length, nullptr), H5Sclose};
    Hid set{H5Dcreate2(file, name, H5T_IEEE_F32LE, space.id, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), H5Dclose};
    char label[96];
    std::snprintf(label, sizeof label, "This is a netCDF dimension but not a netCDF variable.%10d",
                  static_cast<int>(length));
    Attribute(set.id, "CLASS", "DIMENSION_SCALE");
    Attribute(set.id, "NAME", label);
}

// A variable of 64-bit floats over named dimensions, with its DIMENSION_LIST; returns it open.
hid_t Variable(hid_t file, const char* name, const std::vector<const char*>& dims, const std::vector<double>& values)
{
    std::vector<hsize_t> sizes;
    for (const char* dim : dims) {
        Hid set{H5Dopen2(file, dim, H5P_DEFAULT), H5Dclose};
        Hid space{H5Dget_space(set.id), H5Sclose};
        hsize_t length = 0;
        H5Sget_simple_extent_dims(space.id, &length, nullptr);
        sizes.push_back(length);
    }
    Hid space{H5Screate_simple(static_cast<int>(sizes.size()), sizes.data(), nullptr), H5Sclose};
    const hid_t set = H5Dcreate2(file, name, H5T_IEEE_F64LE, space.id, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    EXPECT_GE(H5Dwrite(set, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()), 0) << name;
    std::vector<hobj_ref_t> refs(dims.size());
    std::vector<hvl_t> lists(dims.size());
    for (std::size_t i = 0; i < dims.size(); ++i) {
        H5Rcreate(&refs[i], file, dims[i], H5R_OBJECT, -1);
        lists[i] = {1, &refs[i]};
    }
    Hid listType{H5Tvlen_create(H5T_STD_REF_OBJ), H5Tclose};
    const hsize_t rank = dims.size();
    Hid listSpace{H5Screate_simple(1, &rank, nullptr), H5Sclose};
    Hid attribute{H5Acreate2(set, "DIMENSION_LIST", listType.id, listSpace.id, H5P_DEFAULT, H5P_DEFAULT), H5Aclose};
    EXPECT_GE(H5Awrite(attribute.id, listType.id, lists.data()), 0) << name;
    return set;
}

}  // namespace

Microphone FlawedMicrophone()
{
    Microphone mic = MakeMicrophone();
    const double gains[4] = {0.8, -0.6, 0.4, -1.0};
    const double omniShares[4] = {0.44, 0.58, 0.53, 0.47};
    const double aimsOff[4] = {3.0, 5.0, 2.0, 4.0};
    const Vec turnedTowards[4] = {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}, {-1, 0, 0}};
    const double radii[4] = {0.0140, 0.0165, 0.0152, 0.0147};
    const double delays[4] = {15e-6, -9e-6, 4e-6, -15e-6};
    for (int k = 0; k < 4; ++k)
        mic.flaws[k] = {gains[k], omniShares[k], Turned(mic.axes[k], turnedTowards[k], aimsOff[k]), radii[k],
                        delays[k]};
    return mic;
}

std::vector<AzEl> SeventyTwoDirections()
{
    std::vector<AzEl> directions;
    const double elevations[6] = {-75, -45, -15, 15, 45, 75};
    const double turns[6] = {0, 15, 7.5, 22.5, 0, 15};
    for (int ring = 0; ring < 6; ++ring)
        for (int i = 0; i < 12; ++i) {
            double azimuth = turns[ring] + 30.0 * i;
            if (azimuth > 180.0)
                azimuth -= 360.0;
            directions.push_back({azimuth, elevations[ring]});
        }
    return directions;
}

SimulatedMeasurement Measure(const Microphone& mic, const std::vector<AzEl>& directions, int rate, double arrival,
                             int taps)
{
    SimulatedMeasurement measurement;
    measurement.rate = rate;
    measurement.directions = directions;
    for (const AzEl& d : directions) {
        const Vec source = Direction(d.azimuth, d.elevation);
        std::array<Signal, 4> responses;
        for (int k = 0; k < 4; ++k) {
            const double at = (arrival - mic.Lead(k, source)) * rate;
            responses[k].resize(static_cast<std::size_t>(taps));
            for (int n = 0; n < taps; ++n)
                responses[k][static_cast<std::size_t>(n)] = mic.Gain(k, source) * Impulse(n, at);
        }
        measurement.responses.push_back(responses);
    }
    return measurement;
}

std::string MeasurementFileName(const AzEl& direction)
{
    char name[64];
    std::snprintf(name, sizeof name, "%g_%g.wav", direction.azimuth, direction.elevation);
    return name;
}

void WriteMeasurementFolder(const std::string& folder, const SimulatedMeasurement& measurement, int format)
{
    std::filesystem::create_directories(folder);
    for (std::size_t d = 0; d < measurement.directions.size(); ++d) {
        const auto& r = measurement.responses[d];
        WriteChannels(folder + "/" + MeasurementFileName(measurement.directions[d]), {r[0], r[1], r[2], r[3]},
                      measurement.rate, format);
    }
}

void WriteMeasurementSofa(const std::string& path, const SimulatedMeasurement& measurement, int receivers,
                          const std::array<int, 4>& dataDelays)
{
    const hsize_t m = measurement.directions.size();
    const int longest = *std::max_element(dataDelays.begin(), dataDelays.end());
    const hsize_t n = (measurement.responses.empty() ? 1 : measurement.responses[0][0].size()) - longest;
    const hsize_t r = static_cast<hsize_t>(receivers);

    // libmysofa reads the HDF5 1.8 file format with dense link storage, as netCDF-4 writes it.
    Hid access{H5Pcreate(H5P_FILE_ACCESS), H5Pclose};
    H5Pset_libver_bounds(access.id, H5F_LIBVER_V18, H5F_LIBVER_V18);
    Hid creation{H5Pcreate(H5P_FILE_CREATE), H5Pclose};
    H5Pset_link_phase_change(creation.id, 0, 0);
    H5Pset_link_creation_order(creation.id, H5P_CRT_ORDER_TRACKED | H5P_CRT_ORDER_INDEXED);
    Hid file{H5Fcreate(path.c_str(), H5F_ACC_TRUNC, creation.id, access.id), H5Fclose};
    ASSERT_GE(file.id, 0) << path;
    const std::pair<const char*, const char*> attributes[] = {
        {"Conventions", "SOFA"},           {"Version", "1.0"},  {"SOFAConventions", "GeneralFIR"},
        {"SOFAConventionsVersion", "1.0"}, {"DataType", "FIR"}, {"RoomType", "free field"}};
    for (const auto& [name, value] : attributes)
        Attribute(file.id, name, value);
    for (const auto& [name, length] :
         {std::pair{"I", hsize_t{1}}, {"C", hsize_t{3}}, {"R", r}, {"E", hsize_t{1}}, {"N", n}, {"M", m}})
        Dimension(file.id, name, length);

    H5Dclose(Variable(file.id, "ListenerPosition", {"I", "C"}, {0.0, 0.0, 0.0}));
    H5Dclose(Variable(file.id, "ReceiverPosition", {"R", "C", "I"}, std::vector<double>(r * 3, 0.0)));
    H5Dclose(Variable(file.id, "EmitterPosition", {"E", "C", "I"}, {0.0, 0.0, 0.0}));
    std::vector<double> positions, ir(m * r * n, 0.0);
    for (hsize_t i = 0; i < m; ++i) {
        positions.insert(positions.end(),
                         {measurement.directions[i].azimuth, measurement.directions[i].elevation, 2.0});
        for (hsize_t k = 0; k < std::min<hsize_t>(r, 4); ++k)
            std::copy_n(measurement.responses[i][k].begin() + dataDelays[k], n, ir.begin() + (i * r + k) * n);
    }
    const hid_t sources = Variable(file.id, "SourcePosition", {"M", "C"}, positions);
    Attribute(sources, "Type", "spherical");
    Attribute(sources, "Units", "degree, degree, metre");
    H5Dclose(sources);
    H5Dclose(Variable(file.id, "Data.IR", {"M", "R", "N"}, ir));
    const hid_t rate = Variable(file.id, "Data.SamplingRate", {"I"}, {static_cast<double>(measurement.rate)});
    Attribute(rate, "Units", "hertz");
    H5Dclose(rate);
    std::vector<double> delays(r, 0.0);
    std::copy_n(dataDelays.begin(), std::min<hsize_t>(r, 4), delays.begin());
    H5Dclose(Variable(file.id, "Data.Delay", {"I", "R"}, delays));
}

}  // namespace vqtest

#include "binaural/SofaFixture.h"

#include <gtest/gtest.h>
#include <hdf5.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace vqtest {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Closes an HDF5 handle when it goes out of scope.
class Handle {
public:
    Handle(hid_t id, herr_t (*close)(hid_t)) : m_id(id), m_close(close) {}
    ~Handle()
    {
        if (m_id >= 0)
            m_close(m_id);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    hid_t get() const { return m_id; }

private:
    hid_t m_id;
    herr_t (*m_close)(hid_t);
};

void AddStringAttribute(hid_t object, const char* name, const std::string& value)
{
    Handle type(H5Tcopy(H5T_C_S1), H5Tclose);
    H5Tset_size(type.get(), value.size() + 1);
    H5Tset_strpad(type.get(), H5T_STR_NULLTERM);
    Handle space(H5Screate(H5S_SCALAR), H5Sclose);
    Handle attribute(H5Acreate2(object, name, type.get(), space.get(), H5P_DEFAULT, H5P_DEFAULT), H5Aclose);
    ASSERT_GE(attribute.get(), 0) << name;
    ASSERT_GE(H5Awrite(attribute.get(), type.get(), value.c_str()), 0) << name;
}

// A netCDF dimension: an empty dimension scale whose NAME carries its length.
void AddDimension(hid_t file, const char* name, hsize_t length)
{
    Handle space(H5Screate_simple(1, &length, nullptr), H5Sclose);
    Handle set(H5Dcreate2(file, name, H5T_IEEE_F32LE, space.get(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), H5Dclose);
    ASSERT_GE(set.get(), 0) << name;
    char label[96];
    std::snprintf(label, sizeof label, "This is a netCDF dimension but not a netCDF variable.%10d",
                  static_cast<int>(length));
    AddStringAttribute(set.get(), "CLASS", "DIMENSION_SCALE");
    AddStringAttribute(set.get(), "NAME", label);
}

// A variable of 64-bit floats over the named dimensions, with its DIMENSION_LIST.
hid_t AddVariable(hid_t file, const char* name, const std::vector<const char*>& dims, const std::vector<hsize_t>& sizes,
                  const std::vector<double>& values)
{
    Handle space(H5Screate_simple(static_cast<int>(sizes.size()), sizes.data(), nullptr), H5Sclose);
    // Contiguous, as netCDF-4 stores fixed-size variables.
    hid_t set = H5Dcreate2(file, name, H5T_IEEE_F64LE, space.get(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    EXPECT_GE(set, 0) << name;
    EXPECT_GE(H5Dwrite(set, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values.data()), 0) << name;

    std::vector<hobj_ref_t> refs(dims.size());
    std::vector<hvl_t> lists(dims.size());
    for (std::size_t i = 0; i < dims.size(); ++i) {
        EXPECT_GE(H5Rcreate(&refs[i], file, dims[i], H5R_OBJECT, -1), 0) << dims[i];
        lists[i].len = 1;
        lists[i].p = &refs[i];
    }
    Handle listType(H5Tvlen_create(H5T_STD_REF_OBJ), H5Tclose);
    const hsize_t rank = dims.size();
    Handle listSpace(H5Screate_simple(1, &rank, nullptr), H5Sclose);
    Handle attribute(H5Acreate2(set, "DIMENSION_LIST", listType.get(), listSpace.get(), H5P_DEFAULT, H5P_DEFAULT),
                     H5Aclose);
    EXPECT_GE(H5Awrite(attribute.get(), listType.get(), lists.data()), 0) << name;
    return set;
}

}  // namespace

void WriteSofa(const std::string& path, const SofaContent& content)
{
    const hsize_t m = content.measurements.size();
    const hsize_t n = static_cast<hsize_t>(content.taps);

    // libmysofa reads the HDF5 1.8 file format with dense link storage, as netCDF-4 writes it.
    Handle access(H5Pcreate(H5P_FILE_ACCESS), H5Pclose);
    H5Pset_libver_bounds(access.get(), H5F_LIBVER_V18, H5F_LIBVER_V18);
    Handle creation(H5Pcreate(H5P_FILE_CREATE), H5Pclose);
    H5Pset_link_phase_change(creation.get(), 0, 0);
    H5Pset_link_creation_order(creation.get(), H5P_CRT_ORDER_TRACKED | H5P_CRT_ORDER_INDEXED);
    Handle file(H5Fcreate(path.c_str(), H5F_ACC_TRUNC, creation.get(), access.get()), H5Fclose);
    ASSERT_GE(file.get(), 0) << path;

    AddStringAttribute(file.get(), "Conventions", "SOFA");
    AddStringAttribute(file.get(), "Version", "1.0");
    AddStringAttribute(file.get(), "SOFAConventions", content.conventions);
    AddStringAttribute(file.get(), "SOFAConventionsVersion", "1.0");
    AddStringAttribute(file.get(), "DataType", "FIR");
    AddStringAttribute(file.get(), "RoomType", "free field");

    AddDimension(file.get(), "I", 1);
    AddDimension(file.get(), "C", 3);
    AddDimension(file.get(), "R", 2);
    AddDimension(file.get(), "E", 1);
    AddDimension(file.get(), "N", n);
    AddDimension(file.get(), "M", m);

    H5Dclose(AddVariable(file.get(), "ListenerPosition", {"I", "C"}, {1, 3}, {0.0, 0.0, 0.0}));
    hid_t receivers =
        AddVariable(file.get(), "ReceiverPosition", {"R", "C", "I"}, {2, 3, 1}, {0.0, 0.09, 0.0, 0.0, -0.09, 0.0});
    AddStringAttribute(receivers, "Type", "cartesian");
    H5Dclose(receivers);
    H5Dclose(AddVariable(file.get(), "EmitterPosition", {"E", "C", "I"}, {1, 3, 1}, {0.0, 0.0, 0.0}));

    std::vector<double> positions;
    for (const SofaMeasurement& s : content.measurements) {
        if (content.cartesianSources) {
            const double az = s.azimuth * kPi / 180.0;
            const double el = s.elevation * kPi / 180.0;
            positions.insert(positions.end(), {std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el)});
        } else {
            positions.insert(positions.end(), {s.azimuth, s.elevation, 1.5});
        }
    }
    hid_t sources = AddVariable(file.get(), "SourcePosition", {"M", "C"}, {m, 3}, positions);
    AddStringAttribute(sources, "Type", content.cartesianSources ? "cartesian" : "spherical");
    AddStringAttribute(sources, "Units", content.cartesianSources ? "metre" : "degree, degree, metre");
    H5Dclose(sources);

    std::vector<double> ir(m * 2 * n, 0.0);
    for (hsize_t i = 0; i < m; ++i) {
        for (int ear = 0; ear < 2; ++ear) {
            const SofaMeasurement& s = content.measurements[i];
            ir[(i * 2 + static_cast<hsize_t>(ear)) * n + static_cast<hsize_t>(s.delay[ear])] = s.gain[ear];
        }
    }
    H5Dclose(AddVariable(file.get(), "Data.IR", {"M", "R", "N"}, {m, 2, n}, ir));
    hid_t rate = AddVariable(file.get(), "Data.SamplingRate", {"I"}, {1}, {content.sampleRate});
    AddStringAttribute(rate, "Units", "hertz");
    H5Dclose(rate);
    H5Dclose(AddVariable(file.get(), "Data.Delay", {"I", "R"}, {1, 2}, {content.dataDelay[0], content.dataDelay[1]}));
}

}  // namespace vqtest

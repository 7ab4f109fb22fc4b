#include "spatial/DirectionMapFiles.h"

#include "common/EngineStatus.h"
#include "common/ReplacedFile.h"

#include <cstdio>

namespace vq {

int WriteDirectionMapCsv(const DirectionMap& map, const std::string& path, FailureDetail* detail)
{
    if (!map.Finished())
        return kBadState;
    ReplacedFile file;
    const int status = file.Open(path, detail);
    if (status != kStatusOk)
        return status;
    std::FILE* out = file.Stream();
    std::fputs("azimuth,elevation,level_db\n", out);
    for (int e = 0; e < DirectionMap::kElevations; ++e)
        for (int a = 0; a < DirectionMap::kAzimuths; ++a)
            std::fprintf(out, "%g,%g,%.2f\n", DirectionMap::Azimuth(a), DirectionMap::Elevation(e), map.LevelDb(a, e));
    return file.Commit(detail);
}

}  // namespace vq

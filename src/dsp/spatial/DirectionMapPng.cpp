#include "spatial/DirectionMapFiles.h"

#include "common/EngineStatus.h"
#include "common/ReplacedFile.h"

namespace vq {

int WriteDirectionMapPng(const DirectionMap& map, const std::string& path, FailureDetail* detail)
{
    if (!map.Finished())
        return kBadState;
    ReplacedFile file;
    int status = file.Open(path, detail);
    if (status != kStatusOk)
        return status;
    std::string reason;
    status = DrawDirectionMapPng(LevelsOf(map), file.Stream(), &reason);
    if (status != kStatusOk) {
        file.Discard();
        if (detail) {
            detail->path = path;
            detail->reason = reason;
        }
        return status;
    }
    return file.Commit(detail);
}

}  // namespace vq

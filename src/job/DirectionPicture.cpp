#include "DirectionPicture.h"

#include "ProgramData.h"

#include "common/EngineStatus.h"
#include "common/ReplacedFile.h"
#include "spatial/DirectionMapPictureModule.h"

#include <dlfcn.h>

namespace vq {

namespace {

struct Module {
    DrawDirectionPictureFunction draw = nullptr;
    DrawDirectionOverFrameFunction drawOverFrame = nullptr;
    std::string problem;  // why it is not there
};

// Beside the program (the staged or the installed tree), else where the install put it.
// Loaded once and kept: what it loads (fonts, cairo) stays until the process ends.
const Module& PictureModule()
{
    static const Module module = [] {
        Module found;
        const std::string candidates[] = {
            RunningProgramFolder() + "/" + kDirectionPictureModuleFolder + "/" + kDirectionPictureModule,
            std::string(VQ_INSTALLED_LIB_DIR) + "/vessarquilix/" + kDirectionPictureModule,
        };
        for (const std::string& candidate : candidates) {
            void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) {
                found.problem += (found.problem.empty() ? "" : "; ") + std::string(dlerror());
                continue;
            }
            found.draw = reinterpret_cast<DrawDirectionPictureFunction>(dlsym(handle, kDrawDirectionPictureSymbol));
            found.drawOverFrame =
                reinterpret_cast<DrawDirectionOverFrameFunction>(dlsym(handle, kDrawDirectionOverFrameSymbol));
            if (found.draw && found.drawOverFrame)
                break;
            found.draw = nullptr;
            found.problem += "; " + candidate + " has no " + kDrawDirectionPictureSymbol + " or " +
                             kDrawDirectionOverFrameSymbol;
        }
        return found;
    }();
    return module;
}

}  // namespace

bool DirectionPictureAvailable(std::string* reason)
{
    const Module& module = PictureModule();
    if (!module.draw && reason)
        *reason = "the picture's drawing module cannot be loaded (" + module.problem + ")";
    return module.draw != nullptr;
}

int WriteDirectionPicture(const DirectionMapLevels& levels, const std::string& path, FailureDetail* detail,
                          const RgbImage* frame)
{
    std::string reason;
    if (!DirectionPictureAvailable(&reason)) {
        *detail = {path, reason};
        return kDirectionMapFailed;
    }
    ReplacedFile file;
    int status = file.Open(path, detail);
    if (status != kStatusOk)
        return status;
    char why[256] = "";
    const Module& module = PictureModule();
    status = frame ? module.drawOverFrame(&levels, frame->rgb.data(), frame->width, frame->height, file.Stream(), why,
                                          sizeof why)
                   : module.draw(&levels, file.Stream(), why, sizeof why);
    if (status != kStatusOk) {
        file.Discard();
        *detail = {path, why};
        return status;
    }
    return file.Commit(detail);
}

}  // namespace vq

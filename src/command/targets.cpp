#include "command/targets.h"

#include <algorithm>

namespace mk {

namespace {

constexpr Target kOtherText{"",
                            "",
                            false,
                            0,
                            0,
                            {},
                            {},
                            false,
                            false,
                            false,
                            {},
                            "-target pal-",
                            "-target ntsc-",
                            {},
                            " -async 1",
                            target_data::kMpg,
                            target_data::kM2v,
                            {}};

}  // namespace

const Target* FindTarget(std::string_view word) {
    const auto it = std::find_if(kTargets.begin(), kTargets.end(),
                                 [word](const Target& t) { return t.word == word; });
    return it == kTargets.end() ? nullptr : &*it;
}

const Target& TargetForCommand(std::string_view word) {
    const Target* row = FindTarget(word);
    return row ? *row : kOtherText;
}

const AudioPreset* AudioPresetFor(const Target& target, std::string_view audioTarget) {
    const auto it = std::find_if(target.audio.begin(), target.audio.end(), [&](const auto& p) {
        return p.audioTarget.empty() || p.audioTarget == audioTarget;
    });
    return it == target.audio.end() ? nullptr : &*it;
}

}  // namespace mk

// morvakelin-cli --disc: the sources encoded as --output-dir would (N at a time), into a work
// folder beside the disc, then authored (dvdauthor and spumux, genisoimage, vcdimager), read
// back and only then moved into place.
#pragma once

#include <string>

#include "cli/cli_app.h"
#include "cli/cli_options.h"

namespace mk::cli {

// Exit 0 when the disc is in place and reads back as asked; 1 when an encode, the authoring or
// the read-back failed (nothing new is left); 2 for what is refused before anything runs (a
// target that makes no disc, mixed TV formats or aspects, a NAME that does not suit the target,
// a size too small for the titles); 128+N when stopped by signal N.
int RunDisc(const CliOptions& o, const std::string& programFolder, CliIo& io);

}  // namespace mk::cli

// One video bitrate for every title so that the image fills the disc: a first estimate from the
// lengths, then corrections from what authoring an attempt really gave (its image, and the video
// bytes the encoder wrote), within the rates the disc kind allows.
#pragma once

#include <cstdint>
#include <optional>

#include "disc/disc_plan.h"

namespace mk::disc {

// The image is good when it fills between these shares of the size: never over.
inline constexpr double kLeastFill = 0.95;
inline constexpr double kAimFill = 0.975;

// Video bitrates (kbit/s) a disc kind takes. VCD has one fixed rate.
struct RateLimits {
    int least = 0;  // below this the picture is not worth watching
    int most = 0;   // the video rate the disc's mux rate leaves beside the audio
    bool fixed = false;
};
RateLimits LimitsFor(DiscKind kind, int audioKbps);

// How one attempt came out, measured.
struct Attempt {
    int videoKbps = 0;
    bool constant = false;   // encoded at a constant rate (-minrate = -maxrate = -b)
    double imageBytes = 0;   // the image's sectors times the sector payload
    double mpegBytes = 0;    // the encoded program streams together
    double streamBytes = 0;  // video plus audio elementary bytes (0 when ffmpeg did not say)
    double videoBytes = 0;   // video elementary bytes (0 when ffmpeg did not say)
};

struct RatePlan {
    int videoKbps = 0;
    bool constant = false;
};

// Before anything is encoded: the rate that would fill `aimBytes` over `seconds` of titles, with
// the pack overhead of the disc's multiplex and the file system's share taken from the first
// attempt's measurement later. nullopt when even `limits.least` would not fit `sizeBytes`.
std::optional<RatePlan> FirstRate(DiscKind kind, double sizeBytes, double seconds, int audioKbps,
                                  int titles, const RateLimits& limits);

// One title's share of the disc before it is encoded: its streams and their multiplex.
double EstimatedTitleBytes(DiscKind kind, double seconds, int videoKbps, int audioKbps);

// The image an attempt at `videoKbps` is estimated to give before any measurement.
double EstimatedImage(DiscKind kind, double seconds, int videoKbps, int audioKbps, int titles);

// After an attempt outside the aim: the next rate. The image grows with the video bytes at the
// attempt's own multiplex ratio; an encoder that spent clearly less than asked (a picture too
// simple for the rate) is held to the rate by a constant-rate encode next. nullopt when the rate
// would not change (already at a limit).
std::optional<RatePlan> NextRate(const Attempt& last, double sizeBytes, double seconds,
                                 const RateLimits& limits);

}  // namespace mk::disc

#include "disc/disc_fit.h"

#include <algorithm>
#include <cmath>

namespace mk::disc {

namespace {

// A DVD pack of 2048 bytes carries at most 2048 - 14 (pack header) - 18 (PES header) bytes of a
// stream, and each GOP of about half a second starts with a navigation pack of its own.
constexpr double kDvdPackShare = 2016.0 / 2048.0;
constexpr double kDvdNavKbps = 2048.0 * 8 * 2 / 1000.0;
constexpr double kDvdMuxKbps = 10080;
constexpr int kDvdVideoMost = 9800;
// SVCD: video and audio together at most 2778 kbit/s, video at most 2600.
constexpr double kSvcdMuxKbps = 2778;
constexpr int kSvcdVideoMost = 2600;
constexpr int kVcdVideo = 1150;
// Before the first measurement: the file system, IFO files, menu and lead-in, per disc and per
// title, as a first guess that the first authored attempt replaces by what it measured.
constexpr double kDvdFixedBytes = 1.0e6;
constexpr double kCdFixedBytes = 1.1e6;
constexpr double kPerTitleBytes = 64e3;
constexpr double kFirstMuxFactor = 1.04;
// An encoder that wrote less than this share of the bytes asked for could not spend the rate.
constexpr double kSpentShare = 0.93;

double BytesPerSecond(double kbps) {
    return kbps * 1000.0 / 8.0;
}

}  // namespace

RateLimits LimitsFor(DiscKind kind, int audioKbps) {
    switch (kind) {
        case DiscKind::Dvd: {
            const double room = (kDvdMuxKbps - kDvdNavKbps) * kDvdPackShare - audioKbps;
            return {1000, std::min(kDvdVideoMost, static_cast<int>(std::floor(room))), false};
        }
        case DiscKind::Svcd:
            return {800, std::min<int>(kSvcdVideoMost, static_cast<int>(kSvcdMuxKbps) - audioKbps),
                    false};
        case DiscKind::Vcd:
            return {kVcdVideo, kVcdVideo, true};
    }
    return {};
}

double EstimatedTitleBytes(DiscKind kind, double seconds, int videoKbps, int audioKbps) {
    return EstimatedImage(kind, seconds, videoKbps, audioKbps, 0) -
           EstimatedImage(kind, 0, 0, 0, 0);
}

double EstimatedImage(DiscKind kind, double seconds, int videoKbps, int audioKbps, int titles) {
    const double fixed =
        (kind == DiscKind::Dvd ? kDvdFixedBytes : kCdFixedBytes) + kPerTitleBytes * titles;
    if (kind != DiscKind::Dvd) {
        // A CD track plays 75 sectors a second whatever the streams hold; the payload counted.
        return fixed + seconds * 75.0 * SectorPayload(kind);
    }
    return fixed + seconds * BytesPerSecond(videoKbps + audioKbps) * kFirstMuxFactor;
}

std::optional<RatePlan> FirstRate(DiscKind kind, double sizeBytes, double seconds, int audioKbps,
                                  int titles, const RateLimits& limits) {
    if (EstimatedImage(kind, seconds, limits.least, audioKbps, titles) > sizeBytes) {
        return std::nullopt;
    }
    if (limits.fixed) {
        return RatePlan{limits.most, false};
    }
    const double fixed =
        EstimatedImage(kind, 0, 0, 0, titles);  // the part that does not grow with time
    const double perSecond = (kAimFill * sizeBytes - fixed) / seconds / kFirstMuxFactor;
    const int video = static_cast<int>(std::floor(perSecond * 8.0 / 1000.0)) - audioKbps;
    return RatePlan{std::clamp(video, limits.least, limits.most), false};
}

std::optional<RatePlan> NextRate(const Attempt& last, double sizeBytes, double seconds,
                                 const RateLimits& limits) {
    if (limits.fixed || seconds <= 0) {
        return std::nullopt;
    }
    const double asked = BytesPerSecond(last.videoKbps) * seconds;
    const double videoBytes = last.videoBytes > 0 ? last.videoBytes : asked;
    const double muxFactor =
        last.streamBytes > 0 ? last.mpegBytes / last.streamBytes : kFirstMuxFactor;
    // Video bytes that bring the image to the aim, the rest of the image staying as measured.
    const double wanted = videoBytes + (kAimFill * sizeBytes - last.imageBytes) / muxFactor;
    RatePlan next;
    next.constant = last.constant || videoBytes < kSpentShare * asked;
    if (next.constant && !last.constant) {
        // A constant rate spends what it is asked: ask for the bytes themselves.
        next.videoKbps = static_cast<int>(std::floor(wanted / seconds * 8.0 / 1000.0));
    } else {
        // The encoder keeps its own share of what it is asked for.
        next.videoKbps = static_cast<int>(std::floor(last.videoKbps * wanted / videoBytes));
    }
    next.videoKbps = std::clamp(next.videoKbps, limits.least, limits.most);
    if (next.videoKbps == last.videoKbps && next.constant == last.constant) {
        return std::nullopt;
    }
    return next;
}

}  // namespace mk::disc

// The installed ffmpeg answering the muxer check: each trial a mux of a few frames of a generated
// stream (or the source's own, for a copy) into a file of the output's kind, read back as our
// ffmpeg reads back every output. The answers are
// kept per ffmpeg binary (path, size, time, inode), for this run and in the cache folder, so
// an upgrade in place is asked again.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "jobs/muxer_fit.h"

namespace mk {

class InstalledFfmpegTrials : public MuxerQuery {
public:
    MuxVerdict Trial(const MuxTrial& trial) override;
    std::vector<toolkit::StreamInfo> Streams(const std::vector<std::string>& inputs) override;

    // The trials that ran ffmpeg (not answered from what was kept).
    int TrialsRun() const { return m_trialsRun; }

private:
    // Finds the ffmpeg and takes the answers kept for it; false when there is none.
    bool Ready();
    bool Muxes(const MuxTrial& trial, bool withMuxer);

    std::string m_ffmpeg;
    std::string m_key;
    std::map<std::string, bool> m_answers;
    int m_trialsRun = 0;
};

}  // namespace mk

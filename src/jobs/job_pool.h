// Several command lines run at once, at most N at a time, each in its own process group through
// the one process runner. The pool reads every job's ffmpeg commentary (progress and the lines that
// explain a failure) and stops every job when asked; it never decides what a result means.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jobs/console_text.h"
#include "jobs/progress.h"

namespace mk {

class ShellProcess;

struct JobSpec {
    std::string name;                // what progress and the summary call it
    std::string line;                // run with /bin/sh -c
    std::optional<double> duration;  // seconds of media, when known beforehand
};

enum class JobPhase { Waiting, Running, Done };

struct JobState {
    JobPhase phase = JobPhase::Waiting;
    bool started = false;  // false: /bin/sh could not be started (or the job never began)
    bool stopped = false;  // ended by a stop the pool was asked for
    int status = -1;       // as the shell reports it: exit code, or 128 + signal
    ProgressParser progress;
    std::deque<std::string> lastLines;  // of its stderr, whole lines
    std::chrono::steady_clock::time_point startTime;
    double seconds = 0;  // wall time it ran

    // 0..1 of this job: 1 once done, the parsed percentage while it runs.
    double Fraction() const;
};

class JobPool {
public:
    struct Events {
        std::function<void(std::size_t)> onStart;  // index into the jobs
        std::function<void(std::size_t)> onEnd;
        std::function<void()> onTick;       // a few times a second
        std::function<int()> stopRequests;  // polled: how often a stop was asked for (0: never)
    };

    JobPool(std::vector<JobSpec> jobs, std::size_t parallel);
    ~JobPool();

    // Runs every job (or until a stop), returns when the last started one is over.
    void Run(const Events& events);

    const std::vector<JobSpec>& Jobs() const { return m_jobs; }
    const std::vector<JobState>& States() const { return m_states; }
    std::size_t Finished() const;
    // Of all the work: weighted by duration when every job's is known, else each job alike.
    double TotalFraction() const;

private:
    struct Slot;

    void StartNext(const Events& events);
    void ReadAndReap(const Events& events);
    void Finish(Slot& slot, const Events& events);

    std::vector<JobSpec> m_jobs;
    std::vector<JobState> m_states;
    std::vector<std::unique_ptr<Slot>> m_slots;  // the jobs running now
    std::size_t m_parallel;
    std::size_t m_next = 0;
    bool m_stopping = false;  // no job starts any more
    int m_stopsSeen = 0;
};

// How many encodes to run at once when the user does not say: one per core.
std::size_t DefaultJobCount();

}  // namespace mk

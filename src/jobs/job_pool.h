// Several command lines run at once, at most N at a time, each in its own process group through
// the one process runner, each watched by its RunWatch and judged by JudgeRun when it ends. A lone
// run is a pool of one. Every job is stopped when asked.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/run_watch.h"

namespace mk {

class ShellProcess;

struct JobSpec {
    std::string name;                // what progress and the summary call it
    std::string line;                // run with /bin/sh -c
    std::string output;              // the file it is to write, judged at its end ("": none)
    std::optional<double> duration;  // seconds of media, when known beforehand
    bool readsStdin = false;         // it reads our standard input (a stream source)
};

enum class JobPhase { Waiting, Running, Done };

struct JobState {
    JobPhase phase = JobPhase::Waiting;
    RunEnd end;
    RunWatch watch;   // of its stderr
    Verdict verdict;  // once done

    // 0..1 of this job: 1 once done, the parsed percentage while it runs.
    double Fraction() const;
};

class JobPool {
public:
    struct Events {
        std::function<void(std::size_t)> onStart;  // index into the jobs
        std::function<void(std::size_t)> onEnd;
        std::function<void(std::size_t, std::string_view)> onStderr;  // as it comes
        std::function<void()> onTick;                                 // a few times a second
        std::function<int()> stopRequests;  // polled: how often a stop was asked for (0: never)
    };

    // `passStdout`: the jobs write their standard output into ours, else into /dev/null.
    JobPool(std::vector<JobSpec> jobs, std::size_t parallel, bool passStdout = false);
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
    bool m_passStdout;
    std::size_t m_next = 0;
    bool m_stopping = false;  // no job starts any more
    int m_stopsSeen = 0;
};

// How many encodes to run at once when the user does not say: one per core.
std::size_t DefaultJobCount();

}  // namespace mk

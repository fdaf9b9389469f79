#include "jobs/job_pool.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "platform/process_runner.h"

namespace mk {

namespace {

constexpr std::size_t kLastLines = 12;  // of each job's stderr, for the summary of a failure
constexpr int kPollMs = 200;            // the longest wait between two looks at the jobs
constexpr std::size_t kPendingLines = 64;

}  // namespace

struct JobPool::Slot {
    std::size_t index = 0;
    ShellProcess process;
    ConsoleText text{kPendingLines};

    // What can be read now goes into the job's progress and its last lines.
    void Read(JobState& state, bool atEnd) {
        std::string chunk;
        process.ReadErr(chunk);
        state.progress.Feed(chunk);
        text.Feed(chunk);
        if (atEnd) {
            text.Finish();
        }
        for (std::string& line : text.TakeFinishedLines()) {
            state.lastLines.push_back(std::move(line));
            if (state.lastLines.size() > kLastLines) {
                state.lastLines.pop_front();
            }
        }
    }
};

double JobState::Fraction() const {
    if (phase == JobPhase::Done) {
        return 1.0;
    }
    if (phase == JobPhase::Waiting) {
        return 0.0;
    }
    const auto percent = progress.Percent();
    return percent ? *percent / 100.0 : 0.0;
}

JobPool::JobPool(std::vector<JobSpec> jobs, std::size_t parallel)
    : m_jobs(std::move(jobs)),
      m_states(m_jobs.size()),
      m_parallel(std::max<std::size_t>(1, parallel)) {}

JobPool::~JobPool() = default;

std::size_t JobPool::Finished() const {
    return static_cast<std::size_t>(
        std::count_if(m_states.begin(), m_states.end(),
                      [](const JobState& s) { return s.phase == JobPhase::Done; }));
}

double JobPool::TotalFraction() const {
    if (m_jobs.empty()) {
        return 1.0;
    }
    const bool weighted = std::all_of(m_jobs.begin(), m_jobs.end(), [](const JobSpec& j) {
        return j.duration && *j.duration > 0;
    });
    double done = 0;
    double all = 0;
    for (std::size_t i = 0; i < m_jobs.size(); ++i) {
        const double weight = weighted ? *m_jobs[i].duration : 1.0;
        done += weight * m_states[i].Fraction();
        all += weight;
    }
    return done / all;
}

void JobPool::StartNext(const Events& events) {
    while (!m_stopping && m_slots.size() < m_parallel && m_next < m_jobs.size()) {
        const std::size_t index = m_next++;
        JobState& state = m_states[index];
        auto slot = std::make_unique<Slot>();
        slot->index = index;
        ShellOptions options;
        options.out = Route::Null;
        options.err = Route::Pipe;
        state.startTime = std::chrono::steady_clock::now();
        state.phase = JobPhase::Running;
        state.started = slot->process.Start(m_jobs[index].line, options);
        if (events.onStart) {
            events.onStart(index);
        }
        if (!state.started) {
            state.phase = JobPhase::Done;
            if (events.onEnd) {
                events.onEnd(index);
            }
            continue;
        }
        m_slots.push_back(std::move(slot));
    }
}

void JobPool::Finish(Slot& slot, const Events& events) {
    JobState& state = m_states[slot.index];
    slot.Read(state, true);
    state.status = slot.process.Status();
    state.stopped = m_stopping;
    state.phase = JobPhase::Done;
    state.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - state.startTime).count();
    if (events.onEnd) {
        events.onEnd(slot.index);
    }
}

void JobPool::ReadAndReap(const Events& events) {
    std::vector<pollfd> fds;
    for (const auto& slot : m_slots) {
        if (slot->process.ErrFd() >= 0) {
            fds.push_back({slot->process.ErrFd(), POLLIN, 0});
        }
    }
    if (fds.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // only the reaping is left
    } else {
        poll(fds.data(), fds.size(), kPollMs);
    }
    for (auto it = m_slots.begin(); it != m_slots.end();) {
        Slot& slot = **it;
        slot.Read(m_states[slot.index], false);
        slot.process.Poll();
        if (slot.process.Over()) {
            Finish(slot, events);
            it = m_slots.erase(it);
        } else {
            ++it;
        }
    }
}

void JobPool::Run(const Events& events) {
    StartNext(events);
    while (!m_slots.empty()) {
        // Each request takes every job one step further (SIGINT, SIGTERM, SIGKILL).
        const int requests = events.stopRequests ? events.stopRequests() : 0;
        for (; m_stopsSeen < requests; ++m_stopsSeen) {
            m_stopping = true;
            for (const auto& slot : m_slots) {
                slot->process.Stop();
            }
        }
        ReadAndReap(events);
        if (events.onTick) {
            events.onTick();
        }
        StartNext(events);
    }
}

std::size_t DefaultJobCount() {
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    return cores > 0 ? static_cast<std::size_t>(cores) : 1;
}

}  // namespace mk

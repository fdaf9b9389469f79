#include "jobs/job_pool.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "platform/process_runner.h"

namespace mk {

namespace {

constexpr int kPollMs = 200;  // the longest wait between two looks at the jobs

}  // namespace

struct JobPool::Slot {
    std::size_t index = 0;
    ShellProcess process;

    // What can be read now goes to the job's watcher.
    void Read(JobState& state, const Events& events) {
        std::string chunk;
        process.ReadErr(chunk);
        if (!chunk.empty() && events.onStderr) {
            events.onStderr(index, chunk);
        }
        state.watch.Feed(chunk);
    }
};

double JobState::Fraction() const {
    if (phase == JobPhase::Done) {
        return 1.0;
    }
    if (phase == JobPhase::Waiting) {
        return 0.0;
    }
    const auto percent = watch.Progress().Percent();
    return percent ? *percent / 100.0 : 0.0;
}

JobPool::JobPool(std::vector<JobSpec> jobs, std::size_t parallel, bool passStdout)
    : m_jobs(std::move(jobs)),
      m_states(m_jobs.size()),
      m_parallel(std::max<std::size_t>(1, parallel)),
      m_passStdout(passStdout) {}

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
        options.out = m_passStdout ? Route::Inherit : Route::Null;
        options.inheritStdin = m_jobs[index].readsStdin;
        options.err = Route::Pipe;
        state.watch = RunWatch();  // its clock starts now
        state.phase = JobPhase::Running;
        state.end.started = slot->process.Start(m_jobs[index].line, options);
        if (events.onStart) {
            events.onStart(index);
        }
        if (state.end.started) {
            m_slots.push_back(std::move(slot));
        } else {
            Finish(*slot, events);
        }
    }
}

void JobPool::Finish(Slot& slot, const Events& events) {
    JobState& state = m_states[slot.index];
    if (state.end.started) {
        slot.Read(state, events);
        state.end.status = slot.process.Status();
        state.end.stopped = m_stopping;
    }
    state.watch.Finish();
    state.phase = JobPhase::Done;
    state.verdict = JudgeRun(state.end, m_jobs[slot.index].output);
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
        slot.Read(m_states[slot.index], events);
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

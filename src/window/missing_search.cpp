// SPDX-License-Identifier: MIT
#include "window/missing_search.h"

namespace gantrel::window {

// What the worker fills and the window reads once `done` is set.
struct MissingSearch::Run {
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    FoundElsewhere result;
};

MissingSearch::~MissingSearch()
{
    cancel();
}

bool MissingSearch::start(const WindowState& state)
{
    cancel();
    wait();
    auto run = std::make_shared<Run>();
    m_run = run;
    if (state.missingObjects.empty() && state.missingSplines.empty()) {
        run->done = true;
        return false;
    }
    m_worker = std::jthread([run, root = state.gameRoot, objects = state.missingObjects,
                             splines = state.missingSplines] {
        run->result = findElsewhere(root, objects, splines, [&] { return run->cancel.load(); });
        run->done = true;
    });
    return true;
}

void MissingSearch::cancel()
{
    if (m_run) {
        m_run->cancel = true;
    }
}

void MissingSearch::wait()
{
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

bool MissingSearch::searching() const
{
    return m_run && !m_run->done;
}

const FoundElsewhere* MissingSearch::result() const
{
    return m_run && m_run->done ? &m_run->result : nullptr;
}

}  // namespace gantrel::window

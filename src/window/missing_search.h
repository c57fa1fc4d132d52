// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "analysis/found_elsewhere.h"
#include "analysis/window_state.h"

namespace gantrel::window {

/// The search for the missing entries of a completed run elsewhere in the installation, on a
/// worker thread of its own, so that the window takes input meanwhile. The window asks
/// result() from its timer and shows searching() meanwhile.
class MissingSearch {
public:
    MissingSearch() = default;
    /// Cancels a search that still runs and waits for it.
    ~MissingSearch();
    MissingSearch(const MissingSearch&) = delete;
    MissingSearch& operator=(const MissingSearch&) = delete;

    /// Starts the search of the state's missing lists below its GameRoot, after cancelling one
    /// that runs; forgets the last result. Nothing runs when nothing is missing: the result
    /// is then at once the empty one, and false is returned. True when a search was started,
    /// which on a small installation may have ended before this returns.
    bool start(const WindowState& state);
    /// Ends a running search soon; its result is then marked cancelled.
    void cancel();
    /// True while a search runs.
    bool searching() const;
    /// The result of the last search once it has ended; nothing while it runs or before any.
    const FoundElsewhere* result() const;
    /// Waits until the running search (if any) has ended.
    void wait();

private:
    struct Run;
    std::shared_ptr<Run> m_run;
    std::jthread m_worker;
};

}  // namespace gantrel::window

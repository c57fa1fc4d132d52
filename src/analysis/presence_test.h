// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "analysis/found_present.h"
#include "analysis/tile_references.h"

namespace gantrel {

/// Tests references against the installation on a thread of its own while the scan goes on
/// with the next tiles: the first tiles of a map bring nearly every reference, and listing their
/// folders would otherwise hold the scan, and the readers behind it, for a quarter of its time.
/// The scan asks about each new reference, sends the questions of a tile when it is done with
/// it, and takes the answers later, always in the order asked.
class PresenceTest {
public:
    /// True when the path names an existing file; called on the test's thread only.
    using Lookup = std::function<bool(const std::string& path)>;
    /// Called for every reference answered absent.
    using Absent = std::function<void(ReferenceKind, std::string_view text)>;

    /// Tests `root` + reference with `lookup`; marks in `found`, as soon as it knows, the ids
    /// of the references found.
    PresenceTest(std::string root, Lookup lookup, FoundPresent* found = nullptr);
    /// Stops the thread after the lookup it is in, answered or not.
    ~PresenceTest();
    PresenceTest(const PresenceTest&) = delete;
    PresenceTest& operator=(const PresenceTest&) = delete;

    /// Asks whether the reference, which has `id` in the readers' record (or kNoId), names an
    /// existing file.
    void ask(ReferenceKind kind, std::string_view reference,
             std::uint32_t id = ReportedReferences::kNoId);
    /// Hands the questions asked since the last call to the thread; waits while it has more
    /// than some hundred thousand before it, so that what they hold stays bounded.
    void send();
    /// Calls `absent` for each reference answered absent since the last call, in the order
    /// asked; with `all`, first waits for the answers to every question sent. Where a lookup
    /// failed, the answers before it are given and then its error is thrown, now and on every
    /// later call.
    void takeAnswers(bool all, const Absent& absent);

private:
    // The questions of one send(), with their answers once the thread has given them. A
    // dense tile asks thousands: each takes its text and nine bytes.
    struct Batch {
        std::string texts;
        std::vector<std::uint32_t> ends;  // of each question's text among the texts
        std::vector<ReferenceKind> kinds;
        std::vector<std::uint32_t> ids;
        std::vector<bool> absent;
        std::exception_ptr error;  // raised by the lookup of question absent.size()

        std::string_view text(std::size_t i) const
        {
            const std::size_t begin = i == 0 ? 0 : ends[i - 1];
            return std::string_view(texts).substr(begin, ends[i] - begin);
        }
    };

    void answerAll();
    void answer(Batch& batch);

    const std::string m_root;
    const Lookup m_lookup;
    FoundPresent* const m_found;
    Batch m_asking;  // the scan's: the questions not sent yet
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Batch> m_sent;        // waiting for the thread
    std::vector<Batch> m_answered;    // waiting for the scan
    std::size_t m_unanswered = 0;     // questions sent and not yet answered
    std::atomic<bool> m_stop{false};  // also read by the thread between lookups
    std::exception_ptr m_failed;      // kept for every later takeAnswers()
    std::jthread m_thread;            // last: started when everything above is there
};

}  // namespace gantrel

// SPDX-License-Identifier: MIT
#include "analysis/presence_test.h"

namespace gantrel {
namespace {

// Questions the thread may have before it when a tile is sent: the first tiles of a map bring
// nearly all of its references, and a hundred thousand of them take some five megabytes.
constexpr std::size_t kMostUnanswered = std::size_t{1} << 17;

}  // namespace

PresenceTest::PresenceTest(std::string root, Lookup lookup, FoundPresent* found)
    : m_root(std::move(root)),
      m_lookup(std::move(lookup)),
      m_found(found),
      m_thread([this] { answerAll(); })
{
}

PresenceTest::~PresenceTest()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
}

void PresenceTest::ask(ReferenceKind kind, std::string_view reference, std::uint32_t id)
{
    m_asking.texts.append(reference);
    m_asking.ends.push_back(static_cast<std::uint32_t>(m_asking.texts.size()));
    m_asking.kinds.push_back(kind);
    m_asking.ids.push_back(id);
}

void PresenceTest::send()
{
    if (m_asking.ends.empty()) {
        return;
    }
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_unanswered < kMostUnanswered || m_failed; });
        m_unanswered += m_asking.ends.size();
        m_sent.push_back(std::move(m_asking));
    }
    m_asking = Batch();
    m_changed.notify_all();
}

void PresenceTest::takeAnswers(bool all, const Absent& absent)
{
    std::vector<Batch> answered;
    {
        std::unique_lock lock(m_mutex);
        if (all) {
            m_changed.wait(lock, [&] { return m_unanswered == 0 || m_failed; });
        }
        answered.swap(m_answered);
    }
    for (const Batch& batch : answered) {
        for (std::size_t i = 0; i < batch.absent.size(); ++i) {
            if (batch.absent[i]) {
                absent(batch.kinds[i], batch.text(i));
            }
        }
        if (batch.error) {
            std::rethrow_exception(batch.error);
        }
    }
    const std::lock_guard lock(m_mutex);
    if (m_failed) {
        std::rethrow_exception(m_failed);
    }
}

void PresenceTest::answerAll()
{
    std::vector<Batch> batches;
    while (true) {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || !m_sent.empty(); });
            if (m_stop) {
                return;
            }
            batches.swap(m_sent);
        }
        for (Batch& batch : batches) {
            answer(batch);
            const std::lock_guard lock(m_mutex);
            m_unanswered -= batch.ends.size();
            if (batch.error) {
                m_failed = batch.error;
            }
            m_answered.push_back(std::move(batch));
            if (m_failed || m_stop) {
                break;
            }
        }
        batches.clear();
        m_changed.notify_all();
        const std::lock_guard lock(m_mutex);
        if (m_failed) {
            return;
        }
    }
}

void PresenceTest::answer(Batch& batch)
{
    std::string path = m_root;
    batch.absent.reserve(batch.ends.size());
    for (std::size_t i = 0; i < batch.ends.size(); ++i) {
        path.resize(m_root.size());
        path.append(batch.text(i));
        try {
            const bool found = m_lookup(path);
            batch.absent.push_back(!found);
            if (found && m_found != nullptr) {
                m_found->mark(batch.ids[i]);
            }
        } catch (...) {
            batch.error = std::current_exception();
            return;
        }
        if (m_stop) {
            return;
        }
    }
}

}  // namespace gantrel

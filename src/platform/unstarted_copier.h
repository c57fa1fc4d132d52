// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>

#include "platform/copy.h"

namespace gantrel::platform {

/// A copier that could not be started, or was not to be: it has ended, with the reason.
class UnstartedCopier final : public CopierProcess {
public:
    explicit UnstartedCopier(std::string reason) : m_reason(std::move(reason)) {}
    bool poll() override { return true; }
    bool succeeded() const override { return false; }
    std::string failure() const override { return m_reason; }

private:
    std::string m_reason;
};

}  // namespace gantrel::platform

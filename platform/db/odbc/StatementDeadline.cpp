#include "platform/db/odbc/StatementDeadline.h"

#include <cstdint>

namespace quillan::db::odbc {

StatementDeadline::StatementDeadline(const Handle& stmt, std::chrono::milliseconds limit) {
    const auto seconds = static_cast<SQLULEN>((limit.count() + 999) / 1000);
    SQLSetStmtAttr(stmt.get(), SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(seconds)), 0);
    if (limit.count() <= 0)
        return;
    SQLHANDLE h = stmt.get();
    const auto deadline = std::chrono::steady_clock::now() + limit;
    watchdog_ = std::thread([this, h, deadline] {
        std::unique_lock lock(m_);
        if (done_.wait_until(lock, deadline, [this] { return finished_; }))
            return;
        cancelled_ = true;
        SQLCancel(h);
    });
}

StatementDeadline::~StatementDeadline() {
    {
        std::lock_guard lock(m_);
        finished_ = true;
    }
    done_.notify_all();
    if (watchdog_.joinable())
        watchdog_.join();
}

bool StatementDeadline::cancelled() const {
    std::lock_guard lock(m_);
    return cancelled_;
}

} // namespace quillan::db::odbc

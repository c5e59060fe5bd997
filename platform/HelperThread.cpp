#include "HelperThread.hpp"

#include <system_error>

HelperThread::~HelperThread()
{
    if (!thread_.joinable()) return;
    stopping_ = true;
    ready_.release();
    thread_.join();
}

bool HelperThread::start(Work work, void* context)
{
    if (!thread_.joinable() && !failed_) {
        try {
            thread_ = std::thread([this] { loop(); });
        } catch (const std::system_error&) {
            failed_ = true; // at the process's thread limit: drawing stays on one thread
        }
    }
    if (failed_) return false;
    work_ = work, context_ = context;
    ready_.release();
    return true;
}

void HelperThread::loop()
{
    for (;;) {
        ready_.acquire();
        if (stopping_) return;
        work_(context_);
        done_.release();
    }
}

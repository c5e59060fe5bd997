#pragma once

#include <semaphore>
#include <thread>

// One thread kept for running a piece of work beside the caller's: start() hands it the work,
// finish() waits until it is done. The thread is made on first use and ends with this object;
// when it cannot be made, start() says so and the caller does the work itself.
class HelperThread {
public:
    using Work = void (*)(void* context);

    HelperThread() = default;
    ~HelperThread();
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

    // False when there is no thread to run it: then nothing was started.
    bool start(Work work, void* context);
    void finish() { done_.acquire(); }

private:
    void loop();

    std::thread thread_;
    bool failed_ = false;
    bool stopping_ = false;
    Work work_ = nullptr;
    void* context_ = nullptr;
    std::binary_semaphore ready_{0}, done_{0};
};
